#include "core/stats/hypergeometric.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kw {

namespace {

// The natural logarithm of n!: a table for small n, Stirling's series beyond (its first omitted
// term is below 1e-23 there).
double logFactorial(std::uint64_t n) {
    constexpr std::uint64_t tabled = 2048;
    static const std::vector<double> table = [] {
        std::vector<double> t(tabled);
        for (std::uint64_t j = 0; j < tabled; ++j) {
            t[j] = std::lgamma(static_cast<double>(j) + 1);
        }
        return t;
    }();
    if (n < tabled) {
        return table[n];
    }
    const double x = static_cast<double>(n) + 1;
    const double inverse = 1 / x;
    const double square = inverse * inverse;
    return (x - 0.5) * std::log(x) - x + 0.91893853320467274178 +
           inverse * (1.0 / 12 - square * (1.0 / 360 - square / 1260));
}

} // namespace

std::uint64_t hypergeometric(RandomStream& random, std::uint64_t total, std::uint64_t special,
                             std::uint64_t sample) {
    if (sample == 0 || special == 0) {
        return 0;
    }
    if (special == total) {
        return sample;
    }
    if (sample == total) {
        return special;
    }
    // Draw the smaller of the sample and the rest, count the rarer kind.
    const std::uint64_t other = total - special;
    const bool restDrawn = sample > total - sample;
    const std::uint64_t m = restDrawn ? total - sample : sample;
    const bool otherCounted = special > other;
    const std::uint64_t rare = otherCounted ? other : special;
    std::uint64_t x = 0;
    if (m <= 16) {
        for (std::uint64_t j = 0; j < m; ++j) {
            if (random.below(total - j) < rare - x) {
                ++x;
            }
        }
    } else {
        constexpr double d1 = 1.7155277699214135; // 2 sqrt(2 / e)
        constexpr double d2 = 0.8989161620588988; // 3 - 2 sqrt(3 / e)
        const auto t = static_cast<double>(total);
        const auto md = static_cast<double>(m);
        const double share = static_cast<double>(rare) / t;
        const double mean = md * share + 0.5;
        const double spread = std::sqrt((t - md) * md * share * (1 - share) / (t - 1) + 0.5);
        const double scale = d1 * spread + d2;
        const auto mode = static_cast<std::uint64_t>(
            std::floor((md + 1) * (static_cast<double>(rare) + 1) / (t + 2)));
        const std::uint64_t common = total - rare;
        const double top = logFactorial(mode) + logFactorial(rare - mode) + logFactorial(m - mode) +
                           logFactorial(common - m + mode);
        const double bound =
            std::min(static_cast<double>(std::min(m, rare)) + 1, std::floor(mean + 16 * spread));
        while (true) {
            const double u = random.uniform();
            const double v = random.uniform();
            if (u == 0) {
                continue;
            }
            const double w = mean + scale * (v - 0.5) / u;
            if (w < 0 || w >= bound) {
                continue;
            }
            const auto z = static_cast<std::uint64_t>(w);
            const double log = top - (logFactorial(z) + logFactorial(rare - z) +
                                      logFactorial(m - z) + logFactorial(common - m + z));
            if (u * (4 - u) - 3 <= log) {
                x = z;
                break;
            }
            if (u * (u - log) >= 1) {
                continue;
            }
            if (2 * std::log(u) <= log) {
                x = z;
                break;
            }
        }
    }
    if (otherCounted) {
        x = m - x;
    }
    if (restDrawn) {
        x = special - x;
    }
    return x;
}

} // namespace kw
