#include "platform/device_watcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/serial_ports.h"

namespace platform {
namespace {

// Names of the device nodes and links that stand for serial ports.
bool IsSerialName(const char* name) {
    for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM", "ttyAMA", "rfcomm"})
        if (std::strncmp(name, prefix, std::strlen(prefix)) == 0) return true;
    return false;
}

}  // namespace

struct TDeviceWatcher::TImpl {
    int Fd = -1;
    std::string VirtualFolder;
    std::vector<int> VirtualWatches;
    std::unique_ptr<QSocketNotifier> Notifier;
    std::function<void(bool)> OnChange;

    void Drain() {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(Fd, buffer, sizeof buffer);
            if (n <= 0) return;
            for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->len == 0 || offset > n) continue;
                const bool virtualPort =
                    std::find(VirtualWatches.begin(), VirtualWatches.end(), event->wd) != VirtualWatches.end();
                if (!virtualPort && !IsSerialName(event->name)) continue;
                if (event->mask & (IN_CREATE | IN_MOVED_TO)) OnChange(true);
                if (event->mask & (IN_DELETE | IN_MOVED_FROM)) OnChange(false);
            }
        }
    }
};

TDeviceWatcher::TDeviceWatcher(std::function<void(bool)> onChange, std::vector<std::string> folders)
    : Impl_(std::make_unique<TImpl>()) {
    Impl_->OnChange = std::move(onChange);
    Impl_->Fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (Impl_->Fd < 0) return;  // no notices, as on a system without the facility
    const uint32_t mask = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM;
    if (folders.empty()) {
        inotify_add_watch(Impl_->Fd, "/dev", mask);
        std::error_code error;
        std::filesystem::create_directories(VirtualPortFolder(), error);
        const int wd = inotify_add_watch(Impl_->Fd, VirtualPortFolder().c_str(), mask);
        if (wd >= 0) Impl_->VirtualWatches.push_back(wd);
    } else {
        for (const std::string& folder : folders) {
            const int wd = inotify_add_watch(Impl_->Fd, folder.c_str(), mask);
            if (wd >= 0) Impl_->VirtualWatches.push_back(wd);
        }
    }
    Impl_->Notifier = std::make_unique<QSocketNotifier>(Impl_->Fd, QSocketNotifier::Read);
    QObject::connect(Impl_->Notifier.get(), &QSocketNotifier::activated, [impl = Impl_.get()] { impl->Drain(); });
}

TDeviceWatcher::~TDeviceWatcher() {
    Impl_->Notifier.reset();
    if (Impl_->Fd >= 0) ::close(Impl_->Fd);
}

}  // namespace platform
