#pragma once

#include <QApplication>

#include "platform/testing/test_files.h"

namespace console::bench {

// What a timed scenario of the window needs around it: the application offscreen, a folder of
// its own as the working folder (the reports go to its ./data/), and every question answered
// Cancel so that no viewer opens while it is timed. All of it is given back at the end.
class TOffscreenHost {
public:
    TOffscreenHost(int& argc, char** argv);
    ~TOffscreenHost();
    TOffscreenHost(const TOffscreenHost&) = delete;
    TOffscreenHost& operator=(const TOffscreenHost&) = delete;

    const platform::testing::TTempDir& Folder() const { return Folder_; }

private:
    QApplication App_;
    platform::testing::TTempDir Folder_;
};

}  // namespace console::bench
