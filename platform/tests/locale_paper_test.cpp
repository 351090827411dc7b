#include "platform/locale_paper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

std::filesystem::path LocaleFolder() {
    return std::filesystem::temp_directory_path() / ("ombrix-test-locales-" + std::to_string(::getpid()));
}

// The locales the test needs, built with localedef into a private folder when the system
// does not have them, and found there through LOCPATH (which then replaces the system's).
bool EnsureLocales() {
    if (platform::LocalePaperSizeCode("en_US.UTF-8") && platform::LocalePaperSizeCode("de_DE.UTF-8")) return true;
    const std::filesystem::path folder = LocaleFolder();
    std::filesystem::create_directories(folder);
    for (const char* source : {"en_US", "de_DE"}) {
        const std::string name = std::string(source) + ".UTF-8";
        if (std::filesystem::exists(folder / name)) continue;
        const std::string command =
            "localedef -i " + std::string(source) + " -f UTF-8 '" + (folder / name).string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 && !std::filesystem::exists(folder / name)) return false;
    }
    ::setenv("LOCPATH", folder.c_str(), 1);
    return platform::LocalePaperSizeCode("en_US.UTF-8") && platform::LocalePaperSizeCode("de_DE.UTF-8");
}

TEST(LocalePaper, GlibcPaperOfLocales) {
    ASSERT_TRUE(EnsureLocales()) << "localedef (package locales) is needed";
    EXPECT_EQ(platform::LocalePaperSizeCode("en_US.UTF-8"), "1");
    EXPECT_EQ(platform::LocalePaperSizeCode("de_DE.UTF-8"), "9");
    EXPECT_EQ(platform::LocalePaperSizeCode("C"), "9");
    EXPECT_FALSE(platform::LocalePaperSizeCode("xx_NOWHERE.UTF-8").has_value());
    std::filesystem::remove_all(LocaleFolder());
}

}  // namespace
