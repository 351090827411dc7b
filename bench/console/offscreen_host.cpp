#include "bench/console/offscreen_host.h"

#include <QDir>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/dialogs.h"

namespace console::bench {

namespace {

class TQuietDialogs : public platform::TDialogs {
public:
    void ShowMessage(const std::string&) override {}
    int MessageBox(const std::string&, const std::string&, uint32_t) override { return platform::IDCANCEL; }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return ""; }
    void ShowError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
};

// The platform is chosen before the application exists.
int& Offscreen(int& argc) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

}  // namespace

TOffscreenHost::TOffscreenHost(int& argc, char** argv) : App_(Offscreen(argc), argv) {
    QDir::setCurrent(QString::fromStdString(Folder_.Path().string()));
    platform::SetDialogs(std::make_unique<TQuietDialogs>());
}

TOffscreenHost::~TOffscreenHost() {
    platform::SetDialogs(nullptr);
    QDir::setCurrent("/");
}

}  // namespace console::bench
