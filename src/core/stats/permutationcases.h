#pragma once

#include "core/stats/rankprofile.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

// What the exact and the Monte Carlo p of H share: the cases as the permutation distribution
// sees them, and the order of arrangements by their statistic.
namespace kw::permutation {

__extension__ using U128 = unsigned __int128;
__extension__ using I128 = __int128;

// The cases as the permutation distribution sees them: the sizes of the groups that hold
// cases, the doubled midrank of each distinct value and how many cases hold it, and the
// observed sums of doubled midranks by group. Doubled midranks are whole numbers, so that
// every sum below is exact.
struct Cases {
    std::vector<std::uint64_t> sizes;
    std::vector<std::uint64_t> observed; // per group
    std::vector<std::uint64_t> twice;    // per value, ascending
    std::vector<std::uint64_t> tied;     // per value
    std::uint64_t n = 0;
    std::uint64_t total = 0; // the sum of all doubled midranks, N (N + 1)
};

Cases casesOf(const RankProfile& profile);

// Orders arrangements of the cases by their statistic. With the group sizes and the midranks
// fixed, H grows with the sum over groups of S_g^2 / n_g (S_g the group's sum of doubled
// midranks), in whole numbers with the sum of S_g^2 (L / n_g), L the least common multiple of
// the sizes. Where that fits in 127 bits it is compared exactly, so that an arrangement whose
// statistic equals the observed one counts as at least as large. Otherwise (many cases in
// groups of sizes with a large common multiple) the centred form, the sum of
// (N S_g - n_g T)^2 / n_g with T the sum of all doubled midranks, is compared in long double
// with a relative margin of 1e-12 that absorbs its rounding (64-bit mantissas: errors near
// 1e-18), so that equal statistics still count as at least as large.
class StatisticOrder {
public:
    StatisticOrder(const std::vector<std::uint64_t>& sizes, std::uint64_t n, std::uint64_t total,
                   const std::uint64_t* observed)
        : sizes_(sizes), n_(n), total_(total) {
        U128 multiple = 1;
        bool fits = true;
        for (const std::uint64_t size : sizes) {
            multiple = multiple / std::gcd(static_cast<std::uint64_t>(multiple), size) * size;
            if (multiple >> 63) {
                fits = false;
                break;
            }
        }
        if (fits) {
            std::uint64_t largest = 0;
            for (const std::uint64_t size : sizes) {
                weights_.push_back(static_cast<std::uint64_t>(multiple) / size);
                largest = std::max(largest, weights_.back());
            }
            const long double bound =
                static_cast<long double>(largest) * total * static_cast<long double>(total);
            fits = bound < 0x1p126L;
        }
        exact_ = fits;
        if (exact_) {
            observedExact_ = exactValue(observed);
        } else {
            observedCentred_ = centredValue(observed);
            threshold_ = observedCentred_ * (1 - 1e-12L);
        }
    }

    // Whether the arrangement with these sums (of every group) has a statistic at least as
    // large as the observed one.
    bool atLeast(const std::uint64_t* sums) const {
        return exact_ ? exactValue(sums) >= observedExact_ : centredValue(sums) >= threshold_;
    }

private:
    U128 exactValue(const std::uint64_t* sums) const {
        U128 value = 0;
        for (std::size_t g = 0; g < weights_.size(); ++g) {
            value += U128(sums[g]) * sums[g] * weights_[g];
        }
        return value;
    }
    long double centredValue(const std::uint64_t* sums) const {
        long double value = 0;
        for (std::size_t g = 0; g < sizes_.size(); ++g) {
            const I128 centred = I128(n_) * sums[g] - I128(sizes_[g]) * total_;
            const auto c = static_cast<long double>(centred);
            value += c * c / static_cast<long double>(sizes_[g]);
        }
        return value;
    }

    std::vector<std::uint64_t> sizes_;
    std::uint64_t n_;
    std::uint64_t total_;
    bool exact_ = true;
    std::vector<std::uint64_t> weights_;
    U128 observedExact_ = 0;
    long double observedCentred_ = 0;
    long double threshold_ = 0;
};

} // namespace kw::permutation
