// Probability distributions: densities, cumulative probabilities and quantiles, in their legacy
// and their newer names.
#include <algorithm>
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/poisson.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <cmath>

#include "workbook/formula/distribution_policy.h"
#include "workbook/formula/numeric_functions.h"
#include "workbook/formula/probability_mass.h"
#include "workbook/model/cell_error.h"

namespace xls {

namespace {

enum : int {
    fnBetaDist = 270,
    fnGammaLn = 271,
    fnBetaInv = 272,
    fnBinomDist = 273,
    fnChiDist = 274,
    fnChiInv = 275,
    fnCritBinom = 278,
    fnExponDist = 280,
    fnFDist = 281,
    fnFInv = 282,
    fnFisher = 283,
    fnFisherInv = 284,
    fnGammaDist = 286,
    fnGammaInv = 287,
    fnHypGeomDist = 289,
    fnLogNormDist = 290,
    fnLogInv = 291,
    fnNegBinomDist = 292,
    fnNormDist = 293,
    fnNormSDist = 294,
    fnNormInv = 295,
    fnNormSInv = 296,
    fnStandardize = 297,
    fnPoisson = 300,
    fnTDist = 301,
    fnWeibull = 302,
    fnTInv = 332,
    fnTDist2T = 800,
    fnTDistRT = 801,
    fnTDist3 = 802,
    fnTInv1 = 803,
    fnTInv2T = 804,
    fnChiSqInv = 805,
    fnChiInvRT = 806,
    fnGammaInv2 = 807,
    fnLogNormInv = 808,
    fnNormInv2 = 809,
    fnNormSInv2 = 810,
    fnFInvLeft = 811,
    fnFInvRT = 812,
    fnBinomInv = 813,
    fnLogNormDist2 = 814,
    fnErfc = 816,
    fnErfcPrecise = 817,
    fnChiSqDist = 831,
    fnErfPrecise = 835,
    fnFDistLeft = 836,
    fnGammaLnPrecise = 838,
    fnBetaDist2 = 846,
    fnBetaInv2 = 847,
    fnBinomDist2 = 848,
    fnChiSqDistRT = 849,
    fnExponDist2 = 853,
    fnFDistRT = 854,
    fnGammaDist2 = 855,
    fnHypGeomDist2 = 856,
    fnNegBinomDist2 = 857,
    fnNormDist2 = 858,
    fnNormSDist2 = 859,
    fnPoissonDist = 861,
    fnWeibullDist = 864,
};

// Degrees of freedom and counts beyond this are refused rather than computed for minutes.
constexpr double LargestCount = 1e10;

// count numbers into a[0] .. a[count - 1] (read last to first); false after pushing the error.
bool Numbers(TValueStack& s, int count, double* a) {
    for (int i = count - 1; i >= 0; --i)
        if (!s.PopArgNumber(a[i])) return false;
    return true;
}

// A flag that may be left out (with the function's own default when it is).
bool Flag(TValueStack& s, bool given, bool& b) { return !given || s.PopArgBoolean(b); }

bool Whole(double& x, double min) {
    x = std::trunc(x);
    return x >= min && x <= LargestCount;
}

double NormalCdf(double z) { return 0.5 * bm::erfc(-z / std::sqrt(2.0), TDistributionPolicy()); }
double NormalQuantile(double p) { return -std::sqrt(2.0) * bm::erfc_inv(2 * p, TDistributionPolicy()); }
double NormalDensity(double z) { return std::exp(-0.5 * z * z) / std::sqrt(2 * M_PI); }

void Normal(TValueStack& s, int id, int argCount) {
    double a[3] = {0, 0, 1};
    bool cumulative = true;
    switch (id) {
        case fnNormDist:
        case fnNormDist2:
            if (!Flag(s, true, cumulative) || !Numbers(s, 3, a)) return;
            break;
        case fnNormSDist:
        case fnNormSDist2:
            if (!Flag(s, argCount == 2, cumulative) || !Numbers(s, 1, a)) return;
            break;
        case fnStandardize:
            if (!Numbers(s, 3, a)) return;
            if (a[2] <= 0) return s.PushError(errNum);
            return s.PushResult((a[0] - a[1]) / a[2]);
        default:
            if (!Flag(s, argCount == 4, cumulative) || !Numbers(s, 3, a)) return;
            break;
    }
    if (a[2] <= 0) return s.PushError(errNum);
    if (id == fnLogNormDist || id == fnLogNormDist2) {
        if (a[0] <= 0) return s.PushError(errNum);
        const double z = (std::log(a[0]) - a[1]) / a[2];
        return s.PushResult(cumulative ? NormalCdf(z) : NormalDensity(z) / a[2] / a[0]);
    }
    const double z = (a[0] - a[1]) / a[2];
    s.PushResult(cumulative ? NormalCdf(z) : NormalDensity(z) / a[2]);
}

void NormalInverse(TValueStack& s, int id) {
    double a[3] = {0, 0, 1};
    const bool standard = id == fnNormSInv || id == fnNormSInv2;
    if (!Numbers(s, standard ? 1 : 3, a)) return;
    if (!(a[0] > 0 && a[0] < 1) || a[2] <= 0) return s.PushError(errNum);
    const double x = a[1] + a[2] * NormalQuantile(a[0]);
    s.PushResult(id == fnLogInv || id == fnLogNormInv ? std::exp(x) : x);
}

void Beta(TValueStack& s, int id, int argCount) {
    double a[5] = {0, 0, 0, 0, 1};
    bool cumulative = true;
    const bool inverse = id == fnBetaInv || id == fnBetaInv2;
    const int numbers = id == fnBetaDist2 ? argCount - 1 : argCount;
    if (numbers > 3 && !Numbers(s, numbers - 3, a + 3)) return;
    if (id == fnBetaDist2 && !Flag(s, true, cumulative)) return;
    if (!Numbers(s, 3, a)) return;
    const double x = a[0];
    const double alpha = a[1];
    const double beta = a[2];
    const double lo = a[3];
    const double hi = a[4];
    if (!(alpha > 0 && beta > 0) || lo >= hi) return s.PushError(errNum);
    if (inverse) {
        if (!(x >= 0 && x <= 1)) return s.PushError(errNum);
        return s.PushResult(lo + (hi - lo) * bm::ibeta_inv(alpha, beta, x, TDistributionPolicy()));
    }
    if (x < lo || x > hi) return s.PushError(errNum);
    const double t = (x - lo) / (hi - lo);
    if (cumulative) return s.PushResult(bm::ibeta(alpha, beta, t, TDistributionPolicy()));
    s.PushResult(bm::ibeta_derivative(alpha, beta, t, TDistributionPolicy()) / (hi - lo));
}

void Binomial(TValueStack& s, int id) {
    double a[3] = {0, 0, 0};
    bool cumulative = true;
    if (id == fnBinomDist || id == fnBinomDist2) {
        if (!Flag(s, true, cumulative) || !Numbers(s, 3, a)) return;
        double& k = a[0];
        double& n = a[1];
        const double p = a[2];
        if (!Whole(k, 0) || !Whole(n, 0) || k > n || !(p >= 0 && p <= 1)) return s.PushError(errNum);
        return s.PushResult(cumulative ? BinomialCdf(k, n, p) : BinomialMass(k, n, p, 1 - p));
    }
    if (!Numbers(s, 3, a)) return;
    double& n = a[0];
    const double p = a[1];
    const double alpha = a[2];
    if (!Whole(n, 0) || !(p >= 0 && p <= 1) || !(alpha >= 0 && alpha <= 1)) return s.PushError(errNum);
    // The smallest count whose cumulative probability reaches alpha.
    const bm::binomial_distribution<double, TDistributionPolicy> d(n, p);
    double k = std::floor(bm::quantile(d, alpha));
    if (!std::isfinite(k)) k = alpha <= 0 ? 0 : n;
    k = std::clamp(k, 0.0, n);
    while (k > 0 && BinomialCdf(k - 1, n, p) >= alpha) --k;
    while (k < n && BinomialCdf(k, n, p) < alpha) ++k;
    s.PushNumber(k);
}

void NegativeBinomial(TValueStack& s, int id) {
    double a[3] = {0, 0, 0};
    bool cumulative = false;
    if (!Flag(s, id == fnNegBinomDist2, cumulative) || !Numbers(s, 3, a)) return;
    double& failures = a[0];
    double& successes = a[1];
    const double p = a[2];
    if (!Whole(failures, 0) || !Whole(successes, 1) || !(p >= 0 && p < 1)) return s.PushError(errNum);
    // The mass is C(f + s - 1, f) p^s q^f, s / (f + s) of the binomial mass of s in f + s trials.
    if (!cumulative)
        return s.PushResult(successes / (failures + successes) *
                            BinomialMass(successes, failures + successes, p, 1 - p));
    s.PushResult(bm::ibeta(successes, failures + 1, p, TDistributionPolicy()));
}

void Hypergeometric(TValueStack& s, int id) {
    double a[4] = {0, 0, 0, 0};
    bool cumulative = false;
    if (!Flag(s, id == fnHypGeomDist2, cumulative) || !Numbers(s, 4, a)) return;
    double& k = a[0];
    double& sample = a[1];
    double& successes = a[2];
    double& population = a[3];
    if (!Whole(k, 0) || !Whole(sample, 1) || !Whole(successes, 1) || !Whole(population, 1) || k > sample ||
        sample > population || successes > population)
        return s.PushError(errNum);
    // More successes than there are, or fewer than the draws force, cannot happen.
    if (k > successes || k < sample - population + successes) return s.PushNumber(cumulative && k > successes ? 1 : 0);
    s.PushResult(cumulative ? HypergeometricCdf(k, sample, successes, population)
                            : HypergeometricMass(k, sample, successes, population));
}

void Poisson(TValueStack& s) {
    double a[2] = {0, 0};
    bool cumulative = true;
    if (!Flag(s, true, cumulative) || !Numbers(s, 2, a)) return;
    double& x = a[0];
    const double mean = a[1];
    if (!Whole(x, 0) || mean <= 0) return s.PushError(errNum);
    const bm::poisson_distribution<double, TDistributionPolicy> d(mean);
    s.PushResult(cumulative ? bm::cdf(d, x) : bm::pdf(d, x));
}

// The exponential and Weibull distributions: cumulative 1 - exp(-(x/scale)^shape).
void ExponentialWeibull(TValueStack& s, int id) {
    double a[3] = {0, 0, 0};
    bool cumulative = true;
    const bool weibull = id == fnWeibull || id == fnWeibullDist;
    if (!Flag(s, true, cumulative) || !Numbers(s, weibull ? 3 : 2, a)) return;
    const double x = a[0];
    if (!weibull) {
        const double lambda = a[1];
        if (x < 0 || lambda <= 0) return s.PushError(errNum);
        return s.PushResult(cumulative ? -std::expm1(-lambda * x) : lambda * std::exp(-lambda * x));
    }
    const double shape = a[1];
    const double scale = a[2];
    if (x < 0 || shape <= 0 || scale <= 0) return s.PushError(errNum);
    const double t = std::pow(x / scale, shape);
    if (cumulative) return s.PushResult(-std::expm1(-t));
    s.PushResult(shape / scale * std::pow(x / scale, shape - 1) * std::exp(-t));
}

void Gamma(TValueStack& s, int id) {
    double a[3] = {0, 0, 0};
    bool cumulative = true;
    if (id == fnGammaInv || id == fnGammaInv2) {
        if (!Numbers(s, 3, a)) return;
        if (!(a[0] >= 0 && a[0] < 1) || a[1] <= 0 || a[2] <= 0) return s.PushError(errNum);
        return s.PushResult(bm::gamma_p_inv(a[1], a[0], TDistributionPolicy()) * a[2]);
    }
    if (!Flag(s, true, cumulative) || !Numbers(s, 3, a)) return;
    const double x = a[0];
    const double alpha = a[1];
    const double beta = a[2];
    if (x < 0 || alpha <= 0 || beta <= 0) return s.PushError(errNum);
    if (cumulative) return s.PushResult(bm::gamma_p(alpha, x / beta, TDistributionPolicy()));
    s.PushResult(bm::gamma_p_derivative(alpha, x / beta, TDistributionPolicy()) / beta);
}

void ChiSquared(TValueStack& s, int id) {
    double a[2] = {0, 0};
    bool cumulative = true;
    if (!Flag(s, id == fnChiSqDist, cumulative) || !Numbers(s, 2, a)) return;
    const double x = a[0];
    double& df = a[1];
    if (!Whole(df, 1)) return s.PushError(errNum);
    const double k = df / 2;
    switch (id) {
        case fnChiInv:
        case fnChiInvRT:
            if (!(x > 0 && x <= 1)) return s.PushError(errNum);
            return s.PushResult(2 * bm::gamma_q_inv(k, x, TDistributionPolicy()));
        case fnChiSqInv:
            if (!(x >= 0 && x < 1)) return s.PushError(errNum);
            return s.PushResult(2 * bm::gamma_p_inv(k, x, TDistributionPolicy()));
        default: break;
    }
    // The right tail of a negative x is the whole distribution.
    if (id != fnChiSqDist) return s.PushResult(x <= 0 ? 1 : bm::gamma_q(k, x / 2, TDistributionPolicy()));
    if (x < 0) return s.PushError(errNum);
    if (cumulative) return s.PushResult(bm::gamma_p(k, x / 2, TDistributionPolicy()));
    s.PushResult(bm::gamma_p_derivative(k, x / 2, TDistributionPolicy()) / 2);
}

void FisherF(TValueStack& s, int id) {
    double a[3] = {0, 0, 0};
    bool cumulative = true;
    if (!Flag(s, id == fnFDistLeft, cumulative) || !Numbers(s, 3, a)) return;
    const double x = a[0];
    if (!Whole(a[1], 1) || !Whole(a[2], 1)) return s.PushError(errNum);
    const bm::fisher_f_distribution<double, TDistributionPolicy> d(a[1], a[2]);
    switch (id) {
        // F = df2 t / (df1 (1 - t)) where t = df1 F / (df1 F + df2) has the beta distribution
        // (df1/2, df2/2); the upper tail through the beta of the swapped shapes at 1 - t.
        case fnFInvLeft: {
            if (!(x >= 0 && x < 1)) return s.PushError(errNum);
            const double t = bm::ibeta_inv(a[1] / 2, a[2] / 2, x, TDistributionPolicy());
            return s.PushResult(a[2] * t / (a[1] * (1 - t)));
        }
        case fnFInv:
        case fnFInvRT: {
            if (!(x > 0 && x <= 1)) return s.PushError(errNum);
            const double u = bm::ibeta_inv(a[2] / 2, a[1] / 2, x, TDistributionPolicy());
            return s.PushResult(a[2] * (1 - u) / (a[1] * u));
        }
        default: break;
    }
    if (x < 0) return s.PushError(errNum);
    if (id != fnFDistLeft) return s.PushResult(bm::cdf(bm::complement(d, x)));
    s.PushResult(cumulative ? bm::cdf(d, x) : bm::pdf(d, x));
}

void StudentT(TValueStack& s, int id, int argCount) {
    double a[3] = {0, 0, 0};
    bool cumulative = true;
    const int numbers = id == fnTDist ? 3 : 2;
    if (!Flag(s, id == fnTDist3 && argCount == 3, cumulative) || !Numbers(s, numbers, a)) return;
    const double x = a[0];
    if (!Whole(a[1], 1)) return s.PushError(id == fnTDist3 && !cumulative ? errDiv0 : errNum);
    const bm::students_t_distribution<double, TDistributionPolicy> d(a[1]);
    switch (id) {
        case fnTInv1:
            if (!(x > 0 && x < 1)) return s.PushError(errNum);
            return s.PushResult(bm::quantile(d, x));
        case fnTInv:
        case fnTInv2T:
            if (!(x > 0 && x <= 1)) return s.PushError(errNum);
            return s.PushResult(bm::quantile(bm::complement(d, x / 2)));
        case fnTDist3: return s.PushResult(cumulative ? bm::cdf(d, x) : bm::pdf(d, x));
        case fnTDistRT: return s.PushResult(bm::cdf(bm::complement(d, x)));
        case fnTDist2T:
            if (x < 0) return s.PushError(errNum);
            return s.PushResult(2 * bm::cdf(bm::complement(d, x)));
        default: {
            double& tails = a[2];
            tails = std::trunc(tails);
            if (x < 0 || (tails != 1 && tails != 2)) return s.PushError(errNum);
            return s.PushResult(tails * bm::cdf(bm::complement(d, x)));
        }
    }
}

void Unary(TValueStack& s, int id) {
    double x = 0;
    if (!s.PopArgNumber(x)) return;
    switch (id) {
        case fnFisher:
            if (!(x > -1 && x < 1)) return s.PushError(errNum);
            return s.PushResult(std::atanh(x));
        case fnFisherInv: return s.PushResult(std::tanh(x));
        case fnGammaLn:
        case fnGammaLnPrecise:
            if (x <= 0) return s.PushError(errNum);
            return s.PushResult(std::lgamma(x));
        case fnErfPrecise: return s.PushResult(bm::erf(x, TDistributionPolicy()));
        default: return s.PushResult(bm::erfc(x, TDistributionPolicy()));
    }
}

}  // namespace

bool CallDistributionFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnNormDist:
        case fnNormDist2:
        case fnNormSDist:
        case fnNormSDist2:
        case fnLogNormDist:
        case fnLogNormDist2:
        case fnStandardize: Normal(s, id, argCount); return true;
        case fnNormInv:
        case fnNormInv2:
        case fnNormSInv:
        case fnNormSInv2:
        case fnLogInv:
        case fnLogNormInv: NormalInverse(s, id); return true;
        case fnBetaDist:
        case fnBetaDist2:
        case fnBetaInv:
        case fnBetaInv2: Beta(s, id, argCount); return true;
        case fnBinomDist:
        case fnBinomDist2:
        case fnCritBinom:
        case fnBinomInv: Binomial(s, id); return true;
        case fnNegBinomDist:
        case fnNegBinomDist2: NegativeBinomial(s, id); return true;
        case fnHypGeomDist:
        case fnHypGeomDist2: Hypergeometric(s, id); return true;
        case fnPoisson:
        case fnPoissonDist: Poisson(s); return true;
        case fnExponDist:
        case fnExponDist2:
        case fnWeibull:
        case fnWeibullDist: ExponentialWeibull(s, id); return true;
        case fnGammaDist:
        case fnGammaDist2:
        case fnGammaInv:
        case fnGammaInv2: Gamma(s, id); return true;
        case fnChiDist:
        case fnChiSqDistRT:
        case fnChiSqDist:
        case fnChiInv:
        case fnChiInvRT:
        case fnChiSqInv: ChiSquared(s, id); return true;
        case fnFDist:
        case fnFDistRT:
        case fnFDistLeft:
        case fnFInv:
        case fnFInvRT:
        case fnFInvLeft: FisherF(s, id); return true;
        case fnTDist:
        case fnTDist3:
        case fnTDistRT:
        case fnTDist2T:
        case fnTInv:
        case fnTInv1:
        case fnTInv2T: StudentT(s, id, argCount); return true;
        case fnFisher:
        case fnFisherInv:
        case fnGammaLn:
        case fnGammaLnPrecise:
        case fnErfc:
        case fnErfcPrecise:
        case fnErfPrecise: Unary(s, id); return true;
        default: return false;
    }
}

}  // namespace xls
