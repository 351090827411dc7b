#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/exception.h"
#include "base/md5.h"
#include "pdf/pdf_date_time.h"
#include "pdf/pdf_encoding.h"
#include "pdf/pdf_float_point.h"
#include "pdf/pdf_hex.h"
#include "pdf/pdf_number_format.h"
#include "pdf/tests/test_support.h"
#include "pdf/win_ansi.h"

namespace pdf {
namespace {

TEST(NumberFormat, FourDecimalsNoTrailingZerosDotSeparator) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {595.0, "595"},
        {841.99996, "842"},
        {-0.5, "-0.5"},
        {12.5, "12.5"},
        {3, "3"},
        {0.123456, "0.1235"},
        {1.23456, "1.2346"},
        {0.00004, "0"},
        {-0.00001, "0"},
        {1000000, "1000000"},
        {-123.45678, "-123.4568"},
        {0, "0"},
        {1e15, "1000000000000000"},
        {0.1, "0.1"},
        {2.0 / 3.0, "0.6667"},
        {0.03125, "0.0313"},
        {-0.03125, "-0.0313"},
        {1e20, "100000000000000000000"},
        {-2.5e11, "-250000000000"},
        {0.0001, "0.0001"},
        {-7.05, "-7.05"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatPDFFloat(c.value), c.expected) << c.value;
    EXPECT_EQ(FormatPDFInt(-42), "-42");
    EXPECT_EQ(FormatPDFInt(2147483647), "2147483647");
}

TEST(NumberFormat, IgnoresTheProcessLocale) {
    // A locale with a decimal comma, compiled into a folder of our own, must not leak into
    // the content streams.
    test::TTempDir dir;
    const auto built = test::RunCommand("localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "'");
    if (built.ExitCode != 0) GTEST_SKIP() << "cannot compile a locale (package locales): " << built.Output;
    ASSERT_EQ(setenv("LOCPATH", dir.File("").c_str(), 1), 0);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    const std::string inLocale = printed;
    const std::string formatted = FormatPDFFloat(-1234.25);
    std::setlocale(LC_ALL, before.c_str());
    unsetenv("LOCPATH");
    EXPECT_EQ(inLocale, "1,5");
    EXPECT_EQ(formatted, "-1234.25");
}

TEST(NumberFormat, NonFiniteValuesStayValidNumbers) {
    EXPECT_EQ(FormatPDFFloat(1.0 / 0.0), "0");
    EXPECT_EQ(FormatPDFFloat(-1e308 * 10), "0");
}

TEST(Hex, UpperCaseDigits) {
    EXPECT_EQ(WordToHex(0x4E2D), "4E2D");
    EXPECT_EQ(ByteToHex(10), "0A");
    EXPECT_EQ(ByteToHex(255), "FF");
    EXPECT_EQ(WordToHex(0x000F), "000F");
}

TEST(SortWords, SortsAscending) {
    std::vector<uint16_t> values = {500, 3, 65535, 0, 3, 42, 1000};
    SortWords(values);
    EXPECT_EQ(values, (std::vector<uint16_t>{0, 3, 3, 42, 500, 1000, 65535}));
}

TEST(WinAnsi, MatchesPythonCp1252) {
    // Python's cp1252 codec is the oracle for the defined codes; the five undefined ones
    // map to themselves.
    const auto result = test::RunPython(
        "import sys\n"
        "out = []\n"
        "for b in range(256):\n"
        "    try: out.append(ord(bytes([b]).decode('cp1252')))\n"
        "    except UnicodeDecodeError: out.append(b)\n"
        "print(' '.join(map(str, out)))\n",
        "");
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    std::string expected;
    for (int b = 0; b < 256; ++b) expected += (b ? " " : "") + std::to_string(WinAnsiToUnicode(uint8_t(b)));
    EXPECT_EQ(result.Output, expected + "\n");
    for (int b = 0; b < 256; ++b) {
        EXPECT_TRUE(IsWinAnsiChar(WinAnsiToUnicode(uint8_t(b))));
        EXPECT_EQ(UnicodeToWinAnsi(WinAnsiToUnicode(uint8_t(b))), b);
    }
    EXPECT_EQ(UnicodeToWinAnsi(0x20AC), 128);
    EXPECT_EQ(UnicodeToWinAnsi(0x00FF), 255);
    EXPECT_EQ(UnicodeToWinAnsi(0x0100), 0);
    EXPECT_FALSE(IsWinAnsiChar(0x4E2D));
}

TEST(Encoding, EscapeZeroPadReplaceOrder) {
    EXPECT_EQ(EscapeString("a ( b ) c \\"), "a \\( b \\) c \\\\");
    EXPECT_EQ(EscapeString("\r\n"), "\\r\\n");
    EXPECT_EQ(EscapeString(std::string("\x01\xE4\xB8\xAD", 4)), std::string("\x01\xE4\xB8\xAD", 4));
    EXPECT_EQ(ZeroPad(1234, 10), "0000001234");
    EXPECT_EQ(ZeroPad(0, 5), "00000");
    EXPECT_EQ(ZeroPad(123456, 3), "123456");
    EXPECT_EQ(ReplaceCharByText("Times New Roman", ' ', "#20"), "Times#20New#20Roman");
    int x1 = 10, y1 = 5, x2 = 2, y2 = 8;
    OrderRect(x1, y1, x2, y2);
    EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}), (std::vector<int>{2, 5, 10, 8}));
    EXPECT_EQ(CharsetToCodePage(134), 936);
    EXPECT_EQ(CharsetToCodePage(0), 1252);
    EXPECT_EQ(CharsetToCodePage(1), 1252);
    EXPECT_EQ(CharsetToCodePage(204), 1251);
}

TEST(MD5, MatchesPythonHashlib) {
    std::vector<std::string> inputs = {"", "a", "abc", "message digest", "abcdefghijklmnopqrstuvwxyz"};
    for (size_t n : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u, 100000u}) {
        std::string bytes;
        for (size_t i = 0; i < n; ++i) bytes += char((i * 7 + n) & 0xFF);
        inputs.push_back(bytes);
    }
    test::TTempDir dir;
    std::string arguments;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string file = dir.File("in" + std::to_string(i));
        test::WriteFileBytes(file, inputs[i]);
        arguments += " " + file;
    }
    const auto result = test::RunPython(
        "import hashlib, sys\n"
        "for name in sys.argv[1:]:\n"
        "    print(hashlib.md5(open(name, 'rb').read()).hexdigest())\n",
        arguments);
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    std::string expected;
    for (const std::string& input : inputs) expected += base::MD5String(input) + "\n";
    EXPECT_EQ(result.Output, expected);
}

TEST(DateTime, FormatsCreationDateAndIdentifierTime) {
    // 45000.5 is 2023-03-15 12:00, a Wednesday.
    EXPECT_EQ(FormatPDFDate(45000.5), "20230315120000");
    EXPECT_EQ(FormatFileIdTime(45000.5 + 1234.0 / 86400000.0), "Wed 15-03-2023 12:00:01.234");
    EXPECT_EQ(FormatPDFDate(2.0 - 0.1 / 86400000.0), "19000101000000");
    // A date beyond the year 9999 would give a longer text than the date form has room for.
    for (const double beyond : {1e7, -1e7, 1e300}) EXPECT_EQ(FormatPDFDate(beyond), "18991230000000") << beyond;
    EXPECT_EQ(FormatFileIdTime(1e7), "Sat 30-12-1899 00:00:00.000");
    const double now = base::NowDateTime();
    EXPECT_GT(now, 45000);
    EXPECT_LT(now, 80000);
}

TEST(FloatPoint, RotatePoint) {
    const TFloatPoint p = RotatePoint(1, 0, 90);
    EXPECT_NEAR(p.X, 0, 1e-12);
    EXPECT_NEAR(p.Y, 1, 1e-12);
    const TFloatPoint q = RotatePoint(2, 3, 180);
    EXPECT_NEAR(q.X, -2, 1e-12);
    EXPECT_NEAR(q.Y, -3, 1e-12);
}

}  // namespace
}  // namespace pdf
