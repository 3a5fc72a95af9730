#include "core/stats/probabilities.h"

#include <cmath>

// R's standalone library names its functions plainly (pt, ptukey): its header's macros stay in
// this file.
#define MATHLIB_STANDALONE 1
#include <Rmath.h>

namespace kw::probability {

double normalUpper(double z) {
    return pnorm(z, 0.0, 1.0, 0, 0);
}

double normalQuantile(double p) {
    return qnorm(p, 0.0, 1.0, 1, 0);
}

double chiSquareUpper(double x, double df) {
    return pchisq(x, df, 0, 0);
}

double tTwoSided(double t, double df) {
    return 2 * pt(-std::fabs(t), df, 1, 0);
}

double tUpper(double t, double df) {
    return pt(t, df, 0, 0);
}

double studentizedRangeUpper(double q, double means, double df) {
    return ptukey(q, 1.0, means, df, 0, 0);
}

double betaQuantile(double p, double a, double b) {
    return qbeta(p, a, b, 1, 0);
}

} // namespace kw::probability
