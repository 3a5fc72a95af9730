#pragma once

namespace kw::probability {

// Distribution functions to full double precision, as R computes them (R's standalone math
// library): what the statistics beyond the classic test report. The classic test keeps its
// own functions (distributions.h), whose results its outputs were built on.

// P(Z > z) for a standard normal Z, and the p-quantile of Z.
double normalUpper(double z);
double normalQuantile(double p);

// P(chi-square with df degrees of freedom > x).
double chiSquareUpper(double x, double df);

// P(|T| > t) for Student's t with df degrees of freedom, and P(T > t).
double tTwoSided(double t, double df);
double tUpper(double t, double df);

// P(Q > q) for the studentized range of `means` means with df degrees of freedom (df may be
// infinite).
double studentizedRangeUpper(double q, double means, double df);

// The p-quantile of the beta distribution with shapes a and b.
double betaQuantile(double p, double a, double b);

} // namespace kw::probability
