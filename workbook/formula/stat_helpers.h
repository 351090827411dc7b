#pragma once

#include <cstdint>
#include <vector>

namespace xls {

// The numeric kernels shared by the regression, discounting, percentile, t-test, depreciation
// and z-test functions. They work on numbers handed to them and touch no stack record; the
// callers check the argument domains first. (Elsewhere they are named as operations of the
// value stack: LinearFit, ExponentialFit, ExponentialValue, DiscountSum, PercentileOf,
// TTestProbability, DecliningDepreciation, ZTestProbability.)

// The least-squares line y = Slope·x + Intercept and, when asked for, its statistics.
struct TLinearFit {
    double Intercept = 0;
    double Slope = 0;
    double SeIntercept = 0;
    double SeSlope = 0;
    double RSquared = 0;
    double SeY = 0;
    double SsReg = 0;
    double SsResid = 0;
    double FStat = 0;
    int32_t Df = 0;
};

// The fit of y on x over the first y.size() elements (x holds at least as many); false, with r
// all zero, when x or y has no spread. With stats and fewer than three points the statistics
// that divide by n - 2 are left 0.
bool LinearFit(const std::vector<double>& y, const std::vector<double>& x, bool stats, TLinearFit& r);
// The fit of y = b·m^x through ln y (every y positive, checked by the caller): Intercept is b,
// Slope m; the statistics are those of the fit of ln y. A failed fit leaves b = m = 1.
bool ExponentialFit(const std::vector<double>& y, const std::vector<double>& x, bool stats, TLinearFit& r);
double ExponentialValue(const std::vector<double>& y, const std::vector<double>& x, double at);

// The cash flows discounted at rate, given last first: the last element is discounted by one
// period, the first by n periods.
double DiscountSum(const std::vector<double>& valuesLastFirst, double rate);

// Linear interpolation at k in [0, 1] over the numbers (sorted here); false without numbers.
bool PercentileOf(std::vector<double> values, double k, double& result);

// The probability of Student's t-test of a against b: type 1 paired, 2 two samples of equal
// variance, 3 of unequal variance; tails 1 or 2. NaN when the samples give no statistic (the
// caller turns it into an error value).
double TTestProbability(const std::vector<double>& a, const std::vector<double>& b, int type, int tails);

// Declining-balance depreciation between two periods (factor 0 means 2), switching to the
// straight line when that gives more unless noSwitch.
double DecliningDepreciation(double cost, double salvage, double life, double startPeriod, double endPeriod,
                             double factor, bool noSwitch);

// The one-tailed probability of the z-test of the values' mean against mu; without a sigma the
// sample standard deviation of the values stands in.
double ZTestProbability(const std::vector<double>& values, double mu, const double* sigma);

}  // namespace xls
