#include "core/stats/padjust.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>

// The arithmetic follows R's p.adjust operation for operation ((n * p) / i, not n * (p / i)),
// so that the adjusted values agree with R's to the last bit.

namespace kw {

namespace {

using Values = std::vector<double>;

// The positions of `p` in ascending order of their values.
std::vector<std::size_t> ascending(const Values& p) {
    std::vector<std::size_t> order(p.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
    return order;
}

// Step-down: the i-th smallest p (from 0) becomes factor(i, p) at least as large as the one
// before it, capped at 1.
template <class Factor> Values stepDown(const Values& p, Factor adjusted) {
    const std::vector<std::size_t> order = ascending(p);
    Values out(p.size());
    double running = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        running = std::max(running, adjusted(i, p[order[i]]));
        out[order[i]] = std::min(1.0, running);
    }
    return out;
}

// Step-up: from the largest p down, each at most as large as the one above it, capped at 1.
// adjusted(i, p) gets the 0-based rank i in ascending order.
template <class Factor> Values stepUp(const Values& p, Factor adjusted) {
    const std::vector<std::size_t> order = ascending(p);
    Values out(p.size());
    double running = std::numeric_limits<double>::infinity();
    for (std::size_t i = order.size(); i-- > 0;) {
        running = std::min(running, adjusted(i, p[order[i]]));
        out[order[i]] = std::min(1.0, running);
    }
    return out;
}

// 1 - (1 - p)^m without the cancellation that loses tiny p.
double sidak(double p, double m) {
    return -std::expm1(m * std::log1p(-p));
}

// Hommel's method on the ascending p-values s[0..n), n >= 3, is R's loop, in which (1-based)
//   pa_i = max(c, max over m = 2..n-1 of q_i(m)),  c = min_l (n s_l) / l,
//   q_i(m) = min(m s_min(i, n-m+1), f(m)),          f(m) = min_{j=2..m} (m s_{n-m+j}) / j,
// and the result is max(pa_i, s_i). The loop takes n^2 steps: fine for short families, hours
// for the half million pairs of a thousand groups. Long families get the same values in
// n log n steps, each value formed by the same operations as in the loop.
constexpr std::size_t hommelLoopUpTo = 2048;

Values hommelLoop(const Values& s, double c) {
    const std::size_t n = s.size();
    Values pa(n, c);
    Values q(n, c);
    for (std::size_t m = n - 1; m >= 2; --m) {
        const auto md = static_cast<double>(m);
        double q1 = std::numeric_limits<double>::infinity();
        for (std::size_t j = 2; j <= m; ++j) {
            q1 = std::min(q1, md * s[n - m + j - 1] / static_cast<double>(j));
        }
        for (std::size_t i = 0; i < n - m + 1; ++i) {
            q[i] = std::min(md * s[i], q1);
        }
        for (std::size_t i = n - m + 1; i < n; ++i) {
            q[i] = q[n - m];
        }
        for (std::size_t i = 0; i < n; ++i) {
            pa[i] = std::max(pa[i], q[i]);
        }
    }
    return pa;
}

// f(m) for m = 2..n-1. With r = n - m, f(m) is m times the least slope from (r, 0) to the
// points (l, s_l), l >= r + 2: a vertex of their lower convex hull, found by bisection (seen
// from a point left of the hull the slopes fall, then rise). The hull grows to the left as m
// grows. R takes the least of the rounded quotients, so points on the tangent (to rounding)
// are tried as well as the vertex and its neighbours.
Values hommelQuotients(const Values& s) {
    const std::size_t n = s.size();
    constexpr double nearlyEqual = 1e-13;
    auto y = [&](std::size_t l) { return s[l - 1]; };
    Values f(n, 0);
    std::vector<std::size_t> hull; // 1-based l, the leftmost last
    for (std::size_t m = 2; m <= n - 1; ++m) {
        const std::size_t add = n - m + 2;
        while (hull.size() >= 2) {
            // Keep a unless it lies clearly above the line from `add` to b: points on it stay.
            const std::size_t a = hull[hull.size() - 1];
            const std::size_t b = hull[hull.size() - 2];
            const double left = static_cast<double>(a - add) * (y(b) - y(add));
            const double right = (y(a) - y(add)) * static_cast<double>(b - add);
            if (left - right >= -nearlyEqual * std::max(std::fabs(left), std::fabs(right))) {
                break;
            }
            hull.pop_back();
        }
        hull.push_back(add);
        const std::size_t r = n - m;
        auto at = [&](std::size_t t) { return hull[hull.size() - 1 - t]; }; // t-th from the left
        // The slope from (r, 0) to at(t + 1) against that to at(t): -1 lower, 0 the same (to
        // rounding), 1 higher.
        auto compareNext = [&](std::size_t t) {
            const std::size_t u = at(t);
            const std::size_t v = at(t + 1);
            const double next = y(v) * static_cast<double>(u - r);
            const double here = y(u) * static_cast<double>(v - r);
            if (std::fabs(next - here) <= nearlyEqual * std::max(next, here)) {
                return 0;
            }
            return next < here ? -1 : 1;
        };
        std::size_t lo = 0;
        std::size_t hi = hull.size() - 1;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (compareNext(mid) >= 0) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        const auto md = static_cast<double>(m);
        auto quotient = [&](std::size_t t) {
            const std::size_t l = at(t);
            return md * y(l) / static_cast<double>(l - r);
        };
        double best = quotient(lo);
        if (lo > 0) {
            best = std::min(best, quotient(lo - 1));
        }
        for (std::size_t t = lo + 1; t < hull.size(); ++t) {
            best = std::min(best, quotient(t));
            if (compareNext(t - 1) != 0 || t - lo > 64) {
                break;
            }
        }
        f[m] = best;
    }
    return f;
}

Values hommelByQuotients(const Values& s, double c) {
    const std::size_t n = s.size();
    const Values f = hommelQuotients(s);
    // Positions i (0-based) past n - m take q_i(m) = h(m) = min(m s_{n-m}, f(m)) (0-based
    // s): the largest over m >= n - i + 1 is a maximum from the top.
    Values upper(n + 1, -std::numeric_limits<double>::infinity());
    for (std::size_t m = n - 1; m >= 2; --m) {
        upper[m] = std::max(upper[m + 1], std::min(static_cast<double>(m) * s[n - m], f[m]));
    }
    // Positions up to n - m take min(m s_i, f(m)), m = 2..n-i. Only the records of f (larger
    // than every f after them up to n - i) can give the largest; along them m s_i rises and f
    // falls, so the largest is where they cross. Going down from the last position lets the
    // records grow by one m at a time.
    Values pa(n, c);
    std::vector<std::size_t> records; // ascending m, descending f
    std::size_t last = 1;
    for (std::size_t i = n; i-- > 0;) {
        const std::size_t mMax = std::min(n - 1, n - i);
        while (last < mMax) {
            ++last;
            while (!records.empty() && f[records.back()] <= f[last]) {
                records.pop_back();
            }
            records.push_back(last);
        }
        double best = -std::numeric_limits<double>::infinity();
        if (!records.empty()) {
            // The first record whose m s_i reaches its f, and the one before it.
            std::size_t lo = 0;
            std::size_t hi = records.size();
            while (lo < hi) {
                const std::size_t mid = (lo + hi) / 2;
                const std::size_t m = records[mid];
                if (static_cast<double>(m) * s[i] >= f[m]) {
                    hi = mid;
                } else {
                    lo = mid + 1;
                }
            }
            for (std::size_t t = lo > 0 ? lo - 1 : 0; t <= std::min(lo, records.size() - 1); ++t) {
                const std::size_t m = records[t];
                best = std::max(best, std::min(static_cast<double>(m) * s[i], f[m]));
            }
        }
        const std::size_t from = std::max<std::size_t>(2, n - i + 1);
        if (from <= n - 1) {
            best = std::max(best, upper[from]);
        }
        pa[i] = std::max(pa[i], best);
    }
    return pa;
}

Values hommelSorted(const Values& s) {
    const std::size_t n = s.size();
    const auto nd = static_cast<double>(n);
    double c = std::numeric_limits<double>::infinity();
    for (std::size_t l = 1; l <= n; ++l) {
        c = std::min(c, nd * s[l - 1] / static_cast<double>(l));
    }
    Values pa = n <= hommelLoopUpTo ? hommelLoop(s, c) : hommelByQuotients(s, c);
    for (std::size_t i = 0; i < n; ++i) {
        pa[i] = std::max(pa[i], s[i]);
    }
    return pa;
}

Values adjustFamily(const Values& p, Adjustment adjustment) {
    const std::size_t n = p.size();
    const auto nd = static_cast<double>(n);
    if (n <= 1) {
        return p; // a family of one needs no adjustment
    }
    if (n == 2 && adjustment == Adjustment::hommel) {
        adjustment = Adjustment::hochberg; // the same for two, as R does it
    }
    Values out(n);
    switch (adjustment) {
    case Adjustment::none:
        return p;
    case Adjustment::bonferroni:
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = std::min(1.0, nd * p[i]);
        }
        return out;
    case Adjustment::sidak:
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = std::min(1.0, sidak(p[i], nd));
        }
        return out;
    case Adjustment::holm:
        return stepDown(p, [&](std::size_t i, double x) { return (nd - double(i)) * x; });
    case Adjustment::holmSidak:
        return stepDown(p, [&](std::size_t i, double x) { return sidak(x, nd - double(i)); });
    case Adjustment::hochberg:
        return stepUp(p, [&](std::size_t i, double x) { return (nd - double(i)) * x; });
    case Adjustment::benjaminiHochberg:
        return stepUp(p, [&](std::size_t i, double x) { return nd / double(i + 1) * x; });
    case Adjustment::benjaminiYekutieli: {
        // R sums 1/1 + 1/2 + ... + 1/n in long double.
        long double sum = 0;
        for (std::size_t i = 1; i <= n; ++i) {
            sum += 1.0 / static_cast<double>(i);
        }
        const auto q = static_cast<double>(sum);
        return stepUp(p, [&](std::size_t i, double x) { return q * nd / double(i + 1) * x; });
    }
    case Adjustment::hommel: {
        const std::vector<std::size_t> order = ascending(p);
        Values sorted(n);
        for (std::size_t i = 0; i < n; ++i) {
            sorted[i] = p[order[i]];
        }
        const Values adjusted = hommelSorted(sorted);
        for (std::size_t i = 0; i < n; ++i) {
            out[order[i]] = adjusted[i];
        }
        return out;
    }
    }
    return p;
}

struct Named {
    Adjustment adjustment;
    const char* name;
};

constexpr Named names[] = {
    {Adjustment::none, "none"},
    {Adjustment::bonferroni, "bonferroni"},
    {Adjustment::sidak, "sidak"},
    {Adjustment::holm, "holm"},
    {Adjustment::holmSidak, "holm-sidak"},
    {Adjustment::hochberg, "hochberg"},
    {Adjustment::hommel, "hommel"},
    {Adjustment::benjaminiHochberg, "bh"},
    {Adjustment::benjaminiYekutieli, "by"},
};

bool sameCaseless(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char ch) {
                   return ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
               };
               return lower(x) == lower(y);
           });
}

} // namespace

std::vector<double> adjustPValues(const std::vector<double>& p, Adjustment adjustment) {
    // As in R, p-values that are not numbers stay so and do not count in the family.
    std::vector<double> family;
    family.reserve(p.size());
    for (const double x : p) {
        if (!std::isnan(x)) {
            family.push_back(x);
        }
    }
    if (family.size() == p.size()) {
        return adjustFamily(p, adjustment);
    }
    const Values adjusted = adjustFamily(family, adjustment);
    Values out(p);
    std::size_t next = 0;
    for (double& x : out) {
        if (!std::isnan(x)) {
            x = adjusted[next++];
        }
    }
    return out;
}

const char* adjustmentName(Adjustment adjustment) {
    for (const Named& n : names) {
        if (n.adjustment == adjustment) {
            return n.name;
        }
    }
    return "none";
}

std::optional<Adjustment> adjustmentNamed(std::string_view name) {
    for (const Named& n : names) {
        if (sameCaseless(name, n.name)) {
            return n.adjustment;
        }
    }
    return std::nullopt;
}

} // namespace kw
