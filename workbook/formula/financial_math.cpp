#include "workbook/formula/financial_math.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace xls {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// Newton's method needs few steps from a sensible start; more mean it wanders.
constexpr int NewtonSteps = 50;
constexpr int SecantSteps = 100;
// Depreciation is walked period by period; longer walks are refused.
constexpr double MaxDepreciationPeriods = 1e7;

bool Converged(double step, double t) { return std::fabs(step) < 1e-15 + 1e-12 * std::fabs(t); }

// The two factors of an annuity over n periods at rate r: (1 + r)^-n, and the present value of
// one paid each period, (1 - (1 + r)^-n) / r (times 1 + r when paid at the start). Written with
// expm1 and log1p so that small rates and many periods keep every digit.
struct TAnnuity {
    double Discount;
    double Factor;
};

TAnnuity Annuity(double r, double n, bool start) {
    if (r == 0) return {1, n};
    const double l = n * std::log1p(r);
    return {std::exp(-l), -std::expm1(-l) / r * (start ? 1 + r : 1)};
}

// Σ x^k and Σ k x^k for k = 1..m, x = e^t: a loop while it is short, else the closed forms (the
// second only steers Newton's steps, so its rounding near t = 0 costs speed, not accuracy).
void PowerSums(double t, double m, double& sum, double& weighted) {
    if (t == 0) {
        sum = m;
        weighted = m * (m + 1) / 2;
        return;
    }
    const double x = std::exp(t);
    if (m <= 4096) {
        sum = weighted = 0;
        double p = 1;
        for (int k = 1; k <= static_cast<int>(m); ++k) {
            p *= x;
            sum += p;
            weighted += k * p;
        }
        return;
    }
    const double e1 = std::expm1(t);
    const double em = std::expm1(m * t);
    sum = x * em / e1;
    weighted = sum + x * (m * (em + 1) * e1 - em * x) / (e1 * e1);
}

}  // namespace

double PresentValue(double rate, double nper, double pmt, double fv, bool start) {
    if (rate <= -1) return NaN;
    const TAnnuity a = Annuity(rate, nper, start);
    return -pmt * a.Factor - fv * a.Discount;
}

double FutureValue(double rate, double nper, double pmt, double pv, bool start) {
    if (rate <= -1) return NaN;
    const TAnnuity a = Annuity(rate, nper, start);
    return (-pmt * a.Factor - pv) / a.Discount;
}

double Payment(double rate, double nper, double pv, double fv, bool start) {
    if (rate <= -1) return NaN;
    const TAnnuity a = Annuity(rate, nper, start);
    return (-pv - fv * a.Discount) / a.Factor;
}

double NumberOfPeriods(double rate, double pmt, double pv, double fv, bool start) {
    if (rate <= -1) return NaN;
    if (rate == 0) return -(fv + pv) / pmt;
    const double d = pmt * (start ? 1 + rate : 1) + pv * rate;
    const double g = -rate * (fv + pv) / d;
    if (d == 0 || !(g > -1)) return NaN;
    return std::log1p(g) / std::log1p(rate);
}

// The flows are brought to pv + pmt × Σ v^k (k = 1..n-1) + fv × v^n = 0 with v = 1 / (1 + rate):
// a payment at the start joins pv, one at the end joins fv. When pmt has pv's sign (or pv is 0)
// the equation is read backwards, in u = 1 + rate, by exchanging pv and fv. Signs are then made
// pv < 0, pmt ≥ 0, fv ≥ 0, so that ln((pmt × Σ v^k + fv × v^n) / -pv) is convex in t = ln v and
// Newton's method on it converges; other sign patterns have no single rate.
double InterestRate(double nper, double pmt, double pv, double fv, bool start, double guess) {
    const double n = std::round(nper);
    if (!(n > 0) || !(guess > -1)) return NaN;
    (start ? pv : fv) += pmt;
    const bool backwards = pmt * pv > 0 || pv == 0;
    if (backwards) std::swap(pv, fv);
    if (pv > 0) {
        pv = -pv;
        fv = -fv;
        pmt = -pmt;
    }
    if (!(pv < 0) || pmt < 0 || fv < 0) return NaN;
    double t = backwards ? std::log1p(guess) : -std::log1p(guess);
    for (int i = 0; i < NewtonSteps; ++i) {
        double sum = 0;
        double weighted = 0;
        PowerSums(t, n - 1, sum, weighted);
        const double h = std::exp(n * t);
        const double value = pmt * sum + fv * h;
        if (!(value > 0) || !std::isfinite(value)) return NaN;
        const double step = std::log(value / -pv) / ((pmt * weighted + n * fv * h) / value);
        if (!std::isfinite(step)) return NaN;
        t -= step;
        if (Converged(step, t)) return backwards ? std::expm1(t) : std::expm1(-t);
    }
    return NaN;
}

// Type 0: the rate on what is owed after per - 1 payments. Type 1: a payment at the start of
// period 1 carries no interest; later ones carry the interest of the period before.
double InterestPayment(double rate, double per, double nper, double pv, double fv, bool start) {
    if (rate <= -1 || per < 1 || nper < per) return NaN;
    const double pmt = Payment(rate, nper, pv, fv, start);
    if (!start) return rate * FutureValue(rate, per - 1, pmt, pv, false);
    if (per == 1) return 0;
    return rate * (FutureValue(rate, per - 2, pmt, pv, true) - pmt);
}

double NetPresentValue(double rate, const std::vector<double>& flows) {
    const double a = 1 / (1 + rate);
    double s = 0;
    for (auto it = flows.rbegin(); it != flows.rend(); ++it) s = s * a + *it;
    return s * a;
}

// Newton's method on t = ln(1 / (1 + rate)) over ln(-N / P), N and P the present values of the
// negative and of the other flows: both monotonic in t, so the logarithm of their ratio is
// well-behaved where the flows change sign once.
double InternalRateOfReturn(const std::vector<double>& flows, double guess) {
    bool fromGuess = std::all_of(flows.begin(), flows.end(), [](double f) { return f >= 0; });
    const auto lastNegative = std::find_if(flows.rbegin(), flows.rend(), [](double f) { return f < 0; });
    double running = 0;
    for (auto it = flows.begin(); !fromGuess && it != lastNegative.base(); ++it) fromGuess = (running += *it) >= 0;
    double t = 0;
    if (fromGuess) {
        if (!(guess > -1)) return NaN;
        t = -std::log1p(guess);
    }
    for (int i = 0; i < NewtonSteps; ++i) {
        double p = 0, n = 0, dp = 0, dn = 0;
        for (size_t k = 0; k < flows.size(); ++k) {
            const double e = std::exp(static_cast<double>(k) * t);
            (flows[k] < 0 ? n : p) += flows[k] * e;
            (flows[k] < 0 ? dn : dp) += static_cast<double>(k) * flows[k] * e;
        }
        // Without flows of both signs no rate makes them balance.
        if (!(n < 0) || !(p > 0)) return NaN;
        const double step = std::log(-n / p) / (dn / n - dp / p);
        if (!std::isfinite(step)) return NaN;
        t -= step;
        if (Converged(step, t)) return std::expm1(-t);
    }
    return NaN;
}

double DatedPresentValue(double rate, const std::vector<double>& values, const std::vector<double>& dates) {
    double s = 0;
    for (size_t i = 0; i < values.size(); ++i) s += values[i] * std::pow(1 + rate, -(dates[i] - dates[0]) / 365);
    return s;
}

// The secant steps halve while they leave the rates above -1; a step that lands on a root or
// moves less than 1e-12 (relative above 1) ends the search.
double DatedRateOfReturn(const std::vector<double>& values, const std::vector<double>& dates, double guess) {
    if (!(guess > -1)) return NaN;
    double r0 = guess;
    double r1 = guess + 1;
    double f0 = DatedPresentValue(r0, values, dates);
    double f1 = DatedPresentValue(r1, values, dates);
    double damping = 1;
    for (int i = 0; i < SecantSteps; ++i) {
        if (f0 == 0) return r0;
        if (f1 == f0 || r1 == r0 || !std::isfinite(f0) || !std::isfinite(f1)) return NaN;
        const double r2 = r0 - f0 / ((f1 - f0) / (r1 - r0)) / damping;
        if (!(r2 > -1)) {
            damping *= 2;
            continue;
        }
        const double f2 = DatedPresentValue(r2, values, dates);
        if (std::fabs(r2 - r0) <= 1e-12 * std::max(1.0, std::fabs(r2))) return r2;
        damping = 1;
        r1 = r0;
        f1 = f0;
        r0 = r2;
        f0 = f2;
    }
    return NaN;
}

double VariableDeclining(double cost, double salvage, double life, double start, double end, double factor,
                         bool noSwitch) {
    const double periods = std::ceil(end);
    if (periods > MaxDepreciationPeriods) return NaN;
    const double rate = std::min(factor / life, 1.0);
    double book = cost;
    double straight = 0;
    bool switched = false;
    double total = 0;
    for (double k = 1; k <= periods; ++k) {
        double amount = std::min(book * rate, std::max(book - salvage, 0.0));
        if (!noSwitch && !switched) {
            const double line = (book - salvage) / (life - (k - 1));
            if (line > amount) {
                switched = true;
                straight = line;
            }
        }
        if (switched) amount = straight;
        total += amount * std::max(0.0, std::min(k, end) - std::max(k - 1, start));
        book -= amount;
    }
    return total;
}

}  // namespace xls
