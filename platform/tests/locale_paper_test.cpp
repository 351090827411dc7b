#include "platform/locale_paper.h"

#include <gtest/gtest.h>

namespace {

// glibc's own paper sizes of two locales that scripts/setup generates.
TEST(LocalePaper, GlibcPaperOfLocales) {
    ASSERT_TRUE(platform::LocalePaperSizeCode("en_US.UTF-8") && platform::LocalePaperSizeCode("de_DE.UTF-8"))
        << "the locales en_US.UTF-8 and de_DE.UTF-8 are needed (scripts/setup generates them)";
    EXPECT_EQ(platform::LocalePaperSizeCode("en_US.UTF-8"), "1");
    EXPECT_EQ(platform::LocalePaperSizeCode("de_DE.UTF-8"), "9");
    EXPECT_EQ(platform::LocalePaperSizeCode("C"), "9");
    EXPECT_FALSE(platform::LocalePaperSizeCode("xx_NOWHERE.UTF-8").has_value());
}

}  // namespace
