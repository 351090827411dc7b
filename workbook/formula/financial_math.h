#pragma once

#include <vector>

namespace xls {

// The numeric kernels of the financial worksheet functions. Amounts follow the cash-flow sign
// convention (money received positive, money paid negative); start is the timing of payments
// (true: at the beginning of each period). A result that does not exist, or an iteration that
// does not converge, is NaN: the callers turn it into #NUM!.

double PresentValue(double rate, double nper, double pmt, double fv, bool start);
double FutureValue(double rate, double nper, double pmt, double pv, bool start);
double Payment(double rate, double nper, double pv, double fv, bool start);
double NumberOfPeriods(double rate, double pmt, double pv, double fv, bool start);
// The rate that balances the flows, by Newton's method from guess.
double InterestRate(double nper, double pmt, double pv, double fv, bool start, double guess);
// The interest part of the payment of period per (1-based).
double InterestPayment(double rate, double per, double nper, double pv, double fv, bool start);

// Σ flows[k] / (1 + rate)^(k + 1), the first flow one period away.
double NetPresentValue(double rate, const std::vector<double>& flows);
// The rate at which flows (one a period, the first now) are worth nothing.
double InternalRateOfReturn(const std::vector<double>& flows, double guess);
// Σ values[i] / (1 + rate)^((dates[i] - dates[0]) / 365); the two of equal length.
double DatedPresentValue(double rate, const std::vector<double>& values, const std::vector<double>& dates);
// The rate at which DatedPresentValue is 0, by the secant method from guess.
double DatedRateOfReturn(const std::vector<double>& values, const std::vector<double>& dates, double guess);

// Declining-balance depreciation between the times start and end (in periods, fractions
// spread evenly over their period), never below salvage; unless noSwitch, a period whose
// straight-line amount over the remaining life is larger switches to straight line for good.
double VariableDeclining(double cost, double salvage, double life, double start, double end, double factor,
                         bool noSwitch);

}  // namespace xls
