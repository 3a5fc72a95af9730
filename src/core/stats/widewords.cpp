#include "core/stats/widewords.h"

#include <algorithm>
#include <cmath>

namespace kw::permutation {

int compareWords(const Words& a, const Words& b) {
    for (std::size_t w = a.size(); w-- > 0;) {
        if (a[w] != b[w]) {
            return a[w] < b[w] ? -1 : 1;
        }
    }
    return 0;
}

// Long division one bit at a time.
double nearestQuotient(Words num, const Words& den) {
    const bool zero = std::all_of(num.begin(), num.end(), [](std::uint64_t w) { return w == 0; });
    if (zero) {
        return 0;
    }
    if (compareWords(num, den) == 0) {
        return 1;
    }
    std::uint64_t mantissa = 0; // 53 bits and a rounding bit
    int bits = 0;
    int exponent = 0; // the weight of the last bit taken: 2^exponent
    while (bits < 54) {
        for (std::size_t w = num.size(); w-- > 0;) {
            num[w] = (num[w] << 1) | (w > 0 ? num[w - 1] >> 63 : 0);
        }
        --exponent;
        const bool bit = compareWords(num, den) >= 0;
        if (bit) {
            std::uint64_t borrow = 0;
            for (std::size_t w = 0; w < num.size(); ++w) {
                const std::uint64_t d = den[w] + borrow;
                const bool under = d < borrow || num[w] < d;
                num[w] -= d;
                borrow = under ? 1 : 0;
            }
        }
        if (bits > 0 || bit) {
            mantissa = (mantissa << 1) | (bit ? 1 : 0);
            ++bits;
        }
    }
    const bool sticky = std::any_of(num.begin(), num.end(), [](std::uint64_t w) { return w != 0; });
    const bool half = (mantissa & 1) != 0;
    mantissa >>= 1;
    if (half && (sticky || (mantissa & 1) != 0)) {
        ++mantissa;
    }
    return std::ldexp(static_cast<double>(mantissa), exponent + 1);
}

} // namespace kw::permutation
