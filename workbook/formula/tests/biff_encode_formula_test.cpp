#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/biff_decode_formula.h"
#include "workbook/formula/biff_encode_formula.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/value_stack.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {
namespace {

using Bytes = std::vector<uint8_t>;

struct TReport {
    int Code;
    std::string Message;
};

// An encoder whose sheets are DATA (EXTERNSHEET 5) and SHEET2 (6), whose names are TAX and RATE,
// and which collects its reports instead of raising.
class EncodeFormulaTest : public ::testing::Test {
protected:
    EncodeFormulaTest() {
        Encoder.OnExternRef = [this](const std::u16string& path, const std::u16string& file, int& sheetIndex, int& ixti,
                                     bool isSheetRef, const std::u16string& name, const std::u16string& sheet) {
            ExternCalls.push_back(base::Utf16ToUtf8(path + u"|" + file + u"|" + name + u"|" + sheet) +
                                  (isSheetRef ? "|sheet" : "|name"));
            // Sheet names compare without regard to case (quoted ones keep theirs).
            const std::u16string upper = WideUpperCaseStr(sheet);
            if (upper == u"DATA") sheetIndex = 0, ixti = 5;
            if (upper == u"SHEET2") sheetIndex = 1, ixti = 6;
            if (!isSheetRef && name == u"EXTNAME") sheetIndex = 3, ixti = 8;
        };
        Encoder.OnNameIndex = [](const std::u16string& name, int& index) {
            if (name == u"TAX") index = 0;
            if (name == u"RATE") index = 41;
        };
    }

    Bytes Encode(std::u16string_view text, uint8_t ptgClass = 0, int bufSize = 4096) {
        Bytes buf(static_cast<size_t>(bufSize > 0 ? bufSize : 1));
        const int n = Encoder.Encode(text, ptgClass, 1, bufSize, buf.data());
        buf.resize(static_cast<size_t>(n));
        return buf;
    }

    // Compiles with reports collected.
    Bytes Collect(std::u16string_view text) {
        Encoder.OnEncodeError = [this](TEncodeFormula&, int code, const std::u16string& message) {
            Reports.push_back({code, base::Utf16ToUtf8(message)});
        };
        return Encode(text);
    }

    TEncodeFormula Encoder;
    std::vector<std::string> ExternCalls;
    std::vector<TReport> Reports;
};

TEST_F(EncodeFormulaTest, TokensOfFormulas) {
    struct TCase {
        std::u16string_view Text;
        Bytes Ptgs;
    };
    const TCase cases[] = {
        {u"SUM(A1:B2)", {0x25, 0, 0, 1, 0, 0, 0xC0, 1, 0xC0, 0x42, 1, 4, 0}},
        {u"A1+1", {0x44, 0, 0, 0, 0xC0, 0x1E, 1, 0, 0x03}},
        {u"$C$3-D$4", {0x44, 2, 0, 2, 0, 0x44, 3, 0, 3, 0x40, 0x04}},
        {u"IV1", {0x44, 0, 0, 0xFF, 0xC0}},
        {u"65535", {0x1E, 0xFF, 0xFF}},
        {u"65536", {0x1F, 0, 0, 0, 0, 0, 0, 0xF0, 0x40}},
        {u"1.5", {0x1F, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
        {u"1E9", {0x1F, 0, 0, 0, 0, 0x65, 0xCD, 0xCD, 0x41}},
        {u"1.5E+3", {0x1E, 0xDC, 0x05}},
        {u"25e-1", {0x1F, 0, 0, 0, 0, 0, 0, 0x04, 0x40}},
        {u"-1", {0x1E, 1, 0, 0x13}},
        {u"+-1", {0x1E, 1, 0, 0x13, 0x12}},
        {u"50%*2", {0x1E, 50, 0, 0x14, 0x1E, 2, 0, 0x05}},
        {u"1%%", {0x1E, 1, 0, 0x14, 0x14}},
        {u"1&2", {0x1E, 1, 0, 0x1E, 2, 0, 0x08}},
        {u"1<2=TRUE", {0x1E, 1, 0, 0x1E, 2, 0, 0x09, 0x1D, 1, 0x0B}},
        {u"IF(1,2)", {0x1E, 1, 0, 0x1E, 2, 0, 0x42, 2, 1, 0}},
        {u"IF(A1,B1)", {0x44, 0, 0, 0, 0xC0, 0x24, 0, 0, 1, 0xC0, 0x42, 2, 1, 0}},
        {u"SIN(1)", {0x1E, 1, 0, 0x41, 15, 0}},
        {u"PI()", {0x41, 19, 0}},
        {u"\"\"", {0x17, 0, 0}},
        {u"\"ab\"", {0x17, 2, 1, 'a', 0, 'b', 0}},
        {u"TAX*RATE", {0x43, 1, 0, 0, 0, 0x43, 42, 0, 0, 0, 0x05}},
        {u"Data!A1", {0x5A, 5, 0, 0, 0, 0, 0xC0}},
        {u"Sheet2!$B$29:$B$32028", {0x5B, 6, 0, 28, 0, 0x1B, 0x7D, 1, 0, 1, 0}},
        {u"MAX(Sheet2!B1:B9)", {0x3B, 6, 0, 0, 0, 8, 0, 1, 0xC0, 1, 0xC0, 0x42, 1, 7, 0}},
        {u"(1)", {0x1E, 1, 0, 0x15}},
        {u"SUM(1,)", {0x1E, 1, 0, 0x16, 0x42, 2, 4, 0}},
        {u"SUM(,1)", {0x16, 0x1E, 1, 0, 0x42, 2, 4, 0}},
        {u"ERROR.TYPE(#N/A)", {0x1C, 0x2A, 0x41, 0x05, 0x01}},
        {u"sum(a1)", {0x24, 0, 0, 0, 0xC0, 0x42, 1, 4, 0}},
        // the outer class returns after a function: the area stays a reference for SUM
        {u"SUM(ABS(1)+A1:A2)", {0x1E, 1, 0, 0x41, 24, 0, 0x25, 0, 0, 1, 0, 0, 0xC0, 0, 0xC0, 0x03, 0x42, 1, 4, 0}},
        // spaces before operands, operators and parentheses
        {u"1 +  2", {0x1E, 1, 0, 0x19, 0x40, 0, 2, 0x1E, 2, 0, 0x19, 0x40, 0, 1, 0x03}},
        {u"( 1 )", {0x19, 0x40, 0, 1, 0x1E, 1, 0, 0x19, 0x40, 4, 1, 0x15}},
        {u"2* (1)", {0x1E, 2, 0, 0x1E, 1, 0, 0x19, 0x40, 2, 1, 0x15, 0x05}},
        {u"SUM( 1 )", {0x19, 0x40, 0, 1, 0x1E, 1, 0, 0x19, 0x40, 4, 1, 0x42, 1, 4, 0}},
    };
    for (const TCase& c : cases) EXPECT_EQ(Encode(c.Text), c.Ptgs) << base::Utf16ToUtf8(c.Text);
}

TEST_F(EncodeFormulaTest, FormulaClass) {
    EXPECT_EQ(Encode(u"A1", 0x20), Bytes({0x24, 0, 0, 0, 0xC0}));
    EXPECT_EQ(Encode(u"A1:A2", 0x60), Bytes({0x65, 0, 0, 1, 0, 0, 0xC0, 0, 0xC0}));
    EXPECT_EQ(Encode(u"Data!A1", 0x20)[0], 0x3A);
    EXPECT_EQ(Encode(u"TRANSPOSE(A1:A2)")[0], 0x65);  // the array class of its argument
}

TEST_F(EncodeFormulaTest, ErrorConstantsAreWritten) {
    const std::pair<std::u16string_view, uint8_t> errors[] = {{u"#NULL!", 0x00}, {u"#DIV/0!", 0x07}, {u"#VALUE!", 0x0F},
                                                              {u"#REF!", 0x17},  {u"#NAME?", 0x1D},  {u"#NUM!", 0x24},
                                                              {u"#N/A", 0x2A},   {u"#n/a", 0x2A}};
    for (const auto& [text, code] : errors) EXPECT_EQ(Encode(text), Bytes({0x1C, code})) << base::Utf16ToUtf8(text);
    EXPECT_EQ(Encode(u"IF(A1=#N/A,1,#DIV/0!)"),
              Bytes({0x44, 0, 0, 0, 0xC0, 0x1C, 0x2A, 0x0B, 0x1E, 1, 0, 0x1C, 0x07, 0x42, 3, 1, 0}));
    Collect(u"#WHAT");
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Code, 2);
    EXPECT_EQ(Reports[0].Message, "Error in formula #WHAT\rInvalid symbol #WHAT");
}

TEST_F(EncodeFormulaTest, LeftoverTokensAreReported) {
    for (std::u16string_view text : {u"1 2", u"A1 B1", u"1)", u"1,2", u"\"a\" \"b\"", u"SUM(1 2)", u"1+2 3"}) {
        Reports.clear();
        Collect(text);
        ASSERT_FALSE(Reports.empty()) << base::Utf16ToUtf8(text);
        EXPECT_EQ(Reports[0].Code, 2) << base::Utf16ToUtf8(text);
    }
    Encoder.OnEncodeError = nullptr;
    try {
        Encode(u"1 2");
        ADD_FAILURE();
    } catch (const EXLSError& e) {
        EXPECT_EQ(std::string(e.what()), "Error in formula 1 2\rInvalid symbol 2");
    }
}

TEST_F(EncodeFormulaTest, EveryFixedCountFunctionRefusesOtherCounts) {
    const auto table = ExcelFunctions();
    int checked = 0;
    for (int id = 0; id < ExcelFunctionCount; ++id) {
        const TExcelFunction& f = table[id];
        if (f.MinArgs == ExcelFuncUnusable || f.MinArgs != f.MaxArgs) continue;
        for (int count : {f.MinArgs - 1, f.MinArgs + 0, f.MinArgs + 1}) {
            if (count < 0) continue;
            std::u16string text = std::u16string(f.Name) + u"(";
            for (int i = 0; i < count; ++i) text += i ? u",1" : u"1";
            text += u")";
            Reports.clear();
            const Bytes ptgs = Collect(text);
            const bool refused = !Reports.empty() && Reports[0].Code == 17;
            EXPECT_EQ(refused, count != f.MinArgs) << base::Utf16ToUtf8(text);
            if (count == f.MinArgs) {
                ASSERT_GE(ptgs.size(), 3u);
                EXPECT_EQ(Bytes(ptgs.end() - 3, ptgs.end()), Bytes({0x41, uint8_t(id & 0xFF), uint8_t(id >> 8)}));
            }
        }
        ++checked;
    }
    EXPECT_EQ(checked, 167);
    Reports.clear();
    Collect(u"SIN(1,2)");
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Message, "Error in formula SIN(1,2)\rWrong number of arguments for function SIN");
}

TEST_F(EncodeFormulaTest, VariableCountsOutsideTheLimits) {
    for (std::u16string_view text : {u"IF(1)", u"IF(1,2,3,4)", u"INDEX(1)", u"INDEX(1,2,3,4,5)", u"CELL(1,2,3)",
                                     u"ADDRESS(1)", u"ADDRESS(1,2,3,4,5,6)"}) {
        Reports.clear();
        Collect(text);
        ASSERT_EQ(Reports.size(), 1u) << base::Utf16ToUtf8(text);
        EXPECT_EQ(Reports[0].Code, 17);
    }
    std::u16string many = u"SUM(1";
    for (int i = 1; i < 128; ++i) many += u",1";
    Reports.clear();
    Collect(many + u")");
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Code, 17);
    Reports.clear();
    EXPECT_EQ(Collect(u"SUM(1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1)").size(), 94u);
    EXPECT_TRUE(Reports.empty());
}

// Numbers in the text the decoder gives (scientific notation beyond 15 digits) compile back to
// the same value.
TEST_F(EncodeFormulaTest, DecodedNumbersCompileAgain) {
    for (double value : {1e20, 2.5e-7, 1.5e300, 123456789012345678.0}) {
        const std::u16string text = FormulaNumberToText(value);
        SCOPED_TRACE(base::Utf16ToUtf8(text));
        const Bytes ptgs = Encode(text);
        ASSERT_EQ(ptgs.size(), 9u);
        EXPECT_EQ(ptgs[0], 0x1F);
        EXPECT_EQ(DecodeBiffFormula(ptgs, 0, u',', {}, 0, 0), text);
    }
}

TEST_F(EncodeFormulaTest, Reports) {
    struct TCase {
        std::u16string_view Text;
        int Code;
        std::string Message;
    };
    const TCase cases[] = {
        {u"1+*2", 1, "Invalid constant *"},
        {u"Nowhere!A1", 2, "Invalid symbol NOWHERE"},
        {u"1+", 2, "Invalid symbol "},
        {u"SUM(1", 3, "Closing paranthese missing in function"},
        {u"SUM(1,", 3, "Closing paranthese missing in function"},
        {u"GOTO(1)", 4, "Invalid function name GOTO"},
        {u"NOSUCH(1)", 4, "Invalid function name NOSUCH"},
        {u"\"abc", 5, "Missing quote characther in string \"abc"},
        {u"\"%s", 5, "Missing quote characther in string \"%s"},
        {u"UNKNOWN+1", 7, "Unknown name UNKNOWN"},
        {u"IW1", 7, "Unknown name IW1"},
        {u"(1+2", 11, "Missmatching parantheses"},
        {u"1.2.3", 12, "Illegal number"},
        {u"1E+", 12, "Illegal number"},
        {u"'a/b'!A1", 13, "Illegal character in string a/b"},
        {u"[]A1", 14, "Bad filename []A1"},
        {u"\"a\"!A1", 15, "Invalid 3D name a"},
        {u"$Z", 16, "Invalid name $Z"},
        {u"   ", 18, "Empty formula"},
    };
    for (const TCase& c : cases) {
        Reports.clear();
        try {
            Collect(c.Text);
        } catch (const EXLSError&) {
            // the tokenizer's reports end in "Error in formula" after the event
        }
        ASSERT_FALSE(Reports.empty()) << base::Utf16ToUtf8(c.Text);
        EXPECT_EQ(Reports[0].Code, c.Code) << base::Utf16ToUtf8(c.Text);
        // The blank formula is reported before its text is kept.
        const std::string text = c.Code == 18 ? "" : base::Utf16ToUtf8(c.Text);
        EXPECT_EQ(Reports[0].Message, "Error in formula " + text + "\r" + c.Message);
    }
}

TEST_F(EncodeFormulaTest, StringLimits) {
    const std::u16string s255(255, u'x');
    EXPECT_EQ(Encode(u"\"" + s255 + u"\"").size(), 3u + 510u);
    Collect(u"\"" + s255 + u"x\"");
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Code, 6);
    // An apostrophe inside a string opens no quote: the reference after it is still upper case.
    EXPECT_EQ(Encode(u"\"It's \"&a1"),
              Bytes({0x17, 5, 1, 'I', 0, 't', 0, '\'', 0, 's', 0, ' ', 0, 0x44, 0, 0, 0, 0xC0, 0x08}));
    EXPECT_EQ(Encode(u"\"\u6E29\u5EA6\""), Bytes({0x17, 2, 1, 0x29, 0x6E, 0xA6, 0x5E}));
}

TEST_F(EncodeFormulaTest, ExternalReferences) {
    Encode(u"Sheet2!A1+Data!A1");
    EXPECT_EQ(Encoder.LastSheetIndex(), 0);
    Encode(u"A1");
    EXPECT_EQ(Encoder.LastSheetIndex(), -1);
    EXPECT_EQ(Encode(u"'C:\\dir\\[Book.xls]Sheet2'!A1"), Bytes({0x5A, 6, 0, 0, 0, 0, 0xC0}));
    EXPECT_EQ(ExternCalls.back(), "C:\\dir\\|Book.xls|A1|Sheet2|sheet");
    EXPECT_EQ(Encode(u"'C:\\dir\\x.xls'!ExtName"), Bytes({0x59, 3, 0, 9, 0, 0, 0}));
    EXPECT_EQ(ExternCalls.back(), "C:\\dir\\x.xls||EXTNAME||name");
    EXPECT_EQ(Encode(u"'Data'!B2"), Bytes({0x5A, 5, 0, 1, 0, 1, 0xC0}));
}

TEST(EncodeFormula, RaisedFailures) {
    TEncodeFormula encoder;
    uint8_t buf[16];
    auto message = [&](std::u16string_view text, int size = 16) {
        try {
            encoder.Encode(text, 0, 1, size, buf);
        } catch (const EXLSError& e) {
            return std::string(e.what());
        }
        return std::string("no exception");
    };
    EXPECT_EQ(message(u""), "Error in formula \rEmpty formula");
    EXPECT_EQ(message(u"1+2", 6), "Formula buffer overflow.");
    EXPECT_EQ(message(u"1+2", 7), "no exception");
    EXPECT_EQ(message(u"SUM(1,2,3,4,5,6)"), "Formula buffer overflow.");
    EXPECT_EQ(message(u".5"), "Illegal use of decimal separator");
    EXPECT_EQ(message(u"1+?"), "Invalid name");
    EXPECT_EQ(message(u"{1}"), "Error in formula");
    EXPECT_EQ(message(u"\"abc"), "Error in formula \"abc\rMissing quote characther in string \"abc");
    EXPECT_EQ(message(std::u16string(100000, u'(') + u"1"), "Formula nested too deeply");
    EXPECT_EQ(message(std::u16string(100000, u'-') + u"1"), "Formula nested too deeply");
    EXPECT_EQ(message(u"A1", 0), "Formula buffer overflow.");
}

}  // namespace
}  // namespace xls
