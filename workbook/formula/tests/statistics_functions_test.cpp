#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_store.h"

namespace xls {
namespace {

using test::Show;
using test::TCase;

// A1..A5 = 1, 2 (hidden row), #N/A, 4, 5; B1..B3 = "x", TRUE, "" ; C1..C4 = 1, 2, 3, 4;
// D1..D5 = 1, 2, 3, 4, 100; E1..E4 = 1, 2, 2, 3; F1..F2 = 3, 2 (bins out of order).
class StatisticsFunctionsTest : public ::testing::Test {
protected:
    StatisticsFunctionsTest() : Doc(1), Eval(Doc) {
        TXLSCellMMU& s = *Doc.SheetCells(0);
        s.StoreFloat(0, 0, 0, 1);
        s.StoreFloat(0, 1, 0, 2);
        s.StoreError(0, 2, 0, errNA);
        s.StoreFloat(0, 3, 0, 4);
        s.StoreFloat(0, 4, 0, 5);
        s.StoreString(1, 0, 0, u"x");
        s.StoreBoolean(1, 1, 0, true);
        s.StoreString(1, 2, 0, u"");
        for (int i = 0; i < 4; ++i) s.StoreFloat(2, i, 0, i + 1);
        for (int i = 0; i < 5; ++i) s.StoreFloat(3, i, 0, i == 4 ? 100 : i + 1);
        const double e[] = {1, 2, 2, 3};
        for (int i = 0; i < 4; ++i) s.StoreFloat(4, i, 0, e[i]);
        s.StoreFloat(5, 0, 0, 3);
        s.StoreFloat(5, 1, 0, 2);
        s.GetRowHeader(1)->SetOptions(1);
        s.CalcDimension();
    }

    // AGGREGATE has no BIFF8 number: it is compiled as SUM and its function id patched.
    std::string Run(std::u16string_view text) {
        const bool aggregate = text.starts_with(u"AGGREGATE");
        std::vector<uint8_t> ptgs =
            Doc.Compile(aggregate ? u"SUM" + std::u16string(text.substr(9)) : std::u16string(text));
        if (aggregate) ptgs[ptgs.size() - 2] = 818 & 0xFF, ptgs[ptgs.size() - 1] = 818 >> 8;
        return Show(Eval.Evaluate(0, 9, 9, ptgs.data(), static_cast<int>(ptgs.size())));
    }

    test::TTestFormulaDocument Doc;
    TXLSFormulaEvaluator Eval;
};

TEST_F(StatisticsFunctionsTest, EdgeCases) {
    const TCase cases[] = {
        {u"AVERAGE(B1)", "#DIV/0!"},
        {u"AVERAGEA(B1:B3)", "0.333333333333333"},
        {u"MAX(B1:B3)", "0"},
        {u"MAX(A1:A5)", "#N/A"},
        {u"MAXA(B1:B3)", "1"},
        {u"MINA(B1:B3,-1)", "-1"},
        {u"COUNT(1,TRUE,\"2\",\"x\")", "3"},
        {u"COUNTA(B1:B4)", "3"},
        {u"COUNTBLANK(B1:B9)", "3"},
        {u"MEDIAN(1,2,3,4)", "2.5"},
        {u"MODE(1,2,2)", "2"},
        {u"MODE(2,2,1,1)", "1"},
        {u"MODE(B1)", "#NUM!"},
        {u"LARGE(C1:C4,1)", "4"},
        {u"SMALL(C1:C2,3)", "#NUM!"},
        {u"PERCENTILE(C1:C4,0.5)", "2.5"},
        {u"PERCENTILE(C1:C4,1.5)", "#NUM!"},
        {u"PERCENTRANK(C1:C4,2.5)", "0.5"},
        {u"PERCENTRANK(E1:E4,2)", "0.333"},
        {u"PERCENTRANK(C1:C2,5)", "#N/A"},
        {u"RANK(2,C1:C4,0)", "3"},
        {u"RANK(3,C1:C4,1)", "3"},
        {u"RANK(5,C1:C4,0)", "#N/A"},
        {u"STDEV(1)", "#DIV/0!"},
        {u"VARP(1)", "0"},
        {u"STDEVP(1)", "0"},
        {u"VAR(1,2,3,4)", "1.66666666666667"},
        {u"TRIMMEAN(D1:D5,0.4)", "3"},
        {u"TRIMMEAN(D1:D5,1)", "#NUM!"},
        {u"STDEVA(B1:B3)", "0.577350269189626"},
        {u"VARPA(1,TRUE)", "0"},
        {u"HARMEAN(B1)", "#N/A"},
        {u"KURT(B1)", "#N/A"},
        {u"AVEDEV(\"x\")", "#VALUE!"},
        {u"DEVSQ(B1)", "#DIV/0!"},
        {u"GEOMEAN(B1)", "#NUM!"},
        {u"FREQUENCY(C1:C4,F1:F2)", "1"},
        // A sheet's hidden rows count for SUBTOTAL 1..11 and are skipped by 101..111.
        {u"SUBTOTAL(9,C1:C4)", "10"},
        {u"SUBTOTAL(109,C1:C4)", "8"},
        {u"SUBTOTAL(102,C1:C4)", "3"},
        {u"SUBTOTAL(12,A1)", "#VALUE!"},
        {u"SUBTOTAL(109,A1:A5)", "#N/A"},
        {u"SUBTOTAL(1,C1:C4,D5)", "22"},
        {u"AGGREGATE(14,6,A1:A5,2)", "4"},
        {u"AGGREGATE(14,6,A1:A5)", "#VALUE!"},
        {u"AGGREGATE(9,3,A1:A5)", "10"},
        {u"AGGREGATE(9,0,A1:A5)", "#N/A"},
        {u"AGGREGATE(4,7,A1:A5)", "5"},
        {u"AGGREGATE(20,0,A1)", "#VALUE!"},
        {u"AGGREGATE(18,6,A1:A5,0.5)", "3"},
    };
    for (const TCase& c : cases) {
        try {
            EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
        } catch (const std::exception& e) {
            ADD_FAILURE() << base::Utf16ToUtf8(c.Formula) << ": " << e.what();
        }
    }
}

}  // namespace
}  // namespace xls
