#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "workbook/formula/excel_functions.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/model/cell_store.h"

namespace xls {
namespace {

using test::Show;
using test::TCase;

// A1 = "温度计", A2 = "x", A3 = #N/A, B1..B3 = 1, TRUE, "z", B6 = 6; C1 a format of 256
// characters.
class TextFunctionsTest : public ::testing::Test {
protected:
    TextFunctionsTest() : Doc(1), Eval(Doc) {
        TXLSCellMMU& s = *Doc.SheetCells(0);
        s.StoreString(0, 0, 0, u"温度计");
        s.StoreString(0, 1, 0, u"x");
        s.StoreError(0, 2, 0, errNA);
        s.StoreFloat(1, 0, 0, 1);
        s.StoreBoolean(1, 1, 0, true);
        s.StoreString(1, 2, 0, u"z");
        s.StoreFloat(1, 5, 0, 6);
        s.StoreString(2, 0, 0, std::u16string(256, u'0'));
        s.CalcDimension();
    }

    std::string Run(std::u16string_view text) {
        const std::vector<uint8_t> ptgs =
            test::CompileNewer(Doc, test::InlineArrays(*Doc.SheetCells(0), std::u16string(text)));
        return Show(Eval.Evaluate(0, 20, 20, ptgs.data(), static_cast<int>(ptgs.size())));
    }

    void Check(const std::vector<TCase>& cases) {
        for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
    }

    test::TTestFormulaDocument Doc;
    TXLSFormulaEvaluator Eval;
};

// CLEAN takes out the control characters only: spaces, Chinese text and symbols stay.
TEST_F(TextFunctionsTest, CleanKeepsSpaces) {
    Check({
        {u"CLEAN(\"a b\"&CHAR(9)&\"c\")", "\"a bc\""},
        {u"CLEAN(\"  \")", "\"  \""},
        {u"CLEAN(A1&CHAR(10)&\" °C\")", "\"温度计 °C\""},
        {u"CLEAN(CHAR(1)&CHAR(31)&CHAR(32)&CHAR(127))", "\" \""},
    });
}

// Positions count characters, so that FIND and SEARCH agree with MID and LEN on Chinese text;
// only the byte forms count the two bytes of a double-byte character of code page 936.
TEST_F(TextFunctionsTest, PositionsAreCharactersExceptInTheByteForms) {
    Check({
        {u"FIND(\"计\",A1)", "3"},
        {u"SEARCH(\"计\",A1)", "3"},
        {u"MID(A1,FIND(\"度\",A1),1)", "\"度\""},
        {u"FIND(\"x\",\"温度x\",3)", "3"},
        {u"SEARCH(\"X\",\"温度x\",4)", "#VALUE!"},
        {u"REPLACE(A1,2,1,\"-\")", "\"温-计\""},
        {u"FINDB(\"计\",A1)", "5"},
        {u"SEARCHB(\"X\",\"温度x\")", "5"},
        {u"FINDB(\"计\",A1,4)", "5"},
        {u"FINDB(\"计\",A1,6)", "#VALUE!"},
        {u"LENB(A1)", "6"},
        {u"LENB(\"a€b\")", "3"},
        {u"LENB(\"a😀\")", "2"},
        {u"LEFTB(A1,3)", "\"温 \""},
        {u"RIGHTB(A1,3)", "\" 计\""},
        {u"MIDB(A1,3,2)", "\"度\""},
        {u"MIDB(A1,2,2)", "\"  \""},
        {u"MIDB(A1,9,1)", "\"\""},
        {u"REPLACEB(A1,3,2,\"x\")", "\"温x计\""},
        {u"REPLACEB(A1,1,1,\"x\")", "\"x 度计\""},
    });
}

// SUBSTITUTE works on the text itself: characters no 8-bit code page holds are kept.
TEST_F(TextFunctionsTest, SubstituteKeepsEveryCharacter) {
    Check({
        {u"SUBSTITUTE(\"温度Ωα😀\",\"度\",\"°\")", "\"温°Ωα😀\""},
        {u"SUBSTITUTE(\"€ƒ€\",\"ƒ\",\"-\")", "\"€-€\""},
        {u"SUBSTITUTE(\"aaa\",\"aa\",\"b\")", "\"ba\""},
        {u"SUBSTITUTE(\"aaa\",\"aa\",\"b\",2)", "\"ab\""},
        {u"SUBSTITUTE(\"温温温\",\"温\",\"度\",3)", "\"温温度\""},
        {u"SUBSTITUTE(\"abc\",\"\",\"x\")", "\"abc\""},
        {u"SUBSTITUTE(\"abc\",\"b\",\"x\",0)", "#VALUE!"},
    });
}

// CONCATENATE walks areas cell by cell; an error value anywhere is the result.
TEST_F(TextFunctionsTest, ConcatenateWalksAreasAndKeepsErrors) {
    Check({
        {u"CONCATENATE(B1:B3)", "\"1TRUEz\""},
        {u"CONCATENATE(A2,B1:B2,\"-\")", "\"x1TRUE-\""},
        {u"CONCATENATE(B3:B6)", "\"z6\""},
        {u"CONCATENATE(\"a\",A3,\"b\")", "#N/A"},
        {u"CONCATENATE(\"a\",A1:A3)", "#N/A"},
    });
}

// A format the masks refuse is a wrong argument of TEXT, never a failure of the calculation;
// elapsed hours keep their minutes and count whole hours.
TEST_F(TextFunctionsTest, TextFormatsAndRefusesLongFormats) {
    Check({
        {u"TEXT(1,C1)", "#VALUE!"},
        {u"TEXT(0,\"0;-0;\"\"zero\"\"\")", "\"zero\""},
        {u"TEXT(1.75,\"[h]:mm\")", "\"42:00\""},
        {u"TEXT(0.99,\"[h]\")", "\"23\""},
        {u"TEXT(1/24-1/86400,\"[h]:mm:ss\")", "\"0:59:59\""},
        {u"TEXT(A3,\"0\")", "#N/A"},
        {u"TEXT(\"x\",\"0\")", "#VALUE!"},
        {u"VALUE(\"$1.5\")", "1.5"},
        {u"HYPERLINK(\"a\",\"\")", "\"\""},
    });
}

// Every function of this file, called with any kind of argument, leaves exactly one result.
TEST_F(TextFunctionsTest, SurviveAnyArguments) {
    static const char16_t* const Functions[] = {
        u"CONCATENATE", u"CLEAN", u"REPLACE", u"REPLACEB", u"SUBSTITUTE", u"FIND", u"FINDB", u"SEARCH",
        u"SEARCHB",     u"LEFTB", u"RIGHTB",  u"MIDB",     u"LENB",       u"TEXT", u"VALUE", u"HYPERLINK"};
    static const char16_t* const Arguments[] = {u"0",     u"-1",    u"2",          u"4294967296", u"\"温度\"",
                                                u"\"\"",  u"#N/A",  u"TRUE",       u"A1",         u"B1:B6",
                                                u"A1:B3", u"{1,2}", u"\"[h]:mm\"", u"2147483647", u"\"a😀\""};
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, std::size(Arguments) - 1);
    for (const char16_t* name : Functions) {
        const int id = TXLSExcelFuncNames::Instance().IdByName(name);
        int min = 0;
        int max = 0;
        TXLSExcelFuncNames::Instance().GetArgCount(id, min, max);
        for (int count = std::max(min, 1); count <= std::min(max, 4); ++count)
            for (int round = 0; round < 40; ++round) {
                std::u16string call = std::u16string(name) + u"(";
                for (int i = 0; i < count; ++i) call += (i ? u"," : u"") + std::u16string(Arguments[pick(random)]);
                call += u")";
                EXPECT_NO_THROW(Run(call)) << base::Utf16ToUtf8(call);
            }
    }
}

}  // namespace
}  // namespace xls
