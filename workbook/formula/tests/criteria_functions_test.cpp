#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbook/formula/criteria.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

using test::Show;
using test::TCase;

TEST(Wildcard, PatternsMatchWholeTextsWithoutCase) {
    const struct {
        const char16_t* Pattern;
        const char16_t* Text;
        bool Matches;
    } cases[] = {
        {u"b*", u"Banana", true},
        {u"b*", u"abc", false},
        {u"*", u"", true},
        {u"?", u"", false},
        {u"a?c", u"ABC", true},
        {u"a?c", u"ac", false},
        {u"*an*", u"banana", true},
        {u"*a", u"banana", true},
        {u"*n", u"banana", false},
        {u"a~*b", u"a*b", true},
        {u"a~*b", u"axb", false},
        {u"a~?b", u"a?b", true},
        {u"a~~b", u"a~b", true},
        {u"~", u"~", true},
        {u"[ab]", u"a", false},
        {u"[ab]", u"[AB]", true},
        {u"a*b*c", u"aXbYbZc", true},
        {u"a*b*c", u"aXbYbZ", false},
        {u"straße", u"STRASSE", false},
        {u"äö*", u"ÄÖÜ", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TWildcardPattern(c.Pattern).Matches(c.Text), c.Matches)
            << base::Utf16ToUtf8(c.Pattern) << " ~ " << base::Utf16ToUtf8(c.Text);
    }
    // Many stars are no limit and cost no backtracking explosion.
    const TWildcardPattern many(std::u16string(40, u'*') + u"x" + std::u16string(40, u'*') + u"y");
    EXPECT_TRUE(many.Matches(std::u16string(5000, u'x') + u"y"));
    EXPECT_FALSE(many.Matches(std::u16string(5000, u'x')));
}

// A: 1, "x", "x", 3; B: "t", "u", 4, 5; a database in D1:F5 whose Sales holds no number for
// the North records.
class CriteriaFunctionsTest : public ::testing::Test {
protected:
    CriteriaFunctionsTest() : Doc(1), Eval(Doc) {
        TXLSCellMMU& s = *Doc.SheetCells(0);
        s.StoreFloat(0, 0, 0, 1);
        s.StoreString(0, 1, 0, u"x");
        s.StoreString(0, 2, 0, u"x");
        s.StoreFloat(0, 3, 0, 3);
        s.StoreString(1, 0, 0, u"t");
        s.StoreString(1, 1, 0, u"u");
        s.StoreFloat(1, 2, 0, 4);
        s.StoreFloat(1, 3, 0, 5);
        const char16_t* heads[] = {u"Region", u"Sales", u"Age"};
        for (int c = 0; c < 3; ++c) s.StoreString(3 + c, 0, 0, heads[c]);
        s.StoreString(3, 1, 0, u"North"), s.StoreString(4, 1, 0, u"n/a"), s.StoreFloat(5, 1, 0, 30);
        s.StoreString(3, 2, 0, u"north"), s.StoreFloat(5, 2, 0, 40);
        s.StoreString(3, 3, 0, u"South"), s.StoreFloat(4, 3, 0, 7), s.StoreFloat(5, 3, 0, 50);
        s.StoreString(3, 4, 0, u"South"), s.StoreFloat(4, 4, 0, 9), s.StoreFloat(5, 4, 0, 60);
        s.StoreString(7, 0, 0, u"Region"), s.StoreString(7, 1, 0, u"North");
        s.StoreString(8, 0, 0, u"Region"), s.StoreString(8, 1, 0, u"South");
        s.CalcDimension();
    }

    std::string Run(const char16_t* text) {
        const std::vector<uint8_t> ptgs = test::CompileNewer(Doc, text);
        return Show(Eval.Evaluate(0, 12, 0, ptgs.data(), static_cast<int>(ptgs.size())));
    }

    test::TTestFormulaDocument Doc;
    TXLSFormulaEvaluator Eval;
};

TEST_F(CriteriaFunctionsTest, AveragesCountOnlyMatchingNumbers) {
    const TCase cases[] = {
        // The one match has a text to average: nothing to divide.
        {u"AVERAGEIF(A1:A4,1,B1:B4)", "#DIV/0!"},
        {u"AVERAGEIFS(B1:B4,A1:A4,1)", "#DIV/0!"},
        // Two matches, one number: that number, not half of it.
        {u"AVERAGEIF(A1:A4,\"x\",B1:B4)", "4"},
        {u"AVERAGEIFS(B1:B4,A1:A4,\"x\")", "4"},
        {u"AVERAGEIF(A1:A4,\">0\",B1:B4)", "5"},
        {u"SUMIF(A1:A4,\"x\",B1:B4)", "4"},
        {u"COUNTIF(A1:A4,\"x\")", "2"},
        // Database averages: the North records hold no number in Sales.
        {u"DAVERAGE(D1:F5,\"Sales\",H1:H2)", "#DIV/0!"},
        {u"DAVERAGE(D1:F5,\"Sales\",I1:I2)", "8"},
        {u"DAVERAGE(D1:F5,3,H1:H2)", "35"},
        {u"DCOUNTA(D1:F5,\"Sales\",H1:H2)", "1"},
        {u"DGET(D1:F5,\"Age\",I1:I2)", "#NUM!"},
        {u"DVAR(D1:F5,\"Sales\",I1:I2)", "2"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
}

TEST_F(CriteriaFunctionsTest, ArgumentShapes) {
    const TCase cases[] = {
        {u"SUMIF(A1:A4,\">0\")", "4"},
        {u"COUNTIFS(A1:A3,\">0\",B1:B4,\">0\")", "#VALUE!"},
        {u"COUNTIFS(A1:A4,\">0\",B1:B4)", "#VALUE!"},
        {u"SUMIFS(B1:B3,A1:A4,\">0\")", "#VALUE!"},
        {u"SUMIF(5,5)", "5"},
        {u"DCOUNT(D1,1,H1:H2)", "0"},
        {u"DCOUNT(1,\"Age\",H1:H2)", "#VALUE!"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
    int min = 0;
    int max = 0;
    TXLSExcelFuncNames::Instance().GetArgCount(345, min, max);
    EXPECT_EQ(min, 2);
    EXPECT_EQ(max, 3);
}

// In an array formula the criterion is taken element by element, the range whole.
TEST_F(CriteriaFunctionsTest, ArrayFormulaTakesCriteriaOneByOne) {
    const std::vector<uint8_t> ptgs = Doc.Compile(u"COUNTIF(A1:A4,A1:A2)");
    const TXLSCellArea range = MakeCellArea(12, 0, 12, 1);
    EXPECT_EQ(Show(Eval.Evaluate(0, 12, 0, ptgs.data(), static_cast<int>(ptgs.size()), &range)), "1");
    TXLSFormulaValue second;
    Eval.Stack().ReadCell(Doc.SheetCells(0), 12, 1, second);
    EXPECT_EQ(Show(second), "2");
}

// Own token code, written byte by byte.
class TCode {
public:
    TCode& U8(uint8_t v) {
        Bytes.push_back(v);
        return *this;
    }
    TCode& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
    TCode& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
    TCode& Ref(int col, int row) { return U8(xptgRef).U32(static_cast<uint32_t>(row)).U16(static_cast<uint16_t>(col)); }
    TCode& Area(int col1, int row1, int col2, int row2) {
        return U8(xptgArea).U32(row1).U32(row2).U16(static_cast<uint16_t>(col1)).U16(static_cast<uint16_t>(col2));
    }
    TCode& Func(int id, int args) {
        return U8(xptgFuncVar).U8(static_cast<uint8_t>(args)).U16(static_cast<uint16_t>(id));
    }
    void Store(TXLSCellMMU& s, int col, int row) {
        s.StoreFormulaTokens(col, row, 0, static_cast<int>(Bytes.size()), Bytes.data(), 0);
        Bytes.clear();
    }
    std::vector<uint8_t> Bytes;
};

constexpr int FuncSum = 4;
constexpr int FuncCountIf = 346;

// Data tables: each result cell runs the table's formula with its input cells replaced by the
// cell's row and column values.
TEST(DataTables, OneAndTwoInputs) {
    test::TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    // One input, values in A2:A4, formula in B1 = $H$1 * 10 (an absolute reference is replaced too).
    for (int i = 0; i < 3; ++i) s.StoreFloat(0, 1 + i, 0, i + 1);
    TCode().Ref(7 | 0x8000, 0x80000000u).U8(xptgInt).U32(10).U8(ptgMul).Store(s, 1, 0);
    TXLSFormulaEvaluator eval(doc);
    const auto table = [&](uint8_t flags, int c1, int r1, int c2, int r2, int in1c, int in1r, int in2c, int in2r) {
        const std::vector<uint8_t> code =
            TCode().U8(xptgDataTable).U8(flags).U16(in1c).U32(in1r).U16(in2c).U32(in2r).Bytes;
        const TXLSCellArea range = MakeCellArea(c1, r1, c2, r2);
        return Show(eval.Evaluate(0, c1, r1, code.data(), static_cast<int>(code.size()), &range));
    };
    const auto cell = [&](int col, int row) {
        TXLSFormulaValue v;
        eval.Stack().ReadCell(&s, col, row, v);
        return Show(v);
    };
    EXPECT_EQ(table(0, 1, 1, 1, 3, 7, 0, 0, 0), "10");
    EXPECT_EQ(cell(1, 2), "20");
    EXPECT_EQ(cell(1, 3), "30");

    // Two inputs: row values in E1:F1, column values in D2:D3, corner D1 = H1 * I1.
    s.StoreFloat(4, 0, 0, 2), s.StoreFloat(5, 0, 0, 3);
    s.StoreFloat(3, 1, 0, 5), s.StoreFloat(3, 2, 0, 7);
    TCode().Ref(7, 0).Ref(8, 0).U8(ptgMul).Store(s, 3, 0);
    EXPECT_EQ(table(0x04, 4, 1, 5, 2, 7, 0, 8, 0), "10");
    EXPECT_EQ(cell(5, 1), "15");
    EXPECT_EQ(cell(4, 2), "14");
    EXPECT_EQ(cell(5, 2), "21");

    // One input with its values in the top row: the formulas stand in the column to the left.
    s.StoreFloat(11, 5, 0, 4), s.StoreFloat(12, 5, 0, 6);
    TCode().Ref(7, 0).Ref(7, 0).U8(ptgAdd).Store(s, 10, 6);
    EXPECT_EQ(table(0x08, 11, 6, 12, 6, 7, 0, 0, 0), "8");
    EXPECT_EQ(cell(12, 6), "12");

    // A corner that holds a number fills the table with 0.
    s.StoreFloat(3, 10, 0, 1);
    EXPECT_EQ(table(0x04, 4, 11, 5, 12, 7, 0, 8, 0), "0");
    EXPECT_EQ(cell(5, 12), "0");
}

// Table references: the table lies on the second sheet (B2:C5: headings in row 2, data in
// rows 3-4, totals in row 5), the formulas on the first, whose cells at the same place hold
// other numbers.
TEST(TableReferences, ReadTheTablesOwnSheet) {
    test::TTestFormulaDocument doc(2);
    for (int sheet = 0; sheet < 2; ++sheet) {
        TXLSCellMMU& s = *doc.SheetCells(sheet);
        for (int r = 2; r <= 4; ++r)
            for (int c = 1; c <= 2; ++c) s.StoreFloat(c, r, 0, sheet == 1 ? r * 10 + c : 1000);
        s.CalcDimension();
    }
    TXLSFormulaEvaluator eval(doc);
    const auto column = [](int col) {
        return TCode().U8(xptgTableColumn).U16(0).U16(col - 1).Area(col, 2, col, 3).Bytes;
    };
    const auto item = [](uint8_t code, uint8_t err, int row1, int row2) {
        return TCode().U8(xptgTableSpecial).U8(code).U8(err).Area(1, row1, 2, row2).Bytes;
    };
    const auto table = [](int sheet, int count) {
        return TCode()
            .U8(xptgTable)
            .U16(0)
            .U16(static_cast<uint16_t>(sheet))
            .U8(static_cast<uint8_t>(count))
            .Area(1, 2, 2, 3)
            .Bytes;
    };
    const auto sum = [&](std::initializer_list<std::vector<uint8_t>> parts, int row = 0) {
        TCode code;
        for (const auto& p : parts) code.Bytes.insert(code.Bytes.end(), p.begin(), p.end());
        code.Func(FuncSum, 1);
        return Show(eval.Evaluate(0, 7, row, code.Bytes.data(), static_cast<int>(code.Bytes.size())));
    };
    const struct {
        const char* What;
        std::string Got;
        const char* Expected;
    } cases[] = {
        {"the whole table", sum({table(1, 0)}), "106"},
        {"a column", sum({column(2), table(1, 1)}), "54"},
        {"a column's data and totals", sum({column(2), item(2, 0, 2, 3), item(4, 0, 4, 4), table(1, 3)}), "96"},
        {"this row (row 4)", sum({column(2), item(5, 0, 0, 0), table(1, 2)}, 3), "32"},
        {"a part the table lacks", sum({item(4, 4, 0, 0), table(1, 1)}), "#REF!"},
        {"an unknown sheet: the current one", sum({column(2), table(0xFFFF, 1)}), "2000"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.Got, c.Expected) << c.What;
    // Damaged code: a table token that claims more parts than the stack holds ends the formula
    // with an error instead of reading past the stack.
    const std::vector<uint8_t> damaged = table(1, 3);
    EXPECT_THROW(eval.Evaluate(0, 7, 0, damaged.data(), static_cast<int>(damaged.size())), EXLSError);
}

// A data-table token outside an array range has no cells to fill: #REF!; a range without room
// for its input row and column is refused.
TEST(DataTables, DamagedTokens) {
    test::TTestFormulaDocument doc(1);
    TXLSFormulaEvaluator eval(doc);
    const std::vector<uint8_t> code = TCode().U8(xptgDataTable).U8(0).U16(7).U32(0).U16(0).U32(0).Bytes;
    EXPECT_EQ(Show(eval.Evaluate(0, 1, 1, code.data(), static_cast<int>(code.size()))), "#REF!");
    const TXLSCellArea edge = MakeCellArea(0, 0, 1, 1);
    EXPECT_THROW(eval.Evaluate(0, 0, 0, code.data(), static_cast<int>(code.size()), &edge), EXLSError);
}

// A criterion over whole columns costs the used rows only and gives what a short range gives.
TEST(CriteriaOverColumns, WholeColumnsWalkTheUsedRows) {
    test::TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    for (int i = 0; i < 100; ++i) s.StoreFloat(1, i, 0, i);
    s.StoreFloat(1, 2000000 % 1048576, 0, 99);
    s.CalcDimension();
    TXLSFormulaEvaluator eval(doc);
    const std::vector<uint8_t> code =
        TCode().Area(1, 0, 1, 1048575).U8(xptgStr).U16(3).U16(u'>').U16(u'9').U16(u'0').Func(FuncCountIf, 2).Bytes;
    EXPECT_EQ(Show(eval.Evaluate(0, 5, 0, code.data(), static_cast<int>(code.size()))), "10");
}

}  // namespace
}  // namespace xls
