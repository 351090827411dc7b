#include <gtest/gtest.h>

#include <string>

#include "base/exception.h"
#include "base/format.h"

namespace base {
namespace {

TEST(Format, FormatsTheSystemsTexts) {
    EXPECT_EQ(Format("成功:%d,失败:%d", {12, 0}), "成功:12,失败:0");
    EXPECT_EQ(Format("%.4d-%.2d-%.2d %.2d:%.2d", {2026, 3, 9, 7, 5}), "2026-03-09 07:05");
    EXPECT_EQ(Format("%.2d", {-5}), "-05");
    EXPECT_EQ(Format("%s%d%s", {"温湿度", 1u, std::string("历史记录")}), "温湿度1历史记录");
    EXPECT_EQ(Format("100%%", {}), "100%");
}

TEST(Format, WidthPrecisionIndexAndOtherTypes) {
    struct Case {
        std::string format;
        std::string expected;
    };
    const Case cases[] = {
        {"[%5d]", "[   42]"}, {"[%-5d]", "[42   ]"}, {"[%x]", "[2A]"},
        {"[%.4x]", "[002A]"}, {"[%*d]", "[    7]"},  {"[%1:d %0:d]", "[7 42]"},
    };
    for (const Case& c : cases) {
        const std::string actual = c.format == "[%*d]" ? Format(c.format, {5, 7}) : Format(c.format, {42, 7});
        EXPECT_EQ(actual, c.expected) << c.format;
    }
    EXPECT_EQ(Format("%f|%.1f|%.0f", {2.5, -0.26, 1e6}), "2.50|-0.3|1000000");
    EXPECT_EQ(Format("%.3s", {"abcdef"}), "abc");
    EXPECT_EQ(Format("%u %x", {-1, -1}), "4294967295 FFFFFFFF");
}

TEST(Format, BadFormatsAndArgumentsRaise) {
    for (const char* format : {"%", "%d %d", "%s", "%q", "%.d", "%5"}) {
        EXPECT_THROW(Format(format, {1}), EConvertError) << format;
    }
    EXPECT_THROW(Format("%d", {"text"}), EConvertError);
    EXPECT_THROW(Format("%f", {1}), EConvertError);
    try {
        Format("%d", {});
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
    }
}

}  // namespace
}  // namespace base
