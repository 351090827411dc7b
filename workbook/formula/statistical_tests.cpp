// Confidence intervals and the chi-squared, F, t and z tests.
#include <algorithm>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <cmath>

#include "workbook/formula/distribution_policy.h"
#include "workbook/formula/numeric_functions.h"
#include "workbook/model/cell_error.h"

namespace xls {

namespace {

enum : int {
    fnConfidence = 277,
    fnChiTest = 306,
    fnFTest = 310,
    fnTTest = 316,
    fnZTest = 324,
    fnFTest2 = 815,
    fnConfidenceT = 832,
    fnChiSqTest = 850,
    fnConfidenceNorm = 851,
    fnTTest2 = 863,
    fnZTest2 = 865,
};

struct TSample {
    double N = 0;
    double Mean = 0;
    double Variance = 0;  // with n - 1 in the denominator; 0 for fewer than two values
};

TSample Describe(const std::vector<double>& v) {
    TSample r;
    r.N = static_cast<double>(v.size());
    if (v.empty()) return r;
    long double sum = 0;
    for (double x : v) sum += x;
    const long double mean = sum / v.size();
    long double dev = 0;
    for (double x : v) dev += (x - mean) * (x - mean);
    r.Mean = static_cast<double>(mean);
    r.Variance = v.size() > 1 ? static_cast<double>(dev / (v.size() - 1)) : 0;
    return r;
}

double NormalUpper(double z) { return 0.5 * bm::erfc(z / std::sqrt(2.0), TDistributionPolicy()); }

void Confidence(TValueStack& s, int id) {
    double n = 0;
    double sd = 0;
    double alpha = 0;
    if (!s.PopArgNumber(n) || !s.PopArgNumber(sd) || !s.PopArgNumber(alpha)) return;
    n = std::trunc(n);
    if (!(alpha > 0 && alpha < 1) || sd <= 0 || n < 1) return s.PushError(errNum);
    // The standard normal quantile at 1 - alpha / 2 is sqrt(2) erfc^-1(alpha).
    if (id != fnConfidenceT)
        return s.PushResult(std::sqrt(2.0) * bm::erfc_inv(alpha, TDistributionPolicy()) * sd / std::sqrt(n));
    // The interval of a sample's mean whose deviation is estimated from the sample itself.
    if (n < 2) return s.PushError(errDiv0);
    const bm::students_t_distribution<double, TDistributionPolicy> t(n - 1);
    s.PushResult(bm::quantile(bm::complement(t, alpha / 2)) * sd / std::sqrt(n));
}

void ChiTest(TValueStack& s) {
    const TXLSFormulaValue expected = s.PopArgument();
    const TXLSFormulaValue actual = s.PopArgument();
    std::vector<double> as;
    std::vector<double> es;
    if (const uint8_t err = PairedNumbers(s, actual, expected, as, es)) return s.PushError(err);
    const TValueSequence shape(s, expected);
    const int rows = shape.RowCount();
    const int cols = shape.ColCount();
    if (rows == 1 && cols == 1) return s.PushError(errNA);
    long double chi = 0;
    for (size_t i = 0; i < as.size(); ++i) {
        if (es[i] == 0) return s.PushError(errDiv0);
        if (es[i] < 0) return s.PushError(errNum);
        chi += (static_cast<long double>(as[i]) - es[i]) * (as[i] - es[i]) / es[i];
    }
    const double df = rows > 1 && cols > 1 ? double(rows - 1) * (cols - 1) : rows > 1 ? rows - 1 : cols - 1;
    s.PushResult(bm::gamma_q(df / 2, static_cast<double>(chi) / 2, TDistributionPolicy()));
}

// Whether two samples have the same variance: the two-tailed probability of their ratio.
void FTest(TValueStack& s) {
    std::vector<double> b;
    std::vector<double> a;
    if (const uint8_t err = ArgumentNumbers(s, s.PopArgument(), b)) return s.PushError(err);
    if (const uint8_t err = ArgumentNumbers(s, s.PopArgument(), a)) return s.PushError(err);
    const TSample x = Describe(a);
    const TSample y = Describe(b);
    if (x.N < 2 || y.N < 2 || x.Variance == 0 || y.Variance == 0) return s.PushError(errDiv0);
    const bm::fisher_f_distribution<double, TDistributionPolicy> f(x.N - 1, y.N - 1);
    const double ratio = x.Variance / y.Variance;
    const double lower = bm::cdf(f, ratio);
    s.PushResult(2 * std::min(lower, bm::cdf(bm::complement(f, ratio))));
}

// The t statistic and its degrees of freedom for the test type: 1 paired, 2 two samples of equal
// variance, 3 two samples of unequal variance. 0 or the error.
uint8_t TStatistic(TValueStack& s, const TXLSFormulaValue& first, const TXLSFormulaValue& second, int type, double& t,
                   double& df) {
    std::vector<double> a;
    std::vector<double> b;
    if (type == 1) {
        if (const uint8_t err = PairedNumbers(s, first, second, a, b)) return err;
        for (size_t i = 0; i < a.size(); ++i) a[i] -= b[i];
        const TSample d = Describe(a);
        if (d.N < 2 || d.Variance == 0) return errDiv0;
        t = d.Mean / std::sqrt(d.Variance / d.N);
        df = d.N - 1;
        return 0;
    }
    if (const uint8_t err = ArgumentNumbers(s, first, a)) return err;
    if (const uint8_t err = ArgumentNumbers(s, second, b)) return err;
    const TSample x = Describe(a);
    const TSample y = Describe(b);
    if (x.N < 2 || y.N < 2) return errDiv0;
    if (type == 2) {
        df = x.N + y.N - 2;
        const double pooled = ((x.N - 1) * x.Variance + (y.N - 1) * y.Variance) / df;
        const double se = std::sqrt(pooled * (1 / x.N + 1 / y.N));
        if (se == 0) return errDiv0;
        t = (x.Mean - y.Mean) / se;
        return 0;
    }
    const double vx = x.Variance / x.N;
    const double vy = y.Variance / y.N;
    if (vx + vy == 0) return errDiv0;
    t = (x.Mean - y.Mean) / std::sqrt(vx + vy);
    df = (vx + vy) * (vx + vy) / (vx * vx / (x.N - 1) + vy * vy / (y.N - 1));
    return 0;
}

void TTest(TValueStack& s) {
    double type = 0;
    double tails = 0;
    if (!s.PopArgNumber(type) || !s.PopArgNumber(tails)) return;
    const TXLSFormulaValue second = s.PopArgument();
    const TXLSFormulaValue first = s.PopArgument();
    type = std::trunc(type);
    tails = std::trunc(tails);
    if ((tails != 1 && tails != 2) || type < 1 || type > 3) return s.PushError(errNum);
    double t = 0;
    double df = 0;
    if (const uint8_t err = TStatistic(s, first, second, static_cast<int>(type), t, df)) return s.PushError(err);
    const bm::students_t_distribution<double, TDistributionPolicy> d(df);
    s.PushResult(tails * bm::cdf(bm::complement(d, std::fabs(t))));
}

void ZTest(TValueStack& s, int argCount) {
    double sigma = 0;
    double x = 0;
    if ((argCount == 3 && !s.PopArgNumber(sigma)) || !s.PopArgNumber(x)) return;
    std::vector<double> v;
    if (const uint8_t err = ArgumentNumbers(s, s.PopArgument(), v)) return s.PushError(err);
    if (v.empty()) return s.PushError(errNA);
    const TSample m = Describe(v);
    // Without a given deviation the sample's own stands for it.
    const double sd = argCount == 3 ? sigma : std::sqrt(m.Variance);
    if (argCount == 3 && sigma < 0) return s.PushError(errNum);
    if (sd == 0) return s.PushError(errDiv0);
    s.PushResult(NormalUpper((m.Mean - x) / (sd / std::sqrt(m.N))));
}

}  // namespace

bool CallStatisticalTest(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnConfidence:
        case fnConfidenceNorm:
        case fnConfidenceT: Confidence(s, id); return true;
        case fnChiTest:
        case fnChiSqTest: ChiTest(s); return true;
        case fnFTest:
        case fnFTest2: FTest(s); return true;
        case fnTTest:
        case fnTTest2: TTest(s); return true;
        case fnZTest:
        case fnZTest2: ZTest(s, argCount); return true;
        default: return false;
    }
}

}  // namespace xls
