#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "workbook/formula/excel_functions.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/matrix_lu.h"
#include "workbook/formula/probability_mass.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/model/cell_store.h"

namespace xls {
namespace {

using test::Show;
using test::TCase;

// A1..A3 = 1, 2, 3; B1..B3 = 2, 4, 7; C1 = "x"; D1..D3 = 5, 5, 5; E1..E3 = 1, -2, 3;
// F10 = #N/A (outside the rows A and B hold).
class NumericFunctionsTest : public ::testing::Test {
protected:
    NumericFunctionsTest() : Doc(1), Eval(Doc) {
        TXLSCellMMU& s = Cells();
        const double b[] = {2, 4, 7};
        const double e[] = {1, -2, 3};
        for (int i = 0; i < 3; ++i) {
            s.StoreFloat(0, i, 0, i + 1);
            s.StoreFloat(1, i, 0, b[i]);
            s.StoreFloat(3, i, 0, 5);
            s.StoreFloat(4, i, 0, e[i]);
        }
        s.StoreString(2, 0, 0, u"x");
        s.StoreError(5, 9, 0, errNA);
        s.CalcDimension();
    }

    TXLSCellMMU& Cells() { return *Doc.SheetCells(0); }

    std::string Run(std::u16string_view text) {
        const std::vector<uint8_t> ptgs = test::CompileNewer(Doc, test::InlineArrays(Cells(), std::u16string(text)));
        return Show(Eval.Evaluate(0, 20, 20, ptgs.data(), static_cast<int>(ptgs.size())));
    }

    // An array formula over cols x rows cells at H30; the values row by row.
    std::vector<std::string> RunArray(std::u16string_view text, int cols, int rows) {
        const std::vector<uint8_t> ptgs = test::CompileNewer(Doc, test::InlineArrays(Cells(), std::u16string(text)));
        const TXLSCellArea range{29, 29 + rows - 1, 7, 7 + cols - 1};
        std::vector<std::string> out{Show(Eval.Evaluate(0, 7, 29, ptgs.data(), static_cast<int>(ptgs.size()), &range))};
        for (int i = 1; i < cols * rows; ++i) {
            TXLSFormulaValue v;
            Eval.Stack().ReadCell(&Cells(), 7 + i % cols, 29 + i / cols, v);
            out.push_back(Show(v));
        }
        return out;
    }

    void Check(const std::vector<TCase>& cases) {
        for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
    }

    // Calls function id with argument counts from its least to its most (up to 6), each argument
    // drawn from values, references, arrays and left-out arguments; the evaluator raises when a
    // call leaves no result or more than one.
    void CallWithAnyArguments(int id, std::mt19937& random, int rounds) {
        static const char16_t* const Arguments[] = {u"0",         u"-1",
                                                    u"0.5",       u"1",
                                                    u"2",         u"10^300",
                                                    u"-10^300",   u"4294967296",
                                                    u"\"x\"",     u"\"\"",
                                                    u"#N/A",      u"TRUE",
                                                    u"C1",        u"G1",
                                                    u"A1:B3",     u"A1:A65536",
                                                    u"F1:F65536", u"A1:E3",
                                                    u"A1:C3",     u"{1,2;3,4}",
                                                    u"{1,-2,3}",  u"{0.1,0.2,0.7}",
                                                    u""};
        std::uniform_int_distribution<size_t> pick(0, std::size(Arguments) - 1);
        const std::u16string name = TXLSExcelFuncNames::Instance().NameById(id);
        int min = 0;
        int max = 0;
        TXLSExcelFuncNames::Instance().GetArgCount(id, min, max);
        for (int count = std::max(min, 1); count <= std::min(max, 6); ++count)
            for (int round = 0; round < rounds; ++round) {
                std::u16string call = u"SUM(";
                for (int i = 0; i < count; ++i) call += (i ? u"," : u"") + std::u16string(Arguments[pick(random)]);
                call += u")";
                // A single left-out argument would be no argument at all.
                if (call == u"SUM()") call = u"SUM(0)";
                std::vector<uint8_t> ptgs = Doc.Compile(test::InlineArrays(Cells(), call));
                ptgs[ptgs.size() - 2] = static_cast<uint8_t>(id & 0xFF);
                ptgs[ptgs.size() - 1] = static_cast<uint8_t>(id >> 8);
                EXPECT_NO_THROW(Eval.Evaluate(0, 20, 20, ptgs.data(), static_cast<int>(ptgs.size())))
                    << base::Utf16ToUtf8(name) << " " << base::Utf16ToUtf8(call);
            }
    }

    test::TTestFormulaDocument Doc;
    TXLSFormulaEvaluator Eval;
};

// Rounding to a multiple goes up or down to the next multiple, whatever the fraction; a zero
// significance gives 0 for CEILING; ODD of a fraction is the next odd number; COMBIN is not
// limited to 170.
TEST_F(NumericFunctionsTest, RoundingAndCombinatorics) {
    Check({
        {u"CEILING(2.05,1)", "3"},
        {u"CEILING(2.6,1)", "3"},
        {u"FLOOR(2.95,1)", "2"},
        {u"FLOOR(2.5,1)", "2"},
        {u"CEILING(7,0)", "0"},
        {u"CEILING(1.1,0.1)", "1.1"},
        {u"FLOOR(-2.5,0)", "#DIV/0!"},
        {u"FLOOR(3,-1)", "#NUM!"},
        {u"CEILING.PRECISE(-4.3,2)", "-4"},
        {u"ODD(2.5)", "3"},
        {u"ODD(2)", "3"},
        {u"ODD(-1.5)", "-3"},
        {u"ODD(0)", "1"},
        {u"EVEN(-1)", "-2"},
        {u"ROUNDUP(-2.001,2)", "-2.01"},
        {u"ROUNDDOWN(123.456,-1)", "120"},
        {u"TRUNC(5.5,16)", "5.5"},
        {u"QUOTIENT(-7,2)", "-3"},
        {u"COMBIN(171,2)", "14535"},
        {u"COMBIN(3,5)", "#NUM!"},
        {u"PERMUT(5,0)", "1"},
        {u"FACT(170)", "7.257415615308E+306"},
        {u"FACT(171)", "#NUM!"},
        {u"ROMAN(1999,0)", "\"MCMXCIX\""},
        {u"ROMAN(4000,0)", "#VALUE!"},
    });
}

// SUMSQ of no number is 0; the paired sums need equal counts and take only pairs of numbers.
TEST_F(NumericFunctionsTest, SumsOverArgumentsAndPairs) {
    Check({
        {u"SUMSQ(C1)", "0"},
        {u"SUMXMY2(A1:A3,B1:B3)", "21"},
        {u"SUMX2MY2(A1:A3,B1:B3)", "-55"},
        {u"SUMX2PY2(A1:A3,C1:C3)", "#DIV/0!"},
        {u"SUMXMY2(A1:A2,B1:B3)", "#N/A"},
    });
}

// SUMPRODUCT reads only the rows a sheet holds, yet an error anywhere in any argument is the
// result, even in rows where the other arguments hold nothing.
TEST_F(NumericFunctionsTest, SumProductWalksStoredCells) {
    Check({
        {u"SUMPRODUCT(A1:A3,B1:B3)", "31"},
        {u"SUMPRODUCT(A1:A65536,B1:B65536)", "31"},
        {u"SUMPRODUCT(A1:A65536,B1:B65536,E1:E65536)", "49"},
        {u"SUMPRODUCT(A1:A3,C1:C3)", "0"},
        {u"SUMPRODUCT(A1:A65536,F1:F65536)", "#N/A"},
        {u"SUMPRODUCT(A100:A65536,B100:B65536)", "0"},
        {u"SUMPRODUCT(A1:A3,B1:B2)", "#VALUE!"},
        {u"SUMPRODUCT({1,2},{3,4})", "11"},
    });
}

TEST_F(NumericFunctionsTest, MatrixFunctions) {
    Check({
        {u"MDETERM({1,2;3,4})", "-2"},
        {u"MDETERM(A1:B3)", "#VALUE!"},
        {u"MDETERM(A1:C3)", "#VALUE!"},
        {u"MDETERM({1,2;2,4})", "0"},
    });
    EXPECT_EQ(RunArray(u"MINVERSE({4,7;2,6})", 2, 2), (std::vector<std::string>{"0.6", "-0.7", "-0.2", "0.4"}));
    EXPECT_EQ(RunArray(u"MINVERSE({0,1,0;1,0,0;0,0,1})", 3, 1), (std::vector<std::string>{"0", "1", "0"}));
    EXPECT_EQ(RunArray(u"MINVERSE({1,2;2,4})", 1, 1), (std::vector<std::string>{"#NUM!"}));
    EXPECT_EQ(RunArray(u"MMULT({1,2,3;4,5,6},{1;0;2})", 1, 2), (std::vector<std::string>{"7", "16"}));
    EXPECT_EQ(RunArray(u"MMULT({1,2,3;4,5,6},{1,2,3;4,5,6})", 1, 1), (std::vector<std::string>{"#VALUE!"}));
}

// The inverse times the matrix is the identity, also for a matrix that needs row exchanges and
// one whose elements differ by many orders of magnitude.
TEST(MatrixLU, InverseTimesMatrixIsIdentity) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-10, 10);
    for (int n : {1, 2, 3, 7, 30}) {
        TDenseMatrix a(n, n);
        for (double& x : a.Data) x = value(random);
        if (n > 1) a.At(0, 0) = 0;
        if (n > 1) a.At(n - 1, 0) *= 1e6;
        const TMatrixLU lu(a);
        ASSERT_FALSE(lu.Singular()) << n;
        const TDenseMatrix p = MultiplyMatrices(a, lu.Inverse());
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) EXPECT_NEAR(p.At(r, c), r == c ? 1 : 0, 1e-8) << n << " " << r << " " << c;
    }
    TDenseMatrix twoByTwo(2, 2);
    twoByTwo.Data = {1, 2, 3, 4};
    EXPECT_DOUBLE_EQ(TMatrixLU(twoByTwo).Determinant(), -2);
    TDenseMatrix singular(3, 3);
    singular.Data = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_TRUE(TMatrixLU(singular).Singular());
}

// Correlation and covariance need pairs; the line needs spread in x.
TEST_F(NumericFunctionsTest, PairedSeries) {
    Check({
        {u"SLOPE({1,2,3},{1,2,3})", "1"},
        {u"INTERCEPT({1,2,3},{1,2,3})", "0"},
        {u"FORECAST(4,{2,4,6},{1,2,3})", "8"},
        {u"RSQ(A1:A3,A1:A3)", "1"},
        {u"CORREL(A1:A3,D1:D3)", "#DIV/0!"},
        {u"RSQ(A1:A3,D1:D3)", "#DIV/0!"},
        {u"COVARIANCE.S(A1,B1)", "#DIV/0!"},
        {u"COVAR(A1:A3,B1:B3)", "1.66666666666667"},
        {u"STEYX(A1:A2,B1:B2)", "#DIV/0!"},
        {u"PROB({1,2,3},{0.2,0.3,0.5},2)", "0.3"},
        {u"PROB({1,2,3},{0.2,0.3,1.5},2)", "#NUM!"},
    });
}

// LINEST honours const (a line through the origin) and stats (the block of five rows); a
// constant y is a perfect horizontal fit; LOGEST of a y that is not positive has no logarithm.
TEST_F(NumericFunctionsTest, LinestHonoursConstAndStats) {
    // Without stats one row, repeated down the range as a one-row array is.
    EXPECT_EQ(RunArray(u"LINEST(B1:B3,A1:A3)", 2, 2),
              (std::vector<std::string>{"2.5", "-0.666666666666667", "2.5", "-0.666666666666667"}));
    EXPECT_EQ(RunArray(u"LINEST(B1:B3,A1:A3,FALSE,TRUE)", 2, 5),
              (std::vector<std::string>{"2.21428571428571", "0", "0.112938487863156", "#N/A", "0.994824016563147",
                                        "0.422577127364258", "384.4", "2", "68.6428571428571", "0.357142857142857"}));
    EXPECT_EQ(RunArray(u"LINEST(D1:D3,A1:A3,TRUE,TRUE)", 2, 5),
              (std::vector<std::string>{"0", "5", "0", "0", "1", "0", "#NUM!", "1", "0", "0"}));
    EXPECT_EQ(RunArray(u"LOGEST(E1:E3,A1:A3)", 1, 1), (std::vector<std::string>{"#NUM!"}));
    EXPECT_EQ(RunArray(u"TREND(B1:B3,A1:A3,{4,5})", 2, 1),
              (std::vector<std::string>{"9.33333333333333", "11.8333333333333"}));
}

// The functions newer than the file format's table take their arguments in array formulas as
// their older forms do: numbers element by element, lists whole.
TEST_F(NumericFunctionsTest, NewerFunctionsInArrayFormulas) {
    EXPECT_EQ(RunArray(u"CEILING.PRECISE(E1:E3)", 1, 3), (std::vector<std::string>{"1", "-2", "3"}));
    EXPECT_EQ(RunArray(u"NORM.S.DIST(D1:D3,TRUE)", 1, 2),
              (std::vector<std::string>{"0.999999713348428", "0.999999713348428"}));
    EXPECT_EQ(RunArray(u"STDEV.S(A1:A3)", 2, 1), (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(RunArray(u"PERCENTILE.INC(B1:B3,{0,0.5,1})", 3, 1), (std::vector<std::string>{"2", "4", "7"}));
    EXPECT_EQ(RunArray(u"MODE.SNGL(D1:D3)", 1, 1), (std::vector<std::string>{"5"}));
}

// The distribution faults: inverse and rescaled beta, the t-based confidence, a given sigma of
// 1000, the t-test's type and tails, and zero scales.
TEST_F(NumericFunctionsTest, DistributionDomains) {
    Check({
        {u"BETAINV(0.6875,2,3)", "0.5"},
        {u"BETADIST(2,8,10,1,3)", "0.685470581054688"},
        {u"BETAINV(0.685470581054688,8,10,1,3)", "2"},
        {u"CONFIDENCE.T(0.05,1,100)", "0.198421695158642"},
        {u"CONFIDENCE.NORM(0.05,1,100)", "0.195996398454005"},
        {u"ZTEST({1,2,3},1,1000)", "0.499309012046551"},
        {u"ZTEST({1,2,3},2)", "0.5"},
        {u"ZTEST({1,2,3},1)", "0.0416322583317752"},
        {u"TTEST(A1:A3,B1:B3,1,1)", "0.0590414481559016"},
        {u"TTEST(A1:A3,B1:B3,2,1)", "0.118082896311803"},
        {u"TTEST(A1:A3,B1:B3,2,2)", "0.209875071294061"},
        {u"TTEST(A1:A3,B1:B3,2,3)", "0.245112712346266"},
        {u"NORMINV(0,10,2)", "#NUM!"},
        {u"NORMINV(1,10,2)", "#NUM!"},
        {u"NORMDIST(1,0,0,TRUE)", "#NUM!"},
        {u"STANDARDIZE(1,0,0)", "#NUM!"},
        {u"GAMMADIST(1,2,0,TRUE)", "#NUM!"},
        {u"GAMMADIST(0,2,3,FALSE)", "0"},
        {u"T.DIST(-1,10,TRUE)", "0.17044656615103"},
        {u"HYPGEOMDIST(1,4,8,20)", "0.363261093911249"},
        {u"HYPGEOM.DIST(400000000,1000000000,2000000000,4000000000,TRUE)", "0"},
        {u"CRITBINOM(10000000000,0.5,0.5)", "5000000000"},
        {u"HYPGEOM.DIST(3,6,8,20,TRUE)", "0.862745098039216"},
    });
}

// Every numeric function, with every argument count it admits, over arguments of every kind
// (domain edges, texts, errors, empty cells, areas up to whole columns, arrays):
// each call leaves exactly one value (the evaluator raises otherwise) and nothing else happens.
TEST_F(NumericFunctionsTest, EveryFunctionSurvivesAnyArguments) {
    static const char16_t* const Names[] = {u"CEILING",
                                            u"CEILING.PRECISE",
                                            u"ISO.CEILING",
                                            u"FLOOR",
                                            u"FLOOR.PRECISE",
                                            u"EVEN",
                                            u"ODD",
                                            u"ROUNDUP",
                                            u"ROUNDDOWN",
                                            u"TRUNC",
                                            u"QUOTIENT",
                                            u"RADIANS",
                                            u"DEGREES",
                                            u"FACT",
                                            u"COMBIN",
                                            u"PERMUT",
                                            u"ROMAN",
                                            u"SUMX2MY2",
                                            u"SUMX2PY2",
                                            u"SUMXMY2",
                                            u"SUMPRODUCT",
                                            u"MDETERM",
                                            u"MINVERSE",
                                            u"MMULT",
                                            u"CORREL",
                                            u"PEARSON",
                                            u"RSQ",
                                            u"SLOPE",
                                            u"INTERCEPT",
                                            u"FORECAST",
                                            u"STEYX",
                                            u"COVAR",
                                            u"COVARIANCE.P",
                                            u"COVARIANCE.S",
                                            u"LINEST",
                                            u"LOGEST",
                                            u"TREND",
                                            u"GROWTH",
                                            u"PROB",
                                            u"BETADIST",
                                            u"BETA.DIST",
                                            u"BETAINV",
                                            u"BETA.INV",
                                            u"BINOMDIST",
                                            u"BINOM.DIST",
                                            u"CRITBINOM",
                                            u"BINOM.INV",
                                            u"CHIDIST",
                                            u"CHISQ.DIST.RT",
                                            u"CHISQ.DIST",
                                            u"CHIINV",
                                            u"CHI.INV.RT",
                                            u"CHISQ.INV",
                                            u"CHITEST",
                                            u"CHISQ.TEST",
                                            u"CONFIDENCE",
                                            u"CONFIDENCE.NORM",
                                            u"CONFIDENCE.T",
                                            u"EXPONDIST",
                                            u"EXPON.DIST",
                                            u"FDIST",
                                            u"F.DIST.RT",
                                            u"F.DIST",
                                            u"F.INV",
                                            u"FINV",
                                            u"F.INV.RT",
                                            u"FTEST",
                                            u"F.TEST",
                                            u"FISHER",
                                            u"FISHERINV",
                                            u"GAMMADIST",
                                            u"GAMMA.DIST",
                                            u"GAMMAINV",
                                            u"GAMMA.INV",
                                            u"GAMMALN",
                                            u"GAMMALN.PRECISE",
                                            u"HYPGEOMDIST",
                                            u"HYPGEOM.DIST",
                                            u"LOGNORMDIST",
                                            u"LOGNORM.DIST",
                                            u"LOGINV",
                                            u"LOGNORM.INV",
                                            u"NEGBINOMDIST",
                                            u"NEGBINOM.DIST",
                                            u"NORMDIST",
                                            u"NORM.DIST",
                                            u"NORMSDIST",
                                            u"NORM.S.DIST",
                                            u"NORMINV",
                                            u"NORM.INV",
                                            u"NORMSINV",
                                            u"NORM.S.INV",
                                            u"POISSON",
                                            u"POISSON.DIST",
                                            u"STANDARDIZE",
                                            u"TDIST",
                                            u"T.DIST",
                                            u"T.DIST.RT",
                                            u"T.DIST.2T",
                                            u"TINV",
                                            u"T.INV.2T",
                                            u"T.INV",
                                            u"TTEST",
                                            u"T.TEST",
                                            u"WEIBULL",
                                            u"WEIBULL.DIST",
                                            u"ZTEST",
                                            u"Z.TEST",
                                            u"ERFC",
                                            u"ERFC.PRECISE",
                                            u"ERF.PRECISE"};
    std::mt19937 random(30);
    for (const char16_t* name : Names) {
        const int id = TXLSExcelFuncNames::Instance().IdByName(name);
        ASSERT_GE(id, 0) << base::Utf16ToUtf8(name);
        CallWithAnyArguments(id, random, 60);
    }
}

// The same for every worksheet function the engine knows, the statistics and the functions
// that give #N/A for want of an implementation included.
TEST_F(NumericFunctionsTest, EveryWorksheetFunctionLeavesOneResult) {
    std::mt19937 random(22);
    int functions = 0;
    for (int id = 0; id < 1024; ++id) {
        if (!TXLSExcelFuncNames::Instance().FuncData(id)) continue;
        ++functions;
        CallWithAnyArguments(id, random, 12);
    }
    EXPECT_GT(functions, 300);
}

// The masses by saddle point against SciPy for small counts and, for counts in the billions
// (where SciPy's own values are off from the seventh digit on), against a closed form and sums
// taken with 30 digits by mpmath; HYPGEOM.DIST's cumulative sum stays short however large the
// population.
TEST_F(NumericFunctionsTest, MassesOfLargeCounts) {
    const struct {
        double Ours;
        double Expected;
    } cases[] = {
        {BinomialMass(3, 10, 0.3, 0.7), 0.26682793199999977},
        {BinomialMass(1, 1000, 1e-9, 1 - 1e-9), 9.99999001000497e-07},
        // The central mass of n trials is sqrt(2 / (pi n)) (1 - 1 / (4 n)) to far more digits
        // than a double holds.
        {BinomialMass(5e9, 1e10, 0.5, 0.5), std::sqrt(2 / (M_PI * 1e10)) * (1 - 1 / 4e10)},
        {HypergeometricMass(2, 6, 8, 20), 0.35758513931888547},
        {HypergeometricMass(5e8, 1e9, 2e9, 4e9), 2.91346248078981476613709596769e-05},
    };
    for (const auto& c : cases) EXPECT_NEAR(c.Ours, c.Expected, 1e-12 * c.Expected);
    const struct {
        const char16_t* Formula;
        double Expected;
    } sums[] = {
        {u"HYPGEOM.DIST(500000000,1000000000,2000000000,4000000000,TRUE)", 0.500014567312403949075276407572},
        {u"HYPGEOM.DIST(499990000,1000000000,2000000000,4000000000,TRUE)", 0.232615566897286270555204149809},
        // Half the central mass lies above the middle of an even number of trials.
        {u"BINOMDIST(5000000000,10000000000,0.5,TRUE)", 0.5 + std::sqrt(0.5 / (M_PI * 1e10)) * (1 - 1 / 4e10)},
        {u"NEGBINOMDIST(5000000000,5000000000,0.5)", std::sqrt(0.5 / (M_PI * 1e10)) * (1 - 1 / 4e10)},
    };
    for (const auto& c : sums)
        EXPECT_NEAR(std::stod(Run(c.Formula)), c.Expected, 1e-12 * c.Expected) << base::Utf16ToUtf8(c.Formula);
}

}  // namespace
}  // namespace xls
