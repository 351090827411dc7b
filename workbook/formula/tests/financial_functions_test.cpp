#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/model/cell_store.h"

namespace xls {
namespace {

using test::Show;
using test::TCase;

// A1..A5 = -1000, 300, 400, 500, 200 with their dates in B1..B5; C1..C3 = 100, 200, 300.
class FinancialFunctionsTest : public ::testing::Test {
protected:
    FinancialFunctionsTest() : Doc(1), Eval(Doc) {
        TXLSCellMMU& s = *Doc.SheetCells(0);
        const double flows[] = {-1000, 300, 400, 500, 200};
        const double dates[] = {45292, 45352, 45595, 45703, 45748};
        for (int i = 0; i < 5; ++i) {
            s.StoreFloat(0, i, 0, flows[i]);
            s.StoreFloat(1, i, 0, dates[i]);
        }
        for (int i = 0; i < 3; ++i) s.StoreFloat(2, i, 0, 100.0 * (i + 1));
        s.CalcDimension();
    }

    std::string Run(std::u16string_view text) {
        const std::vector<uint8_t> ptgs = test::CompileNewer(Doc, std::u16string(text));
        return Show(Eval.Evaluate(0, 20, 20, ptgs.data(), static_cast<int>(ptgs.size())));
    }

    void Check(const std::vector<TCase>& cases) {
        for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
    }

    test::TTestFormulaDocument Doc;
    TXLSFormulaEvaluator Eval;
};

// NPV discounts the values of a range in the range's order, the first by one period, and the
// arguments in theirs.
TEST_F(FinancialFunctionsTest, NpvKeepsTheOrderOfItsValues) {
    Check({
        {u"NPV(0.1,C1:C3)", "481.592787377911"},
        {u"NPV(0.1,100,200,300)", "481.592787377911"},
        {u"NPV(0.1,C1:C3,400)", "754.798169523939"},
        {u"NPV(0.1,400,C1:C3)", "801.447988525374"},
    });
}

// Over very many periods the annuity tends to its perpetuity: the payment divided by the rate,
// never the payment squared; small rates and large compound factors keep every digit.
TEST_F(FinancialFunctionsTest, AnnuitiesOverManyPeriodsAndSmallRates) {
    Check({
        {u"PV(0.1,2000,-100)", "1000"},
        {u"PV(0.1,2000,-100,0,1)", "1100"},
        {u"PV(0.1,1000000,-100)", "1000"},
        {u"PMT(0.1,1000,1000)", "-100"},
        {u"PV(0.00001,360,-100)", "35935.0983380954"},
        {u"FV(0.00001,360,-100)", "36064.6971820726"},
        {u"FV(0.1,400,-100)", "3.60640140275244E+19"},
        {u"NPER(0.00001,-100,1000)", "10.0005500357527"},
        {u"FV(0.1,10000,-100)", "#NUM!"},
    });
}

// The straight-line switch of VDB and its declining balance stop at the salvage value.
TEST_F(FinancialFunctionsTest, VdbStopsAtTheSalvageValue) {
    Check({
        {u"VDB(2400,300,10,0,10)", "2100"},
        {u"VDB(2400,300,10,0,10,2,TRUE)", "2100"},
        {u"VDB(1000,900,5,0,5)", "100"},
        {u"VDB(1000,900,5,0,5,2,TRUE)", "100"},
        {u"VDB(2400,300,10,6,10)", "329.1456"},
        {u"VDB(2400,300,10,0,0.875,1.5)", "315"},
    });
}

// XIRR's guess of 0 is a start like any other; its search ends on the rate.
TEST_F(FinancialFunctionsTest, XirrFromAGuessOfZero) {
    Check({
        {u"XIRR(A1:A5,B1:B5,0)", "0.506820684802942"},
        {u"XIRR(A1:A5,B1:B5)", "0.506820684802942"},
        {u"XIRR(A1:A5,B1:B5,-0.5)", "0.506820684802942"},
    });
}

// Searches that find no rate, arguments outside a routine's domain and depreciation walks too
// long to make give #NUM! as the formula's result instead of ending the recalculation.
TEST_F(FinancialFunctionsTest, FailuresAreNumErrors) {
    Check({
        {u"RATE(10,100,800)", "#NUM!"},
        {u"RATE(0,-100,800)", "#NUM!"},
        {u"IRR(C1:C3)", "#NUM!"},
        {u"XIRR(C1:C3,B1:B3)", "#NUM!"},
        {u"NPER(0.1,0,0)", "#NUM!"},
        {u"NPER(0.1,-50,1000)", "#NUM!"},
        {u"FV(-1,1,1)", "#NUM!"},
        {u"PV(-1.5,10,-100)", "#NUM!"},
        {u"IPMT(0.1,3,2,100)", "#NUM!"},
        {u"VDB(1,0,10^8,0,10^8)", "#NUM!"},
    });
}

// RATE takes a guess as its sixth argument; a loan with no present value is solved backwards
// from its future value; the payment of NPER and RATE keeps its fraction.
TEST_F(FinancialFunctionsTest, RateAndPeriodsOfEveryKindOfLoan) {
    Check({
        {u"ROUND(RATE(10,-100,800,0,0,0.5),12)", "0.042774978035"},
        {u"ROUND(RATE(10,-100,0,2000),12)", "0.146912766288"},
        {u"ROUND(RATE(5,0,-1000,1500),12)", "0.084471771198"},
        {u"NPER(0.05,-100.5,1000)", "14.1049820785185"},
    });
}

// Payments at the start: the first carries no interest; DDB's factor applies to short lives too.
TEST_F(FinancialFunctionsTest, PaymentTimingAndShortLives) {
    Check({
        {u"IPMT(0.1,1,2,100,0,1)", "0"},
        {u"IPMT(0.1,2,3,100,0,1)", "-6.34441087613293"},
        {u"DDB(1000,100,2,1,1.5)", "750"},
        {u"DDB(1000,100,2,2)", "0"},
    });
}

// An argument left empty takes its default, not 0.
TEST_F(FinancialFunctionsTest, EmptyArgumentsTakeTheirDefaults) {
    Check({
        {u"VDB(2400,300,10,0,1,,TRUE)", "480"},
        {u"DB(1000,100,5,1,)", "369"},
        {u"PV(0.1,10,-100,,1)", "675.902381627515"},
        {u"ACCRINT(45292,45474,45474,0.1,,2)", "50"},
    });
}

}  // namespace
}  // namespace xls
