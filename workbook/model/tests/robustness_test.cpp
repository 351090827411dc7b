// Random texts and record bodies against the parsers and readers: they answer or raise
// EXLSError, never read past their input (AddressSanitizer watches), and what they accept
// writes back to a text that parses to the same values.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "test_util.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_area.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {
namespace {

using test::U8;

std::u16string RandomText(std::mt19937& rng) {
    using namespace std::literals;
    static const std::u16string alphabet = u"ABCXYZabcrRcC0123456789$:![]-+. \u00E9\u5B8B\0"s;
    std::uniform_int_distribution<int> length(0, 14);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::u16string text;
    const int n = length(rng);
    for (int i = 0; i < n; ++i) text += alphabet[pick(rng)];
    return text;
}

TEST(Robustness, ReferenceParsersAnswerAndRoundTrip) {
    std::mt19937 rng(20261210);
    int accepted = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::u16string text = RandomText(rng);
        int col, row, c1, r1, c2, r2;
        bool a, b, a2, b2;
        if (RefStrToColRowAbs(text, col, row, a, b)) {
            ++accepted;
            ASSERT_TRUE(IsValidColRow(col, row)) << U8(text);
            int col2, row2;
            bool a3, b3;
            ASSERT_TRUE(RefStrToColRowAbs(ColRowToRefStrAbs(col, row, a, b), col2, row2, a3, b3));
            ASSERT_EQ(col2, col);
            ASSERT_EQ(row2, row);
            ASSERT_EQ(a3, a);
            ASSERT_EQ(b3, b);
        }
        if (AreaStrToColRow(text, c1, r1, c2, r2)) {
            ASSERT_TRUE(IsValidArea(c1, r1, c2, r2)) << U8(text);
        }
        if (AreaStrToColRow97(text, c1, r1, c2, r2)) {
            ASSERT_TRUE(c1 >= 0 && c2 <= XLSMaxCol97 && r1 >= 0 && r2 <= XLSMaxRow97) << U8(text);
            ASSERT_TRUE(c2 >= 0 && c1 <= XLSMaxCol97 && r2 >= 0 && r1 <= XLSMaxRow97) << U8(text);
        }
        AreaStrToColRowAbs(text, c1, r1, c2, r2, a, b, a2, b2);
        if (ColStrToCol(text, col)) {
            ASSERT_EQ(U8(ColToRefStr(col)), U8(text[0] == u'$' ? text.substr(1) : text));
        }
        RowStrToRow(text, row);
        if (R1C1RefStrToColRow(text, col, row, a, b)) {
            // Given parts write back and parse to the same values.
            if ((col != -1 || a) && (row != -1 || b)) {
                int col2, row2;
                bool a3, b3;
                const std::u16string back = ColRowToR1C1RefStr(col, row, a, b);
                ASSERT_TRUE(R1C1RefStrToColRow(back, col2, row2, a3, b3)) << U8(back);
                ASSERT_EQ(col2, col);
                ASSERT_EQ(row2, row);
            }
        }
        R1C1AreaStrToColRow(text, c1, r1, c2, r2, a, b, a2, b2);
        TXLSCellArea area;
        RefStrToCellArea(text, area);
    }
    EXPECT_GT(accepted, 0);
}

TEST(Robustness, LongTextsAnswerFalse) {
    const std::u16string letters(100000, u'A');
    const std::u16string digits(100000, u'9');
    int col, row, c1, r1, c2, r2;
    bool a, b, a2, b2;
    EXPECT_FALSE(RefStrToColRow(letters + u"1", col, row));
    EXPECT_FALSE(RefStrToColRow(u"A" + digits, col, row));
    EXPECT_TRUE(RefStrToColRow(u"A" + std::u16string(100000, u'0') + u"1", col, row));  // leading zeros
    EXPECT_FALSE(ColStrToCol(letters, col));
    EXPECT_FALSE(RowStrToRow(digits, row));
    EXPECT_FALSE(AreaStrToColRow(letters + u":" + letters, c1, r1, c2, r2));
    EXPECT_FALSE(AreaStrToColRow(digits + u":" + digits, c1, r1, c2, r2));
    EXPECT_FALSE(R1C1RefStrToColRow(u"R" + digits + u"C1", col, row, a, b));
    EXPECT_FALSE(R1C1RefStrToColRow(u"R[" + digits + u"]C1", col, row, a, b));
    EXPECT_FALSE(R1C1RefStrToColRow(u"R[-" + digits + u"]C1", col, row, a, b));
    EXPECT_FALSE(R1C1AreaStrToColRow(u"R" + digits, c1, r1, c2, r2, a, b, a2, b2));
    EXPECT_FALSE(AreaStrToColRowAbs(u"A1:A" + digits, c1, r1, c2, r2, a, b, a2, b2));
    double value;
    EXPECT_FALSE(TryStrToFloat(digits + digits + digits + digits, value));  // 4e5 digits: overflow
    EXPECT_TRUE(TryStrToFloat(u"0." + digits, value));
}

// The length of what a reader gave, or -1 when it raised EXLSError.
template <typename Read>
long long LengthOrError(Read read) {
    try {
        return static_cast<long long>(read().size());
    } catch (const EXLSError&) {
        return -1;
    }
}

TEST(Robustness, BIFFStringReadersStayInsideTheBody) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> size(0, 12), byte(0, 255), count(-3, 20);
    for (int i = 0; i < 100000; ++i) {
        std::vector<uint8_t> body(static_cast<size_t>(size(rng)));
        for (uint8_t& v : body) v = static_cast<uint8_t>(byte(rng));
        const int n = count(rng);
        const auto have = static_cast<long long>(body.size());
        const long long width = !body.empty() && (body[0] & 1) ? 2 : 1;
        // count characters after the option byte: the text, or an error when the body is short.
        const auto counted = [&](long long characters) {
            if (characters <= 0) return 0LL;
            return !body.empty() && 1 + characters * width <= have ? characters : -1;
        };
        SCOPED_TRACE(::testing::Message() << "body of " << have << " bytes, count " << n);
        EXPECT_EQ(LengthOrError([&] { return BIFFBufToWideStr(body, n); }), counted(n));
        EXPECT_EQ(LengthOrError([&] { return ShortBIFFBufToWideStr(body, n); }), counted(n > 0 ? n & 0xFF : 0));
        EXPECT_EQ(LengthOrError([&] { return ByteStrToWideStr(body, n); }), n <= 0 ? 0 : n <= have ? n : -1);
        const long long raw = LengthOrError([&] { return BIFFBufToRawStr(body, n); });
        EXPECT_EQ(raw, body.empty() ? -1 : n <= 0 ? 1 : counted(n) < 0 ? -1 : 1 + n * width);
        if (raw > 0) {
            const std::u16string text = BIFFStrToWideStr(BIFFBufToRawStr(body, n));
            EXPECT_EQ(static_cast<long long>(text.size()), n > 0 ? n : 0);
        }
        const long long zeroEnded = LengthOrError([&] { return WideBufZToWideStr(body, n); });
        if (n <= 2)
            EXPECT_EQ(zeroEnded, 0);
        else if (n - 2 > have)
            EXPECT_EQ(zeroEnded, -1);
        else
            EXPECT_LE(zeroEnded, (n - 2) / 2);
    }
}

}  // namespace
}  // namespace xls
