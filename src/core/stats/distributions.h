#pragma once

#include <cstdint>
#include <optional>

namespace kw {

// Distribution functions of the test. Intermediates are computed in long double (extended
// precision on x86); each result is stored as a double.

double lnGamma(double x);
double gammaSeries(double a, double x);            // lower regularized incomplete gamma P(a, x)
double gammaContinuedFraction(double a, double x); // upper regularized incomplete gamma Q(a, x)
double gammaUpper(double a, double x);             // Q(a, x)
double chiSquareUpper(int df, double x);           // P(chi-square with df degrees of freedom > x)
double betaContinuedFraction(double a, double b, double x);
double betaIncomplete(double a, double b, double x); // regularized incomplete beta I_x(a, b)

// Two-sided tail probability of Student's t with df degrees of freedom: P(|T| > t).
double tTail(std::uint32_t df, double t);

// The two-sided critical value of Student's t at level alpha: a step-halving search from
// t = 1 (first step 1, or 10 for df 1 and 2; the step is halved and reversed whenever the tail
// probability crosses alpha) until the tail probability is within alpha / 10000 of alpha.
// Empty when the search cannot end: df 0, alpha outside (0, 1], df 1 or 2 with an alpha at
// which the search walks below t = 0, or an alpha too small to reach.
std::optional<double> tCriticalSearch(std::uint32_t df, double alpha);
bool tCriticalSearchEnds(std::uint32_t df, double alpha);

// As tCriticalSearch; throws kw::Failure when the search cannot end.
double tCritical(std::uint32_t df, double alpha);

} // namespace kw
