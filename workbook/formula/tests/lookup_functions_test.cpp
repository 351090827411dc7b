#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/formula/wildcard_pattern.h"
#include "workbook/model/cell_store.h"

namespace xls {
namespace {

using test::Show;
using test::TCase;

// A1:A3 = 1, 2, 2 with B1:B3 = 10, 20, 30; C1 = "bob", C2 = "a[b]c"; D1, D3, D5 = 1, 3, 5 with
// empty cells between; E1:G1 = 2, 2, 3 over E2:G2 = "p", "q", "r"; A5000 = 9 far below the rest.
class LookupFunctionsTest : public ::testing::Test {
protected:
    LookupFunctionsTest() : Doc(1), Eval(Doc) {
        TXLSCellMMU& s = *Doc.SheetCells(0);
        const double keys[] = {1, 2, 2};
        for (int i = 0; i < 3; ++i) {
            s.StoreFloat(0, i, 0, keys[i]);
            s.StoreFloat(1, i, 0, 10.0 * (i + 1));
            s.StoreFloat(3, 2 * i, 0, 2 * i + 1);
        }
        s.StoreString(2, 0, 0, u"bob");
        s.StoreString(2, 1, 0, u"a[b]c");
        const double row[] = {2, 2, 3};
        const char16_t* texts[] = {u"p", u"q", u"r"};
        for (int i = 0; i < 3; ++i) {
            s.StoreFloat(4 + i, 0, 0, row[i]);
            s.StoreString(4 + i, 1, 0, texts[i]);
        }
        s.StoreFloat(0, 4999, 0, 9);
        s.CalcDimension();
    }

    std::string Run(std::u16string_view text) {
        const std::vector<uint8_t> ptgs = test::CompileNewer(Doc, std::u16string(text));
        return Show(Eval.Evaluate(0, 20, 20, ptgs.data(), static_cast<int>(ptgs.size())));
    }

    // The first value of an array formula at H30: its operators turn areas into arrays.
    std::string RunArray(std::u16string_view text) {
        const std::vector<uint8_t> ptgs = test::CompileNewer(Doc, std::u16string(text));
        const TXLSCellArea range{29, 29, 7, 7};
        return Show(Eval.Evaluate(0, 7, 29, ptgs.data(), static_cast<int>(ptgs.size()), &range));
    }

    void Check(std::initializer_list<TCase> cases, bool array) {
        for (const TCase& c : cases)
            EXPECT_EQ(array ? RunArray(c.Formula) : Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
    }

    test::TTestFormulaDocument Doc;
    TXLSFormulaEvaluator Eval;
};

// Exact matches take the first equal key; texts are patterns of "*", "?" and "~" only, with no
// limit on stars; approximate matches find the last key at or below the value across gaps and
// far down long columns.
TEST_F(LookupFunctionsTest, MatchesFirstExactKeyAndLastSortedKey) {
    Check({{u"VLOOKUP(2,A1:B3,2,FALSE)", "20"},
           {u"VLOOKUP(2,A1:B3,2)", "30"},
           {u"HLOOKUP(2,E1:G2,2,FALSE)", "\"p\""},
           {u"HLOOKUP(2,E1:G2,2)", "\"q\""},
           {u"MATCH(2,A1:A3,0)", "2"},
           {u"VLOOKUP(\"a[b]c\",C1:C2,1,FALSE)", "\"a[b]c\""},
           {u"VLOOKUP(\"[ab]*\",C1:C2,1,FALSE)", "#N/A"},
           {u"MATCH(REPT(\"*\",31)&\"bob\",C1:C2,0)", "1"},
           {u"MATCH(\"B?B\",C1:C2,0)", "1"},
           {u"MATCH(9,A1:A65536,0)", "5000"},
           {u"VLOOKUP(9,A1:A65536,1)", "9"},
           {u"VLOOKUP(8,A1:B65536,2)", "30"},
           {u"MATCH(4,D1:D5)", "3"},
           {u"MATCH(6,D1:D5)", "5"},
           {u"MATCH(0,D1:D5)", "#N/A"},
           {u"MATCH(3,D1:D5,0)", "3"},
           {u"LOOKUP(4,D1:D5,A1:A5)", "2"}},
          false);
}

// Tables, vectors and references given as arrays are read as arrays.
TEST_F(LookupFunctionsTest, ArraysAreReadAsArrays) {
    Check({{u"VLOOKUP(2,A1:B3*1,2)", "30"},
           {u"VLOOKUP(2,A1:B3*1,2,FALSE)", "20"},
           {u"VLOOKUP(5,A1:B3*1,3)", "#REF!"},
           {u"HLOOKUP(3,E1:G1*1,1)", "3"},
           {u"MATCH(2,A1:A3*1,0)", "2"},
           {u"LOOKUP(2,A1:A3*1,B1:B3*1)", "30"},
           {u"LOOKUP(2,A1:B3*1)", "30"},
           {u"INDEX(A1:B3*1,3,2)", "30"},
           {u"INDEX(A1:A3*1,2)", "2"},
           {u"INDEX(E1:G1*1,3)", "3"},
           {u"INDEX(A1:B3*1,4,1)", "#REF!"},
           {u"ROWS(A1:B3*1)", "3"},
           {u"COLUMNS(A1:B3*1)", "2"},
           {u"IFERROR(A1:A3/0,5)", "5"}},
          true);
}

// IFERROR passes values and references through unless they hold an error.
TEST_F(LookupFunctionsTest, IfErrorReplacesOnlyErrors) {
    Check({{u"IFERROR(1/0,\"e\")", "\"e\""},
           {u"IFERROR(2,\"e\")", "2"},
           {u"IFERROR(NA(),B2)", "20"},
           {u"IFERROR(B2,1/0)", "20"},
           {u"IFERROR(\"\",1)", "\"\""}},
          false);
}

// CELL tells the position, kind and file of a reference's first cell (A1 of the formula's sheet
// without one); the formatting infos keep neutral values.
TEST_F(LookupFunctionsTest, CellDescribesTheFirstCellOfItsReference) {
    Check({{u"CELL(\"address\",B2:C3)", "\"$B$2\""},
           {u"CELL(\"address\")", "\"$A$1\""},
           {u"CELL(\"Row\",C7)", "7"},
           {u"CELL(\"col\",AA1)", "27"},
           {u"CELL(\"type\",H9)", "\"b\""},
           {u"CELL(\"type\",C1)", "\"l\""},
           {u"CELL(\"type\",A1)", "\"v\""},
           {u"CELL(\"width\",A1)", "0"},
           {u"CELL(\"prefix\",C1)", "\"\""},
           {u"CELL(\"filename\",A1)", "\"\""},
           {u"CELL(\"\",A1)", "#VALUE!"},
           {u"CELL(\"contents\",A1)", "#VALUE!"}},
          false);
    struct TNamedDocument : test::TTestFormulaDocument {
        TNamedDocument() : TTestFormulaDocument(2) {}
        std::u16string FileName() const override { return u"/data/[log.xls]"; }
    } named;
    TXLSFormulaEvaluator eval(named);
    const struct {
        const char16_t* Formula;
        int Sheet;
        const char* Expected;
    } cases[] = {
        {u"CELL(\"filename\",B2)", 0, "\"/data/[log.xls]S0\""},
        {u"CELL(\"filename\")", 1, "\"/data/[log.xls]S1\""},
        {u"CELL(\"filename\",S1!A1)", 0, "\"/data/[log.xls]S1\""},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> ptgs = named.Compile(c.Formula);
        EXPECT_EQ(Show(eval.Evaluate(c.Sheet, 5, 5, ptgs.data(), static_cast<int>(ptgs.size()))), c.Expected)
            << base::Utf16ToUtf8(c.Formula);
    }
}

TEST(WildcardPattern, MatchesStarsQuestionMarksAndEscapesWithoutCase) {
    const std::u16string stars(40, u'*');
    const struct {
        std::u16string Pattern;
        std::u16string Text;
        bool Matches;
    } cases[] = {
        {u"a*c", u"abbbc", true},
        {u"a*c", u"abbbd", false},
        {u"a?c", u"abc", true},
        {u"a?c", u"ac", false},
        {u"~*", u"*", true},
        {u"~*", u"a", false},
        {u"~?", u"?", true},
        {u"~~", u"~", true},
        {u"a~", u"a~", true},
        {u"*", u"", true},
        {u"?", u"", false},
        {u"[a]", u"a", false},
        {u"[a]", u"[A]", true},
        {u"AB", u"ab", true},
        {u"é*", u"Éclair", true},
        {stars + u"x", u"x", true},
        {u"*a*a*b", u"aaaaaaaa", false},
        {u"*a*a*b", u"xaya-zb", true},
        {u"ab", u"abc", false},
        {u"*c", u"abcc", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TWildcardPattern(c.Pattern).Matches(c.Text), c.Matches)
            << base::Utf16ToUtf8(c.Pattern) << " ~ " << base::Utf16ToUtf8(c.Text);
}

}  // namespace
}  // namespace xls
