#pragma once

namespace xls {

// The probability of x successes in n trials of probability p (q = 1 - p, given separately so
// that either may be tiny), by the saddle-point expansion: accurate to a few units of the last
// place for counts of any size, with no sums over the counts.
double BinomialMass(double x, double n, double p, double q);

// The probability of k successes in a sample drawn without replacement from a population
// holding the given number of successes; the counts are whole and consistent.
double HypergeometricMass(double k, double sample, double successes, double population);

// The cumulative probabilities (at most x, at most k successes), summed from x toward the nearer
// tail, where the masses fall off geometrically: some standard deviations of terms, which are
// bounded by the square root of the trials or the sample.
double BinomialCdf(double x, double n, double p);
double HypergeometricCdf(double k, double sample, double successes, double population);

}  // namespace xls
