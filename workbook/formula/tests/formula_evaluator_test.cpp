#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

using test::Show;
using test::TCase;
using test::TTestFormulaDocument;

// Sheet S0: A1..A5 = 1, 2, 3, "4" (text), TRUE; B1..B3 = 10, empty, #DIV/0!; C1 = "abc"; C2 = "".
// D1..D6 = 3, 1, 4, 1, 5, 9. Sheets S1 and S2 hold 100 and 200 in A1.
class FormulaEvaluatorTest : public ::testing::Test {
protected:
    FormulaEvaluatorTest() : Doc(3), Eval(Doc) {
        TXLSCellMMU& s = *Doc.SheetCells(0);
        s.StoreFloat(0, 0, 0, 1);
        s.StoreFloat(0, 1, 0, 2);
        s.StoreFloat(0, 2, 0, 3);
        s.StoreString(0, 3, 0, u"4");
        s.StoreBoolean(0, 4, 0, true);
        s.StoreFloat(1, 0, 0, 10);
        s.StoreError(1, 2, 0, errDiv0);
        s.StoreString(2, 0, 0, u"abc");
        s.StoreString(2, 1, 0, u"");
        const double d[] = {3, 1, 4, 1, 5, 9};
        for (int i = 0; i < 6; ++i) s.StoreFloat(3, i, 0, d[i]);
        s.CalcDimension();
        for (int i = 1; i <= 2; ++i) {
            Doc.SheetCells(i)->StoreFloat(0, 0, 0, 100 * i);
            Doc.SheetCells(i)->CalcDimension();
        }
    }

    std::string Run(std::u16string_view text, int col = 7, int row = 9) {
        const std::vector<uint8_t> ptgs = Doc.Compile(text);
        return Show(Eval.Evaluate(0, col, row, ptgs.data(), static_cast<int>(ptgs.size())));
    }

    // An array formula over cols x rows cells from H30; the values of its range row by row.
    std::vector<std::string> RunArray(std::u16string_view text, int cols = 1, int rows = 1) {
        const std::vector<uint8_t> ptgs = Doc.Compile(text);
        const TXLSCellArea range{29, 29 + rows - 1, 7, 7 + cols - 1};
        std::vector<std::string> out{Show(Eval.Evaluate(0, 7, 29, ptgs.data(), static_cast<int>(ptgs.size()), &range))};
        for (int i = 1; i < cols * rows; ++i) {
            TXLSFormulaValue v;
            Eval.Stack().ReadCell(Doc.SheetCells(0), 7 + i % cols, 29 + i / cols, v);
            out.push_back(Show(v));
        }
        return out;
    }

    TTestFormulaDocument Doc;
    TXLSFormulaEvaluator Eval;
};

TEST_F(FormulaEvaluatorTest, Operators) {
    const TCase cases[] = {
        {u"1+2*3", "7"},
        {u"(1+2)*3", "9"},
        {u"2^10", "1024"},
        {u"2^-1", "0.5"},
        {u"-3+1", "-2"},
        {u"50%", "0.5"},
        {u"1/0", "#DIV/0!"},
        {u"0^-1", "#DIV/0!"},
        {u"(-8)^0.5", "#NUM!"},
        {u"10^300*10^300", "#NUM!"},
        {u"1+B2", "1"},
        {u"1+A4", "5"},
        {u"1+TRUE", "2"},
        {u"1+C1", "#VALUE!"},
        {u"#N/A+#REF!", "#N/A"},
        {u"1+B3", "#DIV/0!"},
        {u"1&2", "\"12\""},
        {u"TRUE&1", "\"TRUE1\""},
        {u"\"a\"&B3", "#DIV/0!"},
        {u"0.1+0.2&\"\"", "\"0.3\""},
        {u"B2=B2", "TRUE"},
        {u"B2=0", "TRUE"},
        {u"B2=\"\"", "TRUE"},
        {u"B2=C2", "TRUE"},
        {u"B2<1", "TRUE"},
        {u"5<\"a\"", "TRUE"},
        {u"TRUE>1", "TRUE"},
        {u"TRUE=\"TRUE\"", "FALSE"},
        {u"TRUE>\"zzz\"", "TRUE"},
        {u"\"abc\"=\"ABC\"", "TRUE"},
        {u"\"a\"<\"B\"", "TRUE"},
        {u"1<>1", "FALSE"},
        {u"B3=1", "#DIV/0!"},
        {u"A1:A3", "#VALUE!"},
        {u"10^20&\"\"", "\"1E+20\""},
    };
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
}

// Two numbers are equal when they agree to 15 significant digits, in every comparison operator
// and in the array forms; a difference in the 15th digit still counts.
TEST_F(FormulaEvaluatorTest, ComparisonsOfNumbersTo15Digits) {
    const TCase cases[] = {
        {u"0.1+0.2=0.3", "TRUE"},  {u"0.3=0.1+0.2", "TRUE"},     {u"0.1+0.2<>0.3", "FALSE"},
        {u"0.1+0.2<0.3", "FALSE"}, {u"0.1+0.2>0.3", "FALSE"},    {u"0.1+0.2<=0.3", "TRUE"},
        {u"0.1+0.2>=0.3", "TRUE"}, {u"1.1-1=0.1", "TRUE"},       {u"1+2E-15=1", "TRUE"},
        {u"1+1E-14=1", "FALSE"},   {u"1+1E-14>1", "TRUE"},       {u"-0.1-0.2=-0.3", "TRUE"},
        {u"1E-300=0", "FALSE"},    {u"B2=0.1+0.2-0.3", "FALSE"}, {u"10^300*10=10^301", "TRUE"},
        {u"0.1*3=0.3", "TRUE"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
    EXPECT_EQ(RunArray(u"(D1:D2/10+0.2)=0.5", 1, 2), (std::vector<std::string>{"TRUE", "FALSE"}));
}

// Lookups of exact matches keep comparing exactly: 0.1+0.2 stored in a cell is not 0.3 there.
TEST_F(FormulaEvaluatorTest, ExactMatchLookupsCompareExactly) {
    Doc.SheetCells(0)->StoreFloat(5, 0, 0, 0.1 + 0.2);
    Doc.SheetCells(0)->StoreFloat(5, 1, 0, 0.3);
    Doc.SheetCells(0)->CalcDimension();
    EXPECT_EQ(Run(u"MATCH(0.3,F1:F2,0)"), "2");
    EXPECT_EQ(Run(u"F1=0.3"), "TRUE");
}

// Inside an array formula a function of single values takes arrays element by element, whatever
// the size of the formula's range: the result is an array that an enclosing function takes
// whole, or that fills the range.
TEST_F(FormulaEvaluatorTest, ArrayFormulasApplyFunctionsElementByElement) {
    using V = std::vector<std::string>;
    EXPECT_EQ(RunArray(u"MAX(IF(D1:D6<5,D1:D6))"), V{"4"});
    EXPECT_EQ(RunArray(u"MAX(IF(C1:C2=\"\",D1:D2))"), V{"1"});
    EXPECT_EQ(RunArray(u"SUM(LEN(A1:A5))"), V{"8"});
    EXPECT_EQ(RunArray(u"SUM(IF(D1:D6>3,1,0))"), V{"3"});
    EXPECT_EQ(RunArray(u"SUM(ISNA(MATCH(D1:D6,A1:A3,0))*1)"), V{"3"});
    EXPECT_EQ(RunArray(u"SUM(MATCH(D1:D3,D1:D6,0))"), V{"6"});
    EXPECT_EQ(RunArray(u"LEN(A1:A3)&\"\"", 1, 4), (V{"\"1\"", "\"1\"", "\"1\"", "#N/A"}));
    EXPECT_EQ(RunArray(u"CONCATENATE(A1:A2,\"x\")", 1, 2), (V{"\"1x\"", "\"2x\""}));
    EXPECT_EQ(RunArray(u"ABS(-D1:D3)", 3, 1), (V{"3", "3", "3"}));
    // One value fills the whole range, through a function or not.
    EXPECT_EQ(RunArray(u"ABS(-2)", 2, 2), (V{"2", "2", "2", "2"}));
    EXPECT_EQ(RunArray(u"PI()>3", 1, 2), (V{"TRUE", "TRUE"}));
    // Functions of a reference take it whole.
    EXPECT_EQ(RunArray(u"ROW(A1:A3)", 1, 3), (V{"1", "2", "3"}));
    EXPECT_EQ(RunArray(u"SUM(ROW(A2:A4))"), V{"9"});
    EXPECT_EQ(RunArray(u"COLUMN(A1:C1)", 3, 1), (V{"1", "2", "3"}));
}

// SUMPRODUCT takes its arguments as arrays in an ordinary formula too: operators and functions
// inside them work element by element; outside them the formula stays ordinary.
TEST_F(FormulaEvaluatorTest, SumProductArgumentsAreArrays) {
    const TCase cases[] = {
        {u"SUMPRODUCT((D1:D6>3)*D1:D6)", "18"},
        {u"SUMPRODUCT(--(D1:D6>3),D1:D6)", "18"},
        {u"SUMPRODUCT(D1:D6*2)", "46"},
        {u"SUMPRODUCT(LEN(A1:A5))", "8"},
        {u"SUMPRODUCT((A1:A3>1)*(D1:D3>1))", "1"},
        {u"1+SUMPRODUCT((D1:D6=1)*1)", "3"},
        {u"SUMPRODUCT(D1:D6,D1:D6)", "133"},
        {u"SUMPRODUCT((D1:D6>3)*B1:B6)", "#DIV/0!"},
        {u"SUMPRODUCT(D1:D3*D1:D2)", "#N/A"},
        {u"SUM(D1:D6*2)", "#VALUE!"},
        {u"SUM(SUMPRODUCT(D1:D2*1),D1:D6*2)", "#VALUE!"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
}

TEST_F(FormulaEvaluatorTest, ImplicitIntersectionOfTheResult) {
    EXPECT_EQ(Run(u"A1:A3", 1, 1), "2");        // B2: the row's cell
    EXPECT_EQ(Run(u"A1:A3", 0, 1), "#REF!");    // inside the area
    EXPECT_EQ(Run(u"A1:A3", 1, 4), "#VALUE!");  // no shared row
    EXPECT_EQ(Run(u"A1:A3", 0, 4), "#VALUE!");  // same column, row outside: no edge cell
    EXPECT_EQ(Run(u"A1:A3*2", 1, 2), "6");
    EXPECT_EQ(Run(u"B2", 0, 9), "0");  // an empty result is 0
}

// The encoder writes no intersection, so the reference operators are driven on the stack.
TEST_F(FormulaEvaluatorTest, ReferenceOperators) {
    TValueStack& st = Eval.Stack();
    st.BeginEvaluation(false, 0, 7, 9);
    st.PushArea(0, 0, 2, 2);
    st.PushArea(1, 1, 3, 3);
    st.RefOperator(0x0F);
    EXPECT_EQ(st.TopValue().Kind, vkArea);
    EXPECT_EQ(st.TopValue().Col1, 1);
    EXPECT_EQ(st.TopValue().Row2, 2);
    st.PushArea(0, 0, 1, 1);
    st.PushArea(1, 1, 2, 2);
    st.RefOperator(0x0F);
    EXPECT_EQ(st.TopValue().Kind, vkRef);
    EXPECT_EQ(st.TopValue().ValType, fvtEmpty);  // B2
    st.PushRef(0, 0);
    st.PushRef(2, 2);
    st.RefOperator(0x0F);
    EXPECT_EQ(Show(st.TopValue()), "#NULL!");
    st.PushRef(0, 0);
    st.PushRef(2, 2);
    st.RefOperator(0x11);
    EXPECT_EQ(st.TopValue().Kind, vkArea);
    EXPECT_EQ(st.TopValue().Col2, 2);
    st.PushRef(0, 0);
    st.PushNumber(1);
    st.RefOperator(0x10);
    EXPECT_EQ(Show(st.TopValue()), "#VALUE!");
    const TCase cases[] = {{u"SUM(A1:A3,D1)", "9"}};
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
}

struct TStatCase {
    std::span<const double> Data;
    const char16_t* Function;
    int K;
    double Expected;
};

#include "workbook/formula/tests/statistics_fixtures.inc"

// Each data set in column A of sheet S1; each function over it against Python's statistics.
TEST_F(FormulaEvaluatorTest, DescriptiveStatisticsAgainstPython) {
    for (const TStatCase& c : StatCases) {
        TXLSCellMMU& s = *Doc.SheetCells(1);
        s.ClearRows(0, 100);
        for (size_t i = 0; i < c.Data.size(); ++i) s.StoreFloat(0, static_cast<int>(i), 0, c.Data[i]);
        s.StoreString(1, 0, 0, u"text is left out");
        s.CalcDimension();
        std::u16string f =
            std::u16string(c.Function) + u"(S1!A1:B" + base::Utf8ToUtf16(std::to_string(c.Data.size())) + u")";
        if (c.K) f.insert(f.size() - 1, u"," + base::Utf8ToUtf16(std::to_string(c.K)));
        const std::vector<uint8_t> ptgs = Doc.Compile(f);
        const TXLSFormulaValue v = Eval.Evaluate(0, 7, 9, ptgs.data(), static_cast<int>(ptgs.size()));
        ASSERT_EQ(v.ValType, fvtNumber) << base::Utf16ToUtf8(f) << " " << Show(v);
        EXPECT_NEAR(v.Number, c.Expected, 1e-12 * std::max(1.0, std::fabs(c.Expected))) << base::Utf16ToUtf8(f);
    }
}

TEST_F(FormulaEvaluatorTest, StatisticsOverReferencesAndTypedValues) {
    const TCase cases[] = {
        // Texts and Booleans read through references are left out; typed ones count.
        {u"SUM(A1:A5)", "6"},
        {u"SUM(A1:A5,TRUE,\"4\")", "11"},
        {u"SUM(\"x\")", "#VALUE!"},
        {u"AVERAGE(A1:A5)", "2"},
        {u"COUNT(A1:A5)", "3"},
        {u"COUNT(A1:A5,1,\"2\",\"x\")", "5"},
        {u"COUNTA(A1:C3)", "7"},
        {u"MIN(A1:A5)", "1"},
        {u"MAX(A1:A5)", "3"},
        {u"MAX(C1)", "0"},
        {u"AVERAGE(C1)", "#DIV/0!"},
        {u"SUM(B1:B3)", "#DIV/0!"},
        {u"ROUND(AVERAGE(D1:D6),2)", "3.83"},
        {u"MODE(D1:D6)", "1"},
        {u"STDEVP(5)", "0"},
        {u"STDEV(5)", "#DIV/0!"},
        {u"KURT(1,2,3)", "#DIV/0!"},
        {u"SKEW(1,2)", "#DIV/0!"},
        {u"LARGE(D1:D6,2)", "5"},
        {u"SMALL(D1:D6,2)", "1"},
        {u"LARGE(D1:D6,7)", "#NUM!"},
        {u"PERCENTILE(D1:D6,0.3)", "2"},
        {u"QUARTILE(D1:D6,3)", "4.75"},
        {u"QUARTILE(D1:D6,5)", "#NUM!"},
        {u"RANK(1,D1:D6,0)", "5"},
        {u"RANK(1,D1:D6,1)", "1"},
        {u"RANK(2,D1:D6,0)", "#N/A"},
        {u"GEOMEAN(1,0)", "#NUM!"},
        {u"SUM(ALL!A1)", "301"},
        {u"MODE(1,2,3)", "#N/A"},
        {u"MEDIAN(C1)", "#NUM!"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
}

TEST_F(FormulaEvaluatorTest, MathAndLogicFunctions) {
    const TCase cases[] = {
        {u"ROUND(2.675,2)", "2.68"},
        {u"ROUND(25,-1)", "30"},
        {u"ROUND(-2.5,0)", "-3"},
        {u"ROUND(0.5,0)", "1"},
        {u"ROUND(1.005,2)", "1.01"},
        {u"ROUND(-1.005,2)", "-1.01"},
        {u"INT(-1.5)", "-2"},
        {u"MOD(-3,2)", "1"},
        {u"MOD(3,-2)", "-1"},
        {u"MOD(1,0)", "#DIV/0!"},
        {u"SQRT(-1)", "#NUM!"},
        {u"LN(0)", "#NUM!"},
        {u"POWER(0,-1)", "#DIV/0!"},
        {u"ISERR(NA())", "FALSE"},
        {u"ISERR(1/0)", "TRUE"},
        {u"ISERROR(NA())", "TRUE"},
        {u"IF(A1>0,\"y\",\"n\")", "\"y\""},
        {u"IF(A1>5,1)", "FALSE"},
        {u"IF(B3,1,2)", "#DIV/0!"},
        {u"AND(TRUE,A1)", "TRUE"},
        {u"OR(FALSE,B2)", "FALSE"},
        {u"OR(B2)", "#VALUE!"},
        {u"NOT(0)", "TRUE"},
        {u"CONCATENATE(\"a\",1,TRUE)", "\"a1TRUE\""},
        {u"ABS(-2)", "2"},
        {u"PRODUCT(A1:A3)", "6"},
        {u"SUMSQ(1,2)", "5"},
        {u"UPPER(\"straße ÿ\")", "\"STRAßE Ÿ\""},
        {u"LOWER(\"ÄÖÜ Σ\")", "\"äöü σ\""},
        {u"PROPER(\"hello wORLD-x 2nd\")", "\"Hello World-X 2Nd\""},
        {u"LEN(\"温度\")", "2"},
        {u"REPT(\"ab\",3)", "\"ababab\""},
        {u"REPT(\"ab\",16384)", "#VALUE!"},
        {u"REPT(\"a\",-1)", "#VALUE!"},
        {u"LEN(REPT(\"a\",32767))", "32767"},
        {u"ISTEXT(C1)", "TRUE"},
        {u"ISNUMBER(A4)", "FALSE"},
        {u"ISBLANK(B2)", "TRUE"},
        {u"AND(RAND()>=0,RAND()<1)", "TRUE"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
}

// INDIRECT finds sheets by name (quoted, with a book prefix dropped), R1C1 texts count from the
// formula's cell (H10 here), and anything that is no reference is #REF!.
TEST_F(FormulaEvaluatorTest, IndirectReferences) {
    const TCase cases[] = {
        {u"INDIRECT(\"S1!A1\")", "100"},
        {u"INDIRECT(\"'s2'!a1\")", "200"},
        {u"INDIRECT(\"'[book.xls]S2'!A1\")", "200"},
        {u"SUM(INDIRECT(\"S0!D1:D6\"))", "23"},
        {u"INDIRECT(\"S9!A1\")", "#REF!"},
        {u"INDIRECT(\"R[-9]C[-7]\",FALSE)", "1"},
        {u"INDIRECT(\"R[-9]C[-8]\",FALSE)", "#REF!"},
        {u"SUM(INDIRECT(\"R1C4:R[-4]C4\",FALSE))", "23"},
        {u"ISREF(INDIRECT(\"A1\"))", "TRUE"},
        {u"ISREF(A1:B2)", "TRUE"},
        {u"ISREF(1)", "FALSE"},
        {u"ROW(B3:C4)", "3"},
        {u"INDIRECT(\"\")", "#REF!"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
}

// The clock: TODAY is the whole day of NOW, both after 2020 in serials.
TEST_F(FormulaEvaluatorTest, Clock) {
    EXPECT_EQ(Run(u"TODAY()=INT(NOW())"), "TRUE");
    EXPECT_EQ(Run(u"NOW()>DATEVALUE(\"2020-01-01\")"), "TRUE");
}

// Chained iterators walk their values position by position together; areas on sheets with
// different used areas keep meeting at the same offsets.
TEST_F(FormulaEvaluatorTest, ChainedIteratorsWalkInLockstep) {
    TValueStack& st = Eval.Stack();
    st.BeginEvaluation(false, 0, 7, 9);
    TXLSCellMMU& s1 = *Doc.SheetCells(1);
    s1.StoreFloat(1, 2, 0, 5);  // S1!B3:B4 = 5, 6; S1's used area starts at row 1
    s1.StoreFloat(1, 3, 0, 6);
    s1.CalcDimension();
    const auto area = [&](int sheet, int col, int row1, int row2) {
        st.PushSheetArea(sheet, col, row1, col, row2);
        return st.Pop();
    };
    double a = 0;
    double b = 0;
    // 1, 2, 3, "4" against 3, 1, 4, 1: the text position is passed over.
    EXPECT_EQ(st.SumPairs(area(0, 0, 0, 3), area(0, 3, 0, 3), a, b), 3);
    EXPECT_EQ(a, 6);
    EXPECT_EQ(b, 8);
    // D1:D4 = 3, 1, 4, 1 against S1!B1:B4 = empty, empty, 5, 6.
    EXPECT_EQ(st.SumPairs(area(0, 3, 0, 3), area(1, 1, 0, 3), a, b), 2);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 11);
    // And the other way round: the walk starts where either holds cells.
    EXPECT_EQ(st.SumPairs(area(1, 1, 0, 3), area(0, 3, 0, 3), a, b), 2);
    EXPECT_EQ(a, 11);

    // A1:A5 against B1:B5 (10, empty, #DIV/0!, empty, empty): the error is found where met.
    TValStackIterator& it = st.Iterator;
    it.StartPair(area(0, 0, 0, 4), area(0, 1, 0, 4), false);
    std::vector<std::string> seen;
    uint8_t code = 0;
    while (it.NextAll()) {
        seen.push_back(Show(it.Current) + "/" + Show(it.NextInChain()->Current));
        if (it.FindError(code)) break;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"1/10", "2/empty", "3/#DIV/0!"}));
    EXPECT_EQ(code, errDiv0);
    it.StartPair(area(0, 0, 0, 4), area(0, 1, 0, 4), false);
    ASSERT_TRUE(it.NextAnyWithNumbers());
    EXPECT_EQ(it.CurrentAsNumber(), 1);
    // The other positions each hold an empty value or an error on one side.
    EXPECT_FALSE(it.NextValues());
}

// Own token code, little-endian, for tokens the text compiler does not write here.
struct TOwnTokens {
    std::vector<uint8_t> Bytes;
    TOwnTokens& Op(uint8_t op) {
        Bytes.push_back(op);
        return *this;
    }
    TOwnTokens& U8(uint8_t v) { return Op(v); }
    TOwnTokens& U16(uint16_t v) { return Op(static_cast<uint8_t>(v)).Op(static_cast<uint8_t>(v >> 8)); }
    TOwnTokens& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
};

// Relative components of own references inside a name are offsets from the formula's cell,
// wrapping around the grid; absolute ones stay.
TEST_F(FormulaEvaluatorTest, NameReferencesRelativeToTheFormulaCell) {
    // LEFTBELOW: one column left, one row down.
    Doc.AddFormulaName(u"LEFTBELOW", u"0");
    Doc.Names.back().Ptgs = TOwnTokens().Op(xptgRef).U32(1).U16(16383).Bytes;
    // NEXT3: $D of this row down to two rows below.
    Doc.AddFormulaName(u"NEXT3", u"0");
    Doc.Names.back().Ptgs = TOwnTokens().Op(xptgArea).U32(0).U32(2).U16(3 | 0x8000).U16(3 | 0x8000).Bytes;
    EXPECT_EQ(Run(u"LEFTBELOW", 1, 0), "2");      // in B1: A2
    EXPECT_EQ(Run(u"LEFTBELOW", 1, 2), "\"4\"");  // in B3: A4 holds the text "4"
    EXPECT_EQ(Run(u"SUM(NEXT3)", 7, 0), "8");
    EXPECT_EQ(Run(u"SUM(NEXT3)", 7, 2), "10");
}

// A linked workbook's cells give the values kept with the link; references to more than one
// external cell give their text.
TEST(FormulaEvaluatorLinks, ExternalReferences) {
    class TLinkedDocument : public TTestFormulaDocument {
    public:
        TLinkedDocument() : TTestFormulaDocument(1) {}
        bool ExternalCachedValue(int book, int sheet, int col, int row, TXLSFormulaValue& value) const override {
            if (book != 1 || sheet != 0 || col != 2 || row != 4) return false;
            value = TXLSFormulaValue::MakeNumber(42);
            return true;
        }
        std::u16string ExternalBookName(int book) const override { return book == 1 ? u"data.xls" : u""; }
        std::u16string ExternalSheetName(int, int sheet) const override { return sheet == 0 ? u"Jan" : u"Feb"; }
    } doc;
    TXLSFormulaEvaluator eval(doc);
    const auto run = [&](const std::vector<uint8_t>& ptgs) {
        return Show(eval.Evaluate(0, 0, 0, ptgs.data(), static_cast<int>(ptgs.size())));
    };
    EXPECT_EQ(run(TOwnTokens().Op(xptgRefX).U32(4).U16(2).U16(1).U8(0).Bytes), "42");
    EXPECT_EQ(run(TOwnTokens().Op(xptgRefX).U32(5).U16(2).U16(1).U8(0).Bytes), "0");  // nothing kept
    EXPECT_EQ(run(TOwnTokens().Op(xptgRefXRange).U32(4 | 0x80000000u).U16(2).U16(1).U8(0).U8(1).Bytes),
              "\"[data.xls]Jan:Feb!C$5\"");
    EXPECT_EQ(run(TOwnTokens().Op(xptgAreaX).U32(0).U32(9).U16(0x8000).U16(1).U16(1).U8(1).Bytes),
              "\"[data.xls]Feb!$A1:B10\"");
}

TEST_F(FormulaEvaluatorTest, ConsoleSummaryJoin) {
    // A sheet whose data column holds only its header: AVERAGE gives #DIV/0!, which the join
    // carries.
    TXLSCellMMU& s = *Doc.SheetCells(1);
    s.StoreString(4, 0, 0, u"温度");
    s.CalcDimension();
    const std::vector<uint8_t> ptgs = Doc.Compile(u"\"平均: \"&ROUND(AVERAGE(S1!E1:E32001),2)");
    EXPECT_EQ(Show(Eval.Evaluate(1, 10, 0, ptgs.data(), static_cast<int>(ptgs.size()))), "#DIV/0!");
    s.StoreFloat(4, 1, 0, 21.345);
    s.StoreFloat(4, 2, 0, 22.0);
    s.CalcDimension();
    EXPECT_EQ(Show(Eval.Evaluate(1, 10, 0, ptgs.data(), static_cast<int>(ptgs.size()))), "\"平均: 21.67\"");
}

TEST_F(FormulaEvaluatorTest, DefinedNames) {
    Doc.AddAreaName(u"DATA", 0, 3, 0, 3, 5);
    Doc.AddFormulaName(u"TWICE", u"SUM(DATA)*2");
    Doc.AddFormulaName(u"SELF", u"SELF+1");
    EXPECT_EQ(Run(u"SUM(DATA)"), "23");
    EXPECT_EQ(Run(u"TWICE+1"), "47");
    // A name that refers to itself ends at the depth limit instead of recursing for ever.
    EXPECT_EQ(Run(u"SELF"), "#NAME?");
}

TEST_F(FormulaEvaluatorTest, ArrayConstantsAndBiffErrorCodes) {
    // {1,2;3,4}: BIFF8 keeps the constant's values behind the tokens.
    std::vector<uint8_t> ptgs = {0xFE, 0, 0, 0x60, 0, 0, 0, 0, 0, 0, 0, 0x22, 1, 4, 0};
    const std::vector<uint8_t> data = {1, 1, 0};
    std::vector<uint8_t> values;
    for (double x : {1.0, 2.0, 3.0, 4.0}) {
        values.push_back(1);
        const auto* b = reinterpret_cast<const uint8_t*>(&x);
        values.insert(values.end(), b, b + 8);
    }
    ptgs.insert(ptgs.end(), data.begin(), data.end());
    ptgs.insert(ptgs.end(), values.begin(), values.end());
    ptgs[1] = static_cast<uint8_t>(data.size() + values.size());
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, ptgs.data(), static_cast<int>(ptgs.size()))), "10");
    // ptgErr holds BIFF codes: 0x07 is #DIV/0!, 0x2A #N/A.
    const std::vector<uint8_t> err = {0xFF, 0x1C, 0x07};
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, err.data(), static_cast<int>(err.size()))), "#DIV/0!");
}

// Own token code: an integer token per value.
std::vector<uint8_t> OwnInts(std::initializer_list<int> values) {
    std::vector<uint8_t> t;
    for (int v : values) t.insert(t.end(), {0x89, static_cast<uint8_t>(v), 0, 0, 0});
    return t;
}

TEST_F(FormulaEvaluatorTest, ArraysBuiltFromStackValues) {
    // {5,6;7,8}: values pushed row by row; a plain formula takes the first element.
    std::vector<uint8_t> t = OwnInts({5, 6, 7, 8});
    t.insert(t.end(), {0x80, 2, 0, 2, 0, 0, 0});
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, t.data(), static_cast<int>(t.size()))), "5");
    t.insert(t.end(), {0x82, 1, 4, 0});  // SUM
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, t.data(), static_cast<int>(t.size()))), "26");
    // An element that is a reference is no array value.
    std::vector<uint8_t> r = OwnInts({1});
    r.insert(r.end(), {0x84, 0, 0, 0, 0, 0, 0, 0x80, 2, 0, 1, 0, 0, 0});
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, r.data(), static_cast<int>(r.size()))), "#VALUE!");
}

// A call of a name the function table lacks: without a handler a name the workbook declares (a
// defined name such as a macro's, or an external name such as an add-in function's) gives #N/A,
// a misspelt or unsupported name #NAME?.
TEST_F(FormulaEvaluatorTest, UserFunctions) {
    std::vector<uint8_t> t = OwnInts({1, 2});
    t.insert(t.end(), {0xF2, 2, 6, 0});
    for (char16_t c : std::u16string(u"MyFunc")) t.insert(t.end(), {static_cast<uint8_t>(c), 0});
    t.insert(t.end(), {0x89, 10, 0, 0, 0, 0x03});  // + 10: the call left exactly one value
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, t.data(), static_cast<int>(t.size()))), "#NAME?");
    Doc.ExternalNames.push_back(u"MYFUNC");
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, t.data(), static_cast<int>(t.size()))), "#N/A");
    Doc.ExternalNames.clear();
    Doc.AddFormulaName(u"myfunc", u"1");
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, t.data(), static_cast<int>(t.size()))), "#N/A");
    std::u16string name;
    std::vector<double> args;
    Eval.OnUserFunction = [&](const std::u16string& n, TXLSUserFuncData& data) {
        name = n;
        for (const TXLSFormulaValue& a : data.Args) args.push_back(a.Number);
        if (data.Args.size() == 2) data.Result = TXLSFormulaValue::MakeNumber(data.Args[0].Number * 100);
    };
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, t.data(), static_cast<int>(t.size()))), "210");
    EXPECT_EQ(name, u"MyFunc");
    EXPECT_EQ(args, (std::vector<double>{2, 1}));
    Eval.OnUserFunction = [](const std::u16string&, TXLSUserFuncData&) {};
    EXPECT_EQ(Show(Eval.Evaluate(0, 7, 9, t.data(), static_cast<int>(t.size()))), "#NAME?");
}

TEST_F(FormulaEvaluatorTest, MalformedTokensRaise) {
    const std::vector<std::vector<uint8_t>> bad = {
        {0x00},
        {0x50},
        {0xFF, 0x1E, 0x01},
        {0xFF, 0x03},
        {0xFE, 0x20, 0x00, 0x1E},
        {0xFF, 0x17, 5, 0, 'a'},
        // An array constant of 256 x 65,536 values announced in 3 bytes of data.
        {0xFE, 3, 0, 0x20, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF},
        // 65,535 x 65,535 values from a stack of one.
        {0x89, 1, 0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0},
    };
    for (const auto& p : bad)
        EXPECT_THROW(Eval.Evaluate(0, 0, 0, p.data(), static_cast<int>(p.size())), base::Exception) << int(p[0]);
    const std::vector<uint8_t> round1 = {0xFF, 0x1E, 1, 0, 0x22, 1, 27, 0};
    EXPECT_THROW(Eval.Evaluate(0, 0, 0, round1.data(), 8), EXLSError);
    // Reported to a listening error manager, the call still leaves one result.
    TXLSErrorManager errors;
    std::u16string reported;
    errors.SetOnError([&](TXLSErrorManager&, TXLSErrorLevel, const std::u16string& text) { reported = text; });
    TXLSFormulaEvaluator listened(Doc, &errors);
    EXPECT_EQ(Show(listened.Evaluate(0, 0, 0, round1.data(), 8)), "#VALUE!");
    EXPECT_NE(reported.find(u"Missing argument for function \"ROUND(2)\""), std::u16string::npos)
        << base::Utf16ToUtf8(reported);
}

}  // namespace
}  // namespace xls
