#include "workbook/formula/probability_mass.h"

#include <algorithm>
#include <boost/math/distributions/hypergeometric.hpp>
#include <cmath>
#include <numbers>

#include "workbook/formula/distribution_policy.h"

namespace xls {

namespace {

// ln(n!) - ln(sqrt(2 pi n) (n/e)^n), the error of Stirling's formula.
double StirlingError(double n) {
    if (n <= 15) return std::lgamma(n + 1) - (n + 0.5) * std::log(n) + n - 0.5 * std::log(2 * std::numbers::pi);
    const double nn = n * n;
    return (1.0 / 12 - (1.0 / 360 - (1.0 / 1260 - (1.0 / 1680 - 1.0 / (1188 * nn)) / nn) / nn) / nn) / n;
}

// x ln(x / m) + m - x without the cancellation of its terms when x is near m.
double Deviance(double x, double m) {
    if (std::fabs(x - m) >= 0.1 * (x + m)) return x * std::log(x / m) + m - x;
    double v = (x - m) / (x + m);
    double sum = (x - m) * v;
    double term = 2 * x * v;
    v *= v;
    for (int j = 1; j < 1000; ++j) {
        term *= v;
        const double next = sum + term / (2 * j + 1);
        if (next == sum) break;
        sum = next;
    }
    return sum;
}

// The sum of the masses from the count from (whose mass is first) in steps of step (+1 or -1) to
// last, each next mass the one before times ratio(count of the one before); it ends where the
// terms no longer change the sum.
template <class Ratio>
long double SumMasses(double from, double last, double step, long double first, Ratio ratio) {
    long double sum = 0;
    long double term = first;
    for (double i = from; term > 0; i += step) {
        sum += term;
        if (term < sum * 1e-20L || i == last) break;
        term *= ratio(i);
    }
    return sum;
}

}  // namespace

double BinomialMass(double x, double n, double p, double q) {
    if (x < 0 || x > n) return 0;
    if (p == 0) return x == 0 ? 1 : 0;
    if (q == 0) return x == n ? 1 : 0;
    if (x == 0) return std::exp(n * std::log(q));
    if (x == n) return std::exp(n * std::log(p));
    const double lc =
        StirlingError(n) - StirlingError(x) - StirlingError(n - x) - Deviance(x, n * p) - Deviance(n - x, n * q);
    const double lf = std::log(2 * std::numbers::pi) + std::log(x) + std::log1p(-x / n);
    return std::exp(lc - 0.5 * lf);
}

// The three binomial masses at the sampling fraction: the hypergeometric mass is their ratio.
// Boost.Math's mass is exact for the populations of everyday use; beyond them its cost grows with
// the counts and its precision falls, and the saddle point takes over.
double HypergeometricMass(double k, double sample, double successes, double population) {
    if (population <= 1e6) {
        const bm::hypergeometric_distribution<double, TDistributionPolicy> d(
            static_cast<unsigned>(successes), static_cast<unsigned>(sample), static_cast<unsigned>(population));
        return bm::pdf(d, static_cast<unsigned>(k));
    }
    const double p = sample / population;
    const double q = (population - sample) / population;
    return BinomialMass(k, successes, p, q) * BinomialMass(sample - k, population - successes, p, q) /
           BinomialMass(sample, population, p, q);
}

double BinomialCdf(double x, double n, double p) {
    const double q = 1 - p;
    if (x >= n || p == 0) return 1;
    if (q == 0) return 0;
    if (x < std::floor((n + 1) * p))
        return static_cast<double>(
            SumMasses(x, 0, -1, BinomialMass(x, n, p, q), [&](double i) { return i * q / ((n - i + 1) * p); }));
    return static_cast<double>(1 - SumMasses(x + 1, n, 1, BinomialMass(x + 1, n, p, q),
                                             [&](double i) { return (n - i) * p / ((i + 1) * q); }));
}

double HypergeometricCdf(double k, double sample, double successes, double population) {
    const double lowest = std::max(0.0, sample - population + successes);
    const double highest = std::min(sample, successes);
    const double failures = population - successes;
    if (k >= highest) return 1;
    if (k < std::floor((sample + 1) * (successes + 1) / (population + 2)))
        return static_cast<double>(SumMasses(
            k, lowest, -1, HypergeometricMass(k, sample, successes, population),
            [&](double i) { return i * (failures - sample + i) / ((successes - i + 1) * (sample - i + 1)); }));
    return static_cast<double>(
        1 - SumMasses(k + 1, highest, 1, HypergeometricMass(k + 1, sample, successes, population), [&](double i) {
            return (successes - i) * (sample - i) / ((i + 1) * (failures - sample + i + 1));
        }));
}

}  // namespace xls
