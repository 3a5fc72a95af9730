#include "stattool.h"

#include "failure.h"
#include "numbers.h"

#include <cmath>
#include <optional>

namespace kw {

namespace {

using real = long double;

constexpr int iterationlimit = 1000;
constexpr real tolerance = 3e-7L;

real betacf(real a, real b, real x, int limit) {
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

double betaincwith(double a, double b, double x, int limit = iterationlimit) {
    real bt = 0;
    if (x != 0 && x != 1) {
        bt = std::exp(static_cast<real>(lngamma(a + b)) - lngamma(a) - lngamma(b) +
                      a * std::log(static_cast<real>(x)) + b * std::log(1 - static_cast<real>(x)));
    }
    if (x < (a + 1) / (a + b + 2)) {
        return static_cast<double>(bt * static_cast<double>(betacf(a, b, x, limit)) / a);
    }
    return static_cast<double>(1 - bt * static_cast<double>(betacf(b, a, 1 - x, limit)) / b);
}

} // namespace

double lngamma(double x) {
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

double gammaseries(double a, double x) {
    const real g = lngamma(a);
    if (x <= 0) {
        return 0;
    }
    real ap = a;
    real sum = 1 / static_cast<real>(a);
    real del = sum;
    for (int n = 1; n <= iterationlimit; ++n) {
        ap += 1;
        del = del * x / ap;
        sum += del;
        if (std::fabs(del) < std::fabs(sum) * tolerance) {
            break;
        }
    }
    return static_cast<double>(sum * std::exp(-x + a * std::log(static_cast<real>(x)) - g));
}

double gammacontfrac(double a, double x) {
    const real g0 = lngamma(a);
    real gold = 0;
    real a0 = 1;
    real a1 = x;
    real b0 = 0;
    real b1 = 1;
    real fac = 1;
    real g = 1;
    for (int n = 1; n <= iterationlimit; ++n) {
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

double gammaupper(double a, double x) {
    if (x < a + 1) {
        return static_cast<double>(1 - static_cast<real>(gammaseries(a, x)));
    }
    return gammacontfrac(a, x);
}

double chiupper(int df, double x) {
    return gammaupper(df / 2.0, x / 2.0);
}

double betacontfrac(double a, double b, double x) {
    return static_cast<double>(betacf(a, b, x, iterationlimit));
}

double betainc(double a, double b, double x) {
    return betaincwith(a, b, x, iterationlimit);
}

double ttail(std::uint32_t df, double t) {
    const real d = df;
    const double x = static_cast<double>(d / (d + static_cast<real>(t) * t));
    const double a = d / 2;
    return betaincwith(a, 0.5, x);
}

std::optional<double> tcriticalsearch(std::uint32_t df, double alpha) {
    if (df == 0 || !(alpha > 0 && alpha <= 1)) {
        return std::nullopt;
    }
    // The step starts at 1 (10 for df 1 and 2) and never grows, so the upward phase climbs by
    // one step per evaluation: an alpha it cannot reach within the bound is refused at once.
    constexpr long maxevaluations = 1'000'000;
    const double firststep = df >= 3 ? 1 : 10;
    if (!(ttail(df, 1 + firststep * maxevaluations) < alpha)) {
        return std::nullopt;
    }
    double t = 1;
    double step = firststep;
    bool up = true;
    for (long evaluation = 0; evaluation < maxevaluations; ++evaluation) {
        t = t + step;
        if (t < 0) {
            // Only df 1 and 2 get here (steps of 5 jump from t = 6 to t = 1 and below zero):
            // the tail probability falls again on the negative side, so the search would
            // walk away for ever.
            return std::nullopt;
        }
        const double p = ttail(df, t);
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

bool tcriticalsearchends(std::uint32_t df, double alpha) {
    return tcriticalsearch(df, alpha).has_value();
}

double tcritical(std::uint32_t df, double alpha) {
    if (auto t = tcriticalsearch(df, alpha)) {
        return *t;
    }
    throw Failure::error("the critical value of Student's t cannot be found for df = " +
                         std::to_string(df) + " and alpha = " + formatgeneral(alpha, 15));
}

} // namespace kw
