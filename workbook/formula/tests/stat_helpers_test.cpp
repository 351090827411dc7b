#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "workbook/formula/matrix.h"
#include "workbook/formula/stat_helpers.h"

namespace xls {
namespace {

struct TTTestCase {
    std::vector<double> A;
    std::vector<double> B;
    int Type;
    int Tails;
    double P;
};
struct TLineCase {
    std::vector<double> Y;
    std::vector<double> X;
    double Slope;
    double Intercept;
    double RSquared;
    double SeSlope;
    double SeIntercept;
};
struct TZTestCase {
    std::vector<double> Values;
    double Mu;
    bool HasSigma;
    double Sigma;
    double P;
};
struct TMatrixCase {
    int N;
    std::vector<double> A;
    double Det;
    std::vector<double> Inverse;
};

#include "workbook/formula/tests/helper_fixtures.inc"

void ExpectClose(double got, double want, double rel, const char* what) {
    EXPECT_NEAR(got, want, rel * std::max(1.0, std::fabs(want))) << what;
}

TEST(StatHelpersTest, TTestProbabilitiesAsScipyGivesThem) {
    for (const TTTestCase& c : TTestCases)
        ExpectClose(TTestProbability(c.A, c.B, c.Type, c.Tails), c.P, 1e-9, "t-test");
}

TEST(StatHelpersTest, TTestWithoutSpreadGivesNaN) {
    EXPECT_TRUE(std::isnan(TTestProbability({1, 1, 1}, {1, 1, 1}, 2, 2)));
    EXPECT_TRUE(std::isnan(TTestProbability({1, 2}, {1, 2, 3}, 1, 2)));  // pairs of different counts
}

TEST(StatHelpersTest, LinearFitAsScipyGivesIt) {
    for (const TLineCase& c : LineCases) {
        TLinearFit r;
        ASSERT_TRUE(LinearFit(c.Y, c.X, true, r));
        ExpectClose(r.Slope, c.Slope, 1e-12, "slope");
        ExpectClose(r.Intercept, c.Intercept, 1e-12, "intercept");
        ExpectClose(r.RSquared, c.RSquared, 1e-12, "r squared");
        ExpectClose(r.SeSlope, c.SeSlope, 1e-9, "se slope");
        ExpectClose(r.SeIntercept, c.SeIntercept, 1e-9, "se intercept");
        EXPECT_EQ(r.Df, static_cast<int>(c.Y.size()) - 2);
    }
}

TEST(StatHelpersTest, LinearFitEdges) {
    TLinearFit r;
    ASSERT_TRUE(LinearFit({1, 2, 3}, {1, 2, 3}, true, r));
    EXPECT_EQ(r.SsResid, 0);
    EXPECT_EQ(r.RSquared, 1);
    EXPECT_EQ(r.FStat, 1.7e308);
    // No spread in x or in y: no line, and nothing left behind.
    EXPECT_FALSE(LinearFit({1, 2, 3}, {2, 2, 2}, true, r));
    EXPECT_EQ(r.Slope, 0);
    EXPECT_FALSE(LinearFit({5, 5, 5}, {1, 2, 3}, false, r));
    // Two points: the line, but no statistics that divide by n - 2.
    ASSERT_TRUE(LinearFit({1, 3}, {0, 1}, true, r));
    EXPECT_EQ(r.Slope, 2);
    EXPECT_EQ(r.SeY, 0);
    EXPECT_TRUE(std::isfinite(r.FStat));
    // y = 3·2^x.
    ASSERT_TRUE(ExponentialFit({3, 6, 12, 24}, {0, 1, 2, 3}, false, r));
    ExpectClose(r.Intercept, 3, 1e-12, "b");
    ExpectClose(r.Slope, 2, 1e-12, "m");
    ExpectClose(ExponentialValue({3, 6, 12, 24}, {0, 1, 2, 3}, 5), 96, 1e-12, "growth");
}

TEST(StatHelpersTest, DiscountingPercentilesAndDepreciation) {
    ExpectClose(DiscountSum({110, 100}, 0.1), 100 / 1.1 + 110 / 1.21, 1e-15, "npv");
    struct {
        double K;
        double Want;
    } const percentiles[] = {{0.5, 2.5}, {1, 4}, {0, 1}, {0.1, 1.3}};
    for (const auto& p : percentiles) {
        double got = 0;
        ASSERT_TRUE(PercentileOf({4, 1, 3, 2}, p.K, got));
        ExpectClose(got, p.Want, 1e-15, "percentile");
    }
    double unused = 0;
    EXPECT_FALSE(PercentileOf({}, 0.5, unused));
    ExpectClose(DecliningDepreciation(1000, 100, 10, 0, 1, 2, false), 200, 1e-15, "declining");
    // Late periods: the straight line gives more than the declining balance.
    EXPECT_EQ(DecliningDepreciation(1000, 100, 10, 9, 10, 2, false), 90);
    ExpectClose(DecliningDepreciation(1000, 100, 10, 9, 10, 0, true), 1000 * (std::pow(0.8, 9) - std::pow(0.8, 10)),
                1e-12, "no switch");
}

TEST(StatHelpersTest, ZTestAsScipyGivesIt) {
    for (const TZTestCase& c : ZTestCases)
        ExpectClose(ZTestProbability(c.Values, c.Mu, c.HasSigma ? &c.Sigma : nullptr), c.P, 1e-12, "z-test");
}

TXLSMatrix Make(int rows, int cols, const std::vector<double>& values) {
    TXLSMatrix m(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) m.SetValue(r, c, values[static_cast<size_t>(r * cols + c)]);
    return m;
}

TEST(MatrixTest, DeterminantAndInverseAsNumpyGivesThem) {
    for (const TMatrixCase& c : MatrixCases) {
        const TXLSMatrix m = Make(c.N, c.N, c.A);
        double det = 0;
        ASSERT_TRUE(m.Determinant(det));
        ExpectClose(det, c.Det, 1e-9, "determinant");
        const auto inv = m.Inverse();
        ASSERT_TRUE(inv);
        for (int r = 0; r < c.N; ++r)
            for (int k = 0; k < c.N; ++k)
                EXPECT_NEAR(inv->Get(r, k), c.Inverse[static_cast<size_t>(r * c.N + k)],
                            1e-7 * std::max(1.0, std::fabs(c.Inverse[static_cast<size_t>(r * c.N + k)])));
    }
}

TEST(MatrixTest, SmallCasesAndFailures) {
    double det = 0;
    ASSERT_TRUE(Make(2, 2, {1, 2, 3, 4}).Determinant(det));
    EXPECT_EQ(det, -2);
    TXLSMatrix identity(3, 3);
    identity.SetIdentity();
    ASSERT_TRUE(identity.Determinant(det));
    EXPECT_EQ(det, 1);
    EXPECT_FALSE(TXLSMatrix(2, 3).Determinant(det));

    const auto inv = Make(2, 2, {4, 7, 2, 6}).Inverse();
    ASSERT_TRUE(inv);
    EXPECT_NEAR(inv->Get(0, 0), 0.6, 1e-15);
    EXPECT_NEAR(inv->Get(0, 1), -0.7, 1e-15);
    EXPECT_NEAR(inv->Get(1, 0), -0.2, 1e-15);
    EXPECT_NEAR(inv->Get(1, 1), 0.4, 1e-15);
    EXPECT_FALSE(Make(2, 2, {1, 2, 2, 4}).Inverse());
    // Singular beyond 2 x 2: a pivot that is exactly 0 after elimination.
    const TXLSMatrix singular = Make(3, 3, {1, 2, 3, 2, 4, 6, 1, 0, 1});
    ASSERT_TRUE(singular.Determinant(det));
    EXPECT_EQ(det, 0);
    EXPECT_FALSE(singular.Inverse());
    // Singular in exact arithmetic only: rounding leaves a tiny determinant, as the peers give.
    ASSERT_TRUE(Make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}).Determinant(det));
    EXPECT_NEAR(det, 0, 1e-14);
    EXPECT_FALSE(TXLSMatrix(2, 3).Inverse());

    // A permutation needs pivoting and is its own inverse.
    const TXLSMatrix swap = Make(3, 3, {0, 1, 0, 1, 0, 0, 0, 0, 1});
    const auto back = swap.Inverse();
    ASSERT_TRUE(back);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(back->Get(r, c), swap.Get(r, c));
    ASSERT_TRUE(swap.Determinant(det));
    EXPECT_EQ(det, -1);

    const auto product = Make(2, 3, {1, 2, 3, 4, 5, 6}).Multiply(Make(3, 2, {7, 8, 9, 10, 11, 12}));
    ASSERT_TRUE(product);
    EXPECT_EQ(product->Rows(), 2);
    EXPECT_EQ(product->Cols(), 2);
    EXPECT_EQ(product->Get(0, 0), 58);
    EXPECT_EQ(product->Get(1, 1), 154);
    EXPECT_FALSE(Make(2, 3, {1, 2, 3, 4, 5, 6}).Multiply(TXLSMatrix(2, 3)));

    EXPECT_FALSE(identity.Minor(3, 0));
    const auto minor = Make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}).Minor(1, 1);
    ASSERT_TRUE(minor);
    EXPECT_EQ(minor->Get(0, 0), 1);
    EXPECT_EQ(minor->Get(0, 1), 3);
    EXPECT_EQ(minor->Get(1, 0), 7);
    EXPECT_EQ(minor->Get(1, 1), 9);
}

// The inverse of a 60 x 60 matrix times the matrix is the identity: elimination by cofactors
// would never end at this size.
TEST(MatrixTest, LargeInverseIsTheIdentityBack) {
    const int n = 60;
    TXLSMatrix m(n, n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) m.SetValue(r, c, std::sin(r * 7.0 + c * 3.0) + (r == c ? n : 0));
    const auto inv = m.Inverse();
    ASSERT_TRUE(inv);
    const auto id = m.Multiply(*inv);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) EXPECT_NEAR(id->Get(r, c), r == c ? 1 : 0, 1e-12);
}

}  // namespace
}  // namespace xls
