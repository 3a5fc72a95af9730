#include "core/stats/probabilities.h"

// The functions of probabilities.h for Windows, where R's standalone math library has no build.
// The normal distribution is computed by the algorithms R uses, and so to the same bits where
// the C library's exp and log agree with Linux's. The chi-square, t and beta functions come
// from Boost.Math, evaluated in long double (a 64-bit significand with GCC on x86; with MSVC it
// is double) and rounded once, which puts them within a few units in the last place of R's, as
// near as R's are to the exact values. The studentized range is integrated as R integrates it:
// R's value is good to about 1e-11 only, and the reports' six digits are to agree with the
// Linux build's. tests/windows/probabilities_test.cpp holds each to R's values.

#include <boost/math/policies/policy.hpp>
#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace kw::probability {

namespace {

namespace policies = boost::math::policies;

// R's conventions: NaN outside a function's domain, infinities at its poles, no exceptions.
using Quiet = policies::policy<policies::domain_error<policies::ignore_error>,
                               policies::pole_error<policies::ignore_error>,
                               policies::overflow_error<policies::ignore_error>,
                               policies::evaluation_error<policies::ignore_error>>;

using Real = long double;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// The normal distribution as R computes it, to the last bit where the C library's exp and log
// agree with Linux's: Cody's rational approximations of the tails (ANORM, W. J. Cody, Math.
// Comp. 22, 1969, and ACM TOMS 19, 1993), and Wichura's quantile (AS 241, Appl. Statist. 37,
// 1988). P(Z < z) and P(Z > z) together, each without cancellation.
struct NormalTails {
    double lower = 0;
    double upper = 0;
};

NormalTails normalTails(double z) {
    static constexpr double a[5] = {2.2352520354606839287, 161.02823106855587881,
                                    1067.6894854603709582, 18154.981253343561249,
                                    0.065682337918207449113};
    static constexpr double b[4] = {47.20258190468824187, 976.09855173777669322,
                                    10260.932208618978205, 45507.789335026729956};
    static constexpr double c[9] = {
        0.39894151208813466764, 8.8831497943883759412, 93.506656132177855979,
        597.27027639480026226,  2494.5375852903726711, 6848.1904505362823326,
        11602.651437647350124,  9842.7148383839780218, 1.0765576773720192317e-8};
    static constexpr double d[8] = {
        22.266688044328115691, 235.38790178262499861, 1519.377599407554805,  6485.558298266760755,
        18615.571640885098091, 34900.952721145977266, 38912.003286093271411, 19685.429676859990727};
    static constexpr double p[6] = {0.21589853405795699,   0.1274011611602473639,
                                    0.022235277870649807,  0.001421619193227893466,
                                    2.9112874951168792e-5, 0.02307344176494017303};
    static constexpr double q[5] = {1.28426009614491121, 0.468238212480865118,
                                    0.0659881378689285515, 0.00378239633202758244,
                                    7.29751555083966205e-5};
    NormalTails t;
    if (std::isnan(z)) {
        t.lower = t.upper = z;
        return t;
    }
    const double y = std::fabs(z);
    // The density's factor exp(-y^2/2) in two parts, the first exact in y rounded to 1/16.
    auto gaussian = [](double x) {
        const double rounded = std::trunc(x * 16) / 16;
        const double rest = (x - rounded) * (x + rounded);
        return std::exp(-rounded * rounded * 0.5) * std::exp(-rest * 0.5);
    };
    if (y <= 0.67448975) {
        double numerator = 0;
        double denominator = 0;
        if (y > std::numeric_limits<double>::epsilon() / 2) {
            const double square = z * z;
            numerator = a[4] * square;
            denominator = square;
            for (int i = 0; i < 3; ++i) {
                numerator = (numerator + a[i]) * square;
                denominator = (denominator + b[i]) * square;
            }
        }
        const double half = z * (numerator + a[3]) / (denominator + b[3]);
        t.lower = 0.5 + half;
        t.upper = 0.5 - half;
        return t;
    }
    double far = 0;                              // the tail beyond y
    if (y <= 5.656854249492380195206754896838) { // sqrt(32)
        double numerator = c[8] * y;
        double denominator = y;
        for (int i = 0; i < 7; ++i) {
            numerator = (numerator + c[i]) * y;
            denominator = (denominator + d[i]) * y;
        }
        far = gaussian(y) * ((numerator + c[7]) / (denominator + d[7]));
    } else if (y < 37.5193) {
        const double square = 1.0 / (z * z);
        double numerator = p[5] * square;
        double denominator = square;
        for (int i = 0; i < 4; ++i) {
            numerator = (numerator + p[i]) * square;
            denominator = (denominator + q[i]) * square;
        }
        const double ratio = square * (numerator + p[4]) / (denominator + q[4]);
        far = gaussian(z) * ((0.398942280401432677939946059934 - ratio) / y);
    }
    const double near = 1.0 - far;
    t.lower = z > 0 ? near : far;
    t.upper = z > 0 ? far : near;
    return t;
}

// P(Z < z).
double normalLower(double z) {
    return normalTails(z).lower;
}

// x to the power y. MinGW's pow multiplies out whole-number powers, losing up to 1e-12; in
// long double and rounded once, the power is the one Linux's C library gives in all but about
// one case in a hundred, and then one unit in the last place off.
double power(double x, double y) {
    return static_cast<double>(std::pow(static_cast<Real>(x), static_cast<Real>(y)));
}

// The six positive nodes of 12-point Gauss-Legendre quadrature, ascending, and their weights,
// each the double nearest to it (Boost's table for double is a unit or two off in the last
// place of some weights).
struct LegendreRule {
    std::array<double, 6> abscissa;
    std::array<double, 6> weight;
};

const LegendreRule& legendreRule() {
    static const LegendreRule rule = [] {
        using Exact = boost::multiprecision::cpp_bin_float_50;
        using Legendre = boost::math::quadrature::gauss<Exact, 12>;
        LegendreRule r;
        for (std::size_t i = 0; i < 6; ++i) {
            r.abscissa[i] = static_cast<double>(Legendre::abscissa()[i]);
            r.weight[i] = static_cast<double>(Legendre::weights()[i]);
        }
        return r;
    }();
    return rule;
}

// The distribution function of the range of `means` standard normal means, in Hartley's form:
// (2 Phi(w/2) - 1)^c plus 2c times the integral from w/2 on of phi(u) (Phi(u) - Phi(u - w))^(c-1).
// The integral runs to 8 in two pieces (three for w up to 3), each by 12-point Gauss-Legendre,
// with the cut-offs of R's ptukey, so that the rounding and truncation errors are R's as well.
double rangeLower(double w, double means) {
    const double half = w / 2;
    constexpr double upperLimit = 8;
    if (half >= upperLimit) {
        return 1;
    }
    double p = 2 * normalLower(half) - 1;
    p = p >= std::exp(-50 / means) ? power(p, means) : 0.0;

    const auto& [abscissa, weight] = legendreRule();
    const int pieces = w > 3 ? 2 : 3;
    const double width = (upperLimit - half) / pieces;
    const double others = means - 1;
    const double smallest = std::exp(-30 / others);
    constexpr double oneOverRootTwoPi = 0.398942280401432677939946059934;
    Real integral = 0;
    Real from = half;
    Real to = from + width;
    for (int piece = 0; piece < pieces; ++piece) {
        const double middle = static_cast<double>((to + from) / 2);
        const double radius = static_cast<double>((to - from) / 2);
        Real sum = 0;
        // The nodes from left to right: the integrand is negligible beyond u^2 = 60.
        for (int node = 0; node < 12; ++node) {
            const int at = node < 6 ? 5 - node : node - 6;
            const double u = middle + radius * (node < 6 ? -abscissa[at] : abscissa[at]);
            const double square = u * u;
            if (square > 60) {
                break;
            }
            const double inside = normalLower(u) - normalLower(u - w);
            if (inside >= smallest) {
                sum += weight[at] * std::exp(-0.5 * square) * power(inside, others);
            }
        }
        sum *= 2 * radius * means * oneOverRootTwoPi;
        integral += sum;
        from = to;
        to += width;
    }
    p += static_cast<double>(integral);
    if (p <= std::exp(-30.0)) {
        return 0;
    }
    return std::min(p, 1.0);
}

} // namespace

double normalUpper(double z) {
    return normalTails(z).upper;
}

double normalQuantile(double p) {
    // Wichura's coefficients, highest power first, of the centre and of the two tail ranges.
    static constexpr double centreAbove[8] = {
        2509.0809287301226727, 33430.575583588128105, 67265.770927008700853, 45921.953931549871457,
        13731.693765509461125, 1971.5909503065514427, 133.14166789178437745, 3.387132872796366608};
    static constexpr double centreBelow[8] = {
        5226.495278852854561,  28729.085735721942674, 39307.89580009271061,  21213.794301586595867,
        5394.1960214247511077, 687.1870074920579083,  42.313330701600911252, 1.0};
    static constexpr double nearAbove[8] = {7.7454501427834140764e-4, 0.0227238449892691845833,
                                            0.24178072517745061177,   1.27045825245236838258,
                                            3.64784832476320460504,   5.7694972214606914055,
                                            4.6303378461565452959,    1.42343711074968357734};
    static constexpr double nearBelow[8] = {1.05075007164441684324e-9, 5.475938084995344946e-4,
                                            0.0151986665636164571966,  0.14810397642748007459,
                                            0.68976733498510000455,    1.6763848301838038494,
                                            2.05319162663775882187,    1.0};
    static constexpr double farAbove[8] = {2.01033439929228813265e-7, 2.71155556874348757815e-5,
                                           0.0012426609473880784386,  0.026532189526576123093,
                                           0.29656057182850489123,    1.7848265399172913358,
                                           5.4637849111641143699,     6.6579046435011037772};
    static constexpr double farBelow[8] = {2.04426310338993978564e-15, 1.4215117583164458887e-7,
                                           1.8463183175100546818e-5,   7.868691311456132591e-4,
                                           0.0148753612908506148525,   0.13692988092273580531,
                                           0.59983220655588793769,     1.0};
    auto horner = [](double x, const double(&c)[8]) {
        double sum = c[0];
        for (int i = 1; i < 8; ++i) {
            sum = sum * x + c[i];
        }
        return sum;
    };
    if (!(p >= 0 && p <= 1)) {
        return nan;
    }
    if (p == 0 || p == 1) {
        return p == 0 ? -std::numeric_limits<double>::infinity()
                      : std::numeric_limits<double>::infinity();
    }
    const double q = p - 0.5;
    if (std::fabs(q) <= 0.425) {
        const double r = 0.180625 - q * q;
        return q * horner(r, centreAbove) / horner(r, centreBelow);
    }
    // The tail nearer p: r = sqrt(-log(min(p, 1 - p))).
    const double r = std::sqrt(-std::log(q > 0 ? 0.5 - p + 0.5 : p));
    const double value = r <= 5 ? horner(r - 1.6, nearAbove) / horner(r - 1.6, nearBelow)
                                : horner(r - 5, farAbove) / horner(r - 5, farBelow);
    return q < 0 ? -value : value;
}

double chiSquareUpper(double x, double df) {
    if (std::isnan(x) || !(df >= 0)) {
        return nan;
    }
    if (x <= 0) {
        return 1;
    }
    if (df == 0 || x == std::numeric_limits<double>::infinity()) {
        return 0;
    }
    return static_cast<double>(boost::math::gamma_q(Real(df) / 2, Real(x) / 2, Quiet()));
}

double tTwoSided(double t, double df) {
    if (std::isnan(t) || !(df > 0)) {
        return nan;
    }
    if (std::isinf(df)) {
        return 2 * normalUpper(std::fabs(t));
    }
    if (std::isinf(t)) {
        return 0;
    }
    // The beta distribution's tail at the argument R forms, rounded as R rounds it.
    const double n = df;
    if (n > t * t) {
        const double x = t * t / (n + t * t);
        return static_cast<double>(boost::math::ibetac(Real(0.5), Real(n) / 2, Real(x), Quiet()));
    }
    const double x = 1 / (1 + (t / n) * t);
    return static_cast<double>(boost::math::ibeta(Real(n) / 2, Real(0.5), Real(x), Quiet()));
}

double tUpper(double t, double df) {
    if (std::isnan(t)) {
        return nan;
    }
    const double half = tTwoSided(t, df) / 2;
    return t > 0 ? half : 1 - half;
}

double studentizedRangeUpper(double q, double means, double df) {
    if (std::isnan(q) || std::isnan(means) || std::isnan(df) || means < 2 || !(df >= 2)) {
        return nan;
    }
    if (q <= 0) {
        return 1;
    }
    if (std::isinf(q)) {
        return 0;
    }
    // Beyond 25000 degrees of freedom the estimate of the spread is taken as exact, as R does.
    if (df > 25000) {
        return 0.5 - rangeLower(q, means) + 0.5;
    }
    // Otherwise the range of the means at q times the estimate s of the standard deviation,
    // averaged over the distribution of s (sqrt(chi-square(df) / df)).
    const Real v = df;
    const Real logScale =
        v / 2 * std::log(v) - std::lgamma(v / 2) - (v / 2 - 1) * std::log(Real(2));
    auto density = [&](double s) {
        if (s <= 0) {
            return 0.0;
        }
        const Real logDensity = logScale + (v - 1) * std::log(Real(s)) - v * s * s / 2;
        return static_cast<double>(std::exp(logDensity)) * (1 - rangeLower(q * s, means));
    };
    using Kronrod = boost::math::quadrature::gauss_kronrod<double, 31>;
    const double upper = 1 + 40 / std::sqrt(df);
    return std::min(1.0, Kronrod::integrate(density, 0.0, upper, 12, 1e-12));
}

double betaQuantile(double p, double a, double b) {
    if (!(p >= 0 && p <= 1) || !(a > 0) || !(b > 0)) {
        return nan;
    }
    return static_cast<double>(boost::math::ibeta_inv(Real(a), Real(b), Real(p), Quiet()));
}

} // namespace kw::probability
