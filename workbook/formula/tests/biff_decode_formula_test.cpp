#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/biff_decode_formula.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

#include "workbook/formula/tests/biff_formula_fixtures.inc"

std::vector<uint8_t> FromHex(std::string_view hex) {
    std::vector<uint8_t> out;
    std::string digits;
    for (char c : hex)
        if (c != ' ') digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

std::string Decode(std::string_view hex, const TBiffDecodeCallback& callback = {}, int row = 0, int col = 0,
                   char16_t listSep = u',') {
    return base::Utf16ToUtf8(DecodeBiffFormula(FromHex(hex), 0, listSep, callback, row, col));
}

TEST(BiffDecodeFormula, TokensToText) {
    struct TCase {
        const char* Hex;
        const char* Text;
    };
    const TCase cases[] = {
        {"1e01001e020003", "1+2"},
        {"ff1e01001e020003", "1+2"},
        {"1e010003", "<Val missing>"},
        {"", "[ERROR]"},
        {"1e0100 13 1e0200 1e0300 05 15 0e 1e0400 0e", "-1<>(2*3)<>4"},
        {"1e0100141e050007", "1%^5"},
        {"440000 00c0", "A1"},
        {"4400000000", "$A$1"},
        {"2404000180", "$B5"},
        {"250000ffff0040ff40", "A$1:IV$65536"},
        {"1e01001e0200220204 00", "SUM(1,2)"},
        {"1e0100 19100000", "SUM(1)"},
        {"41 1300", "PI()"},
        {"1e0100 410f00", "SIN(1)"},
        {"17030061226200", "\"a\"\"b\""},
        {"170101 3a6e", "\"\xE6\xB8\xBA\""},
        {"1c07 1d01 1d00", "FALSE"},
        {"1f000000000000f83f", "1.5"},
        {"1e0100 16 1e0200 220301 00", "IF(1,,2)"},
        {"2a00000000 1e0100 03", "#REF!+1"},
        {"23010000 00", "[EXTERNNAME]"},
        {"3a0000 0000 0000", "[ExternSheet]$A$1"},
        {"3c0000 00000000", "[ExternSheet]!#REF!"},
        {"1e0100 1e0200 10", "1,2"},
        {"1e0100 1e0200 0f", "1 2"},
        {"1e0100 8b", "Unknown ptg[8B]"},
        {"1e0100 00 1e0200", "1"},
        {"1806 0100 02 00", ""},
        {"1e0100 1805", "Unknown eptg[05]"},
        {"1e0100 19 0403 00 0800 0a00 0c00 0e00", "1"},
        // A memory token's subexpression gives the operand: SUM((A1,B1)).
        {"29 0b00 44 0000 00c0 44 0000 01c0 10 15 22 0104 00", "SUM((A1,B1))"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Decode(c.Hex), c.Text) << c.Hex;
}

TEST(BiffDecodeFormula, ArrayConstantsFromTheTrailingData) {
    // {1,"ab";TRUE,#N/A}: 0xFE with 26 bytes of data after the tokens.
    const std::string data =
        "01"
        "0100"  // 2 columns, 2 rows
        "01000000000000f03f"
        "020200006162"  // 1, "ab"
        "040100000000000000"
        "102a00000000000000";  // TRUE, #N/A
    const std::string tokens =
        "fe"
        "2400"
        "6000000000000000";
    EXPECT_EQ(Decode(tokens + data), "{1,\"ab\";TRUE,#N/A}");
    EXPECT_EQ(Decode(tokens + data, {}, 0, 0, u';'), "{1\\\"ab\";TRUE\\#N/A}");
    EXPECT_EQ(Decode("fe0a00"
                     "6000000000000000"
                     "000000"
                     "03"
                     "000000000000"),
              "Bad element ID#3 in array");
}

TEST(BiffDecodeFormula, CallbackNamesSheetsAndNames) {
    const TBiffDecodeCallback callback = [](TBiffDecodeKind kind, int index, int a, int b, int nameIndex) {
        switch (kind) {
            case bdkName: return u"Name" + base::Utf8ToUtf16(std::to_string(index));
            case bdkExternSheet:
                return nameIndex >= 0 ? u"X" + base::Utf8ToUtf16(std::to_string(nameIndex))
                                      : u"Sheet" + base::Utf8ToUtf16(std::to_string(index + 1)) + u"!";
            default: return u"E" + base::Utf8ToUtf16(std::to_string(a) + ":" + std::to_string(b));
        }
    };
    EXPECT_EQ(Decode("2302000000", callback), "Name2");
    EXPECT_EQ(Decode("3901000300 0000", callback), "X3");
    EXPECT_EQ(Decode("3a0100 0400 02c0", callback), "Sheet2!C5");
    EXPECT_EQ(Decode("3b0000 0000 0900 0000 0100", callback), "Sheet1!$A$1:$B$10");
    EXPECT_EQ(Decode("3d0100 00000000 00000000", callback), "Sheet2!#REF!");
    EXPECT_EQ(Decode("1807 0500 09 00", callback), "E5:9");
}

TEST(BiffDecodeFormula, RelativeTokensResolveAgainstTheCell) {
    // ptgRefN with row offset -1 and column offset +2, both relative, for the cell C10.
    EXPECT_EQ(Decode("4c ffff 02c0", {}, 9, 2), "E9");
    // Absolute parts keep their values.
    EXPECT_EQ(Decode("2d 0000 0400 0100 03c0", {}, 9, 2), "$B$1:F14");
}

TEST(BiffDecodeFormula, DefectsRaiseOrMark) {
    // A token cut short, a function without its arguments, an unknown function number.
    // A second 0xFE whose length reaches back into the data of the first.
    for (const char* hex : {"1e01", "17050061", "4100", "1e0100 220304 00", "21ff7f", "fe0900 1e0100", "fe0100 fe00fc"})
        EXPECT_THROW(Decode(hex), EXLSError) << hex;
    // An array constant without trailing data.
    EXPECT_THROW(Decode("2000000000000000"), EXLSError);
}

TEST(FixupSharedFormula, RelativeTokensBecomeTheCellsReferences) {
    struct TCase {
        bool Biff8;
        const char* In;
        int Row, Col;
        const char* Out;
    };
    const TCase cases[] = {
        {true, "4cffffffc0", 10, 5, "440900 04c0"},
        {true, "2c0000 0000", 10, 5, "240000 0000"},
        {true, "6d 0000 0200 00c0 0180", 3, 1, "65 0300 0500 01c0 0180"},
        {true, "1e0100 2c 0100 0140 03", 4, 4, "1e0100 24 0100 0540 03"},
        // A choose attribute and a string are stepped over by their widths.
        {true, "19040200 0600 0800 0a00 17010041 2c0000 00c0", 1, 1, "19040200 0600 0800 0a00 17010041 240100 01c0"},
        // The subexpression of a memory token is walked, not skipped: its references move too.
        {true, "290600 2c0000 00c0 15", 2, 3, "290600 240200 03c0 15"},
        // BIFF5: flags in the row field, the column a byte.
        {false, "2cffff 01", 10, 5, "24 09c0 06"},
        {false, "2d 0040 0280 00 01", 3, 3, "25 0040 0580 03 01"},
    };
    for (const TCase& c : cases) {
        std::vector<uint8_t> ptgs = FromHex(c.In);
        FixupSharedFormula(c.Biff8, ptgs, c.Row, c.Col);
        EXPECT_EQ(ptgs, FromHex(c.Out)) << c.In;
    }
    for (const char* hex : {"3a000000000000", "4c0000", "8a"}) {
        std::vector<uint8_t> ptgs = FromHex(hex);
        EXPECT_THROW(FixupSharedFormula(true, ptgs, 0, 0), EXLSError) << hex;
    }
}

std::vector<std::u16string> Split(std::u16string_view list) {
    std::vector<std::u16string> items;
    if (list.empty()) return items;
    for (size_t start = 0;;) {
        const size_t bar = list.find(u'|', start);
        items.emplace_back(list.substr(start, bar - start));
        if (bar == std::u16string_view::npos) return items;
        start = bar + 1;
    }
}

// Formulas of .xls files written by LibreOffice and python3-xlwt against python3-xlrd's
// decompiler (biff_formula_fixtures.inc; names and sheets answered as xlrd names them). Shared
// formulas decode for their cell directly and after FixupSharedFormula.
TEST(BiffDecodeFormula, TextOfOtherProgramsFilesIsXlrds) {
    // xlrd drops the parentheses around a union: its text means another formula.
    const std::pair<std::u16string_view, std::u16string_view> xlrdDiffers[] = {{u"SUM(A1,A3)", u"SUM((A1,A3))"}};
    int shared = 0;
    for (const TBiffFixture& f : BiffFixtures) {
        const TBiffFixtureBook& book = BiffFixtureBooks[f.Book];
        const std::vector<std::u16string> prefixes = Split(book.Prefixes), names = Split(book.Names);
        const TBiffDecodeCallback callback = [&](TBiffDecodeKind kind, int index, int, int, int) {
            if (kind == bdkName && index >= 1 && index <= static_cast<int>(names.size())) return names[index - 1];
            if (kind == bdkExternSheet && index >= 0 && index < static_cast<int>(prefixes.size()))
                return prefixes[static_cast<size_t>(index)];
            return std::u16string(u"?");
        };
        std::u16string expected = f.Text;
        for (const auto& [xlrd, ours] : xlrdDiffers)
            if (expected == xlrd) expected = ours;
        std::vector<uint8_t> ptgs = FromHex(f.Hex);
        SCOPED_TRACE(std::string(book.File) + " " + f.Hex);
        EXPECT_EQ(base::Utf16ToUtf8(DecodeBiffFormula(ptgs, 0, u',', callback, f.Row, f.Col)),
                  base::Utf16ToUtf8(expected));
        if (f.Shared) {
            FixupSharedFormula(true, ptgs, f.Row, f.Col);
            EXPECT_EQ(base::Utf16ToUtf8(DecodeBiffFormula(ptgs, 0, u',', callback, 0, 0)), base::Utf16ToUtf8(expected));
            ++shared;
        }
    }
    EXPECT_GT(shared, 0);
}

}  // namespace
}  // namespace xls
