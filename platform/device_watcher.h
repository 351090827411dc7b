#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Watches folders for serial devices appearing and disappearing (inotify), and reports each
// on the GUI thread as an arrival or a removal, as the original's device-change message did.
class TDeviceWatcher {
public:
    // Watches /dev and the virtual-port folder unless other folders are given.
    explicit TDeviceWatcher(std::function<void(bool arrived)> onChange, std::vector<std::string> folders = {});
    ~TDeviceWatcher();
    TDeviceWatcher(const TDeviceWatcher&) = delete;
    TDeviceWatcher& operator=(const TDeviceWatcher&) = delete;

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl_;
};

}  // namespace platform
