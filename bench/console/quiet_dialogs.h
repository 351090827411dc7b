#pragma once

#include <cstdio>
#include <string>

#include "platform/dialogs.h"

namespace console::bench {

// Answers every question with Cancel, so that no viewer opens while a scenario is timed.
class TQuietDialogs : public platform::TDialogs {
public:
    void ShowMessage(const std::string&) override {}
    int MessageBox(const std::string&, const std::string&, uint32_t) override { return platform::IDCANCEL; }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return ""; }
    void ShowError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
};

}  // namespace console::bench
