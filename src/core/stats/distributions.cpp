#include "core/stats/distributions.h"

#include "core/base/failure.h"
#include "core/base/numbers.h"

#include <cmath>
#include <optional>

namespace kw {

namespace {

using real = long double;

constexpr int iterationLimit = 1000;
constexpr real tolerance = 3e-7L;

real betaFraction(real a, real b, real x, int limit) {
    const real qab = a + b;
    const real qap = a + 1;
    const real qam = a - 1;
    real am = 1;
    real bm = 1;
    real az = 1;
    real bz = 1 - qab * x / qap;
    for (int m = 1; m <= limit; ++m) {
        const real em = m;
        const real tem = 2 * em;
        real d = em * (b - m) * x / ((qam + tem) * (a + tem));
        const real ap = az + d * am;
        const real bp = bz + d * bm;
        d = -(a + em) * (qab + em) * x / ((a + tem) * (qap + tem));
        const real app = ap + d * az;
        const real bpp = bp + d * bz;
        const real aold = az;
        am = ap / bpp;
        bm = bp / bpp;
        az = app / bpp;
        bz = 1;
        if (std::fabs(az - aold) < tolerance * std::fabs(az)) {
            break;
        }
    }
    return az;
}

double betaIncompleteWith(double a, double b, double x, int limit = iterationLimit) {
    real bt = 0;
    if (x != 0 && x != 1) {
        bt = std::exp(static_cast<real>(lnGamma(a + b)) - lnGamma(a) - lnGamma(b) +
                      a * std::log(static_cast<real>(x)) + b * std::log(1 - static_cast<real>(x)));
    }
    if (x < (a + 1) / (a + b + 2)) {
        return static_cast<double>(bt * static_cast<double>(betaFraction(a, b, x, limit)) / a);
    }
    return static_cast<double>(1 - bt * static_cast<double>(betaFraction(b, a, 1 - x, limit)) / b);
}

} // namespace

double lnGamma(double x) {
    static constexpr real coef[6] = {76.18009173L,  -86.50532033L,   24.01409822L,
                                     -1.231739516L, 0.120858003e-2L, -0.536382e-5L};
    real y = static_cast<real>(x) - 1;
    real tmp = y + 5.5L;
    tmp = (y + 0.5L) * std::log(tmp) - tmp;
    real ser = 1;
    for (real c : coef) {
        y += 1;
        ser += c / y;
    }
    return static_cast<double>(tmp + std::log(2.50662827465L * ser));
}

double gammaSeries(double a, double x) {
    const real g = lnGamma(a);
    if (x <= 0) {
        return 0;
    }
    real ap = a;
    real sum = 1 / static_cast<real>(a);
    real del = sum;
    for (int n = 1; n <= iterationLimit; ++n) {
        ap += 1;
        del = del * x / ap;
        sum += del;
        if (std::fabs(del) < std::fabs(sum) * tolerance) {
            break;
        }
    }
    return static_cast<double>(sum * std::exp(-x + a * std::log(static_cast<real>(x)) - g));
}

double gammaContinuedFraction(double a, double x) {
    const real g0 = lnGamma(a);
    real gold = 0;
    real a0 = 1;
    real a1 = x;
    real b0 = 0;
    real b1 = 1;
    real fac = 1;
    real g = 1;
    for (int n = 1; n <= iterationLimit; ++n) {
        const real an = n;
        const real ana = an - a;
        a0 = (a1 + a0 * ana) * fac;
        b0 = (b1 + b0 * ana) * fac;
        const real anf = an * fac;
        a1 = x * a0 + anf * a1;
        b1 = x * b0 + anf * b1;
        if (a1 != 0) {
            fac = 1 / a1;
            g = b1 * fac;
            if (std::fabs((g - gold) / g) < tolerance) {
                break;
            }
            gold = g;
        }
    }
    return static_cast<double>(std::exp(-x + a * std::log(static_cast<real>(x)) - g0) * g);
}

double gammaUpper(double a, double x) {
    if (x < a + 1) {
        return static_cast<double>(1 - static_cast<real>(gammaSeries(a, x)));
    }
    return gammaContinuedFraction(a, x);
}

double chiSquareUpper(int df, double x) {
    return gammaUpper(df / 2.0, x / 2.0);
}

double betaContinuedFraction(double a, double b, double x) {
    return static_cast<double>(betaFraction(a, b, x, iterationLimit));
}

double betaIncomplete(double a, double b, double x) {
    return betaIncompleteWith(a, b, x, iterationLimit);
}

double tTail(std::uint32_t df, double t) {
    const real d = df;
    const double x = static_cast<double>(d / (d + static_cast<real>(t) * t));
    const double a = d / 2;
    return betaIncompleteWith(a, 0.5, x);
}

std::optional<double> tCriticalSearch(std::uint32_t df, double alpha) {
    if (df == 0 || !(alpha > 0 && alpha <= 1)) {
        return std::nullopt;
    }
    // The step starts at 1 (10 for df 1 and 2) and never grows, so the upward phase climbs by
    // one step per evaluation: an alpha it cannot reach within the bound is refused at once.
    constexpr long maxEvaluations = 1'000'000;
    const double firstStep = df >= 3 ? 1 : 10;
    if (!(tTail(df, 1 + firstStep * maxEvaluations) < alpha)) {
        return std::nullopt;
    }
    double t = 1;
    double step = firstStep;
    bool up = true;
    for (long evaluation = 0; evaluation < maxEvaluations; ++evaluation) {
        t = t + step;
        if (t < 0) {
            // Only df 1 and 2 get here (steps of 5 jump from t = 6 to t = 1 and below zero):
            // the tail probability falls again on the negative side, so the search would
            // walk away for ever.
            return std::nullopt;
        }
        const double p = tTail(df, t);
        if (up) {
            if (!(p >= alpha)) {
                step = -0.5 * step;
                up = false;
            }
        } else if (p > alpha) {
            step = -0.5 * step;
            up = true;
        }
        if (std::fabs(static_cast<real>(p) - alpha) < static_cast<real>(alpha) / 10000) {
            return t;
        }
    }
    return std::nullopt;
}

bool tCriticalSearchEnds(std::uint32_t df, double alpha) {
    return tCriticalSearch(df, alpha).has_value();
}

double tCritical(std::uint32_t df, double alpha) {
    if (auto t = tCriticalSearch(df, alpha)) {
        return *t;
    }
    throw Failure::error("the critical value of Student's t cannot be found for df = " +
                         std::to_string(df) + " and alpha = " + formatGeneral(alpha, 15));
}

} // namespace kw
