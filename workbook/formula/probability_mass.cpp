#include "workbook/formula/probability_mass.h"

#include <cmath>
#include <numbers>

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
double HypergeometricMass(double k, double sample, double successes, double population) {
    const double p = sample / population;
    const double q = (population - sample) / population;
    return BinomialMass(k, successes, p, q) * BinomialMass(sample - k, population - successes, p, q) /
           BinomialMass(sample, population, p, q);
}

}  // namespace xls
