#include "workbook/formula/stat_helpers.h"

#include <algorithm>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>

#include "workbook/formula/math_policy.h"

namespace xls {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct TMoments {
    double N = 0;
    double Mean = 0;
    double Var = 0;  // sample variance (n - 1)
};

TMoments Moments(const std::vector<double>& v) {
    TMoments m;
    m.N = static_cast<double>(v.size());
    if (v.empty()) return m;
    long double sum = 0;
    for (double x : v) sum += x;
    m.Mean = static_cast<double>(sum / v.size());
    long double dev = 0;
    for (double x : v) dev += (x - m.Mean) * static_cast<long double>(x - m.Mean);
    m.Var = v.size() > 1 ? static_cast<double>(dev / (v.size() - 1)) : NaN;
    return m;
}

// The probability of a t beyond |t| on tails sides.
double TailProbability(double t, double df, int tails) {
    if (!std::isfinite(t) || !(df > 0)) return NaN;
    const boost::math::students_t_distribution<double, TXLSMathPolicy> dist(df);
    return tails * boost::math::cdf(boost::math::complement(dist, std::fabs(t)));
}

}  // namespace

bool LinearFit(const std::vector<double>& y, const std::vector<double>& x, bool stats, TLinearFit& r) {
    r = TLinearFit();
    const size_t count = y.size();
    if (count == 0 || x.size() < count) return false;
    long double sy = 0, sx = 0, syy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < count; ++i) {
        const long double xi = x[i];
        const long double yi = y[i];
        sy += yi;
        sx += xi;
        syy += yi * yi;
        sxx += xi * xi;
        sxy += xi * yi;
    }
    const long double n = static_cast<long double>(count);
    const long double mx = sx / n;
    const long double my = sy / n;
    const long double spreadX = sxx - n * mx * mx;
    const long double spreadY = syy - n * my * my;
    if (spreadX <= 0 || spreadY <= 0) return false;
    const long double cov = sxy - n * mx * my;
    r.Slope = static_cast<double>(cov / spreadX);
    r.Intercept = static_cast<double>(my - mx * r.Slope);
    if (!stats) return true;
    r.SsReg = static_cast<double>(cov * r.Slope);
    r.SsResid = std::max(0.0, static_cast<double>(spreadY - r.SsReg));
    r.RSquared = static_cast<double>(r.SsReg / spreadY);
    r.Df = static_cast<int32_t>(count) - 2;
    if (r.Df <= 0) return true;
    r.SeY = std::sqrt(r.SsResid / r.Df);
    r.FStat = r.SsResid == 0 ? 1.7e308 : r.Df * r.SsReg / r.SsResid;
    r.SeSlope = static_cast<double>(r.SeY / std::sqrt(spreadX));
    r.SeIntercept = static_cast<double>(r.SeY * std::sqrt(1 / n + mx * mx / spreadX));
    return true;
}

bool ExponentialFit(const std::vector<double>& y, const std::vector<double>& x, bool stats, TLinearFit& r) {
    std::vector<double> logs(y.size());
    std::transform(y.begin(), y.end(), logs.begin(), [](double v) { return std::log(v); });
    const bool ok = LinearFit(logs, x, stats, r);
    r.Intercept = std::exp(r.Intercept);
    r.Slope = std::exp(r.Slope);
    return ok;
}

double ExponentialValue(const std::vector<double>& y, const std::vector<double>& x, double at) {
    TLinearFit r;
    ExponentialFit(y, x, false, r);
    return r.Intercept * std::pow(r.Slope, at);
}

double DiscountSum(const std::vector<double>& valuesLastFirst, double rate) {
    const double a = 1 / (1 + rate);
    double s = 0;
    for (double v : valuesLastFirst) s = s * a + v;
    return a * s;
}

bool PercentileOf(std::vector<double> values, double k, double& result) {
    if (values.empty()) return false;
    std::sort(values.begin(), values.end());
    const double p = k * static_cast<double>(values.size() - 1);
    const auto i = std::min(static_cast<size_t>(std::floor(p)), values.size() - 1);
    const double f = p - std::floor(p);
    result = f != 0 && i + 1 < values.size() ? values[i] + f * (values[i + 1] - values[i]) : values[i];
    return true;
}

double TTestProbability(const std::vector<double>& a, const std::vector<double>& b, int type, int tails) {
    if (type == 1) {
        if (a.size() != b.size()) return NaN;
        std::vector<double> d(a.size());
        for (size_t i = 0; i < a.size(); ++i) d[i] = a[i] - b[i];
        const TMoments m = Moments(d);
        return TailProbability(m.Mean / std::sqrt(m.Var / m.N), m.N - 1, tails);
    }
    const TMoments ma = Moments(a);
    const TMoments mb = Moments(b);
    if (type == 2) {
        const double df = ma.N + mb.N - 2;
        const double pooled = ((ma.N - 1) * ma.Var + (mb.N - 1) * mb.Var) / df;
        return TailProbability((ma.Mean - mb.Mean) / std::sqrt(pooled * (1 / ma.N + 1 / mb.N)), df, tails);
    }
    const double va = ma.Var / ma.N;
    const double vb = mb.Var / mb.N;
    const double df = (va + vb) * (va + vb) / (va * va / (ma.N - 1) + vb * vb / (mb.N - 1));
    return TailProbability((ma.Mean - mb.Mean) / std::sqrt(va + vb), df, tails);
}

double DecliningDepreciation(double cost, double salvage, double life, double startPeriod, double endPeriod,
                             double factor, bool noSwitch) {
    const double rate = (factor == 0 ? 2 : factor) / life;
    const double q = 1 - rate;
    const double declining = cost * (std::pow(q, startPeriod) - std::pow(q, endPeriod));
    if (noSwitch) return declining;
    const double straight = (cost - salvage) * (endPeriod - startPeriod) / life;
    return std::max(declining, straight);
}

double ZTestProbability(const std::vector<double>& values, double mu, const double* sigma) {
    const TMoments m = Moments(values);
    const double d = m.Mean - mu;
    const double z = sigma ? std::sqrt(m.N) * d / *sigma : d / std::sqrt(m.Var / m.N);
    if (!std::isfinite(z)) return NaN;
    const boost::math::normal_distribution<double, TXLSMathPolicy> normal(0, 1);
    return boost::math::cdf(boost::math::complement(normal, z));
}

}  // namespace xls
