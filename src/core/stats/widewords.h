#pragma once

#include "core/stats/permutationcases.h"

#include <cstdint>
#include <vector>

// Whole numbers of many 64-bit words (least significant first): the exact counts of
// arrangements, which outgrow 64 and 128 bits.
namespace kw::permutation {

using Words = std::vector<std::uint64_t>;

inline void addWords(std::uint64_t* to, const std::uint64_t* from, std::size_t words) {
    std::uint64_t carry = 0;
    for (std::size_t w = 0; w < words; ++w) {
        const U128 sum = U128(to[w]) + from[w] + carry;
        to[w] = static_cast<std::uint64_t>(sum);
        carry = static_cast<std::uint64_t>(sum >> 64);
    }
}

// -1, 0 or 1 as a is below, equal to or above b (of as many words).
int compareWords(const Words& a, const Words& b);

// The double nearest to num / den (num <= den, den > 0; both with the same number of words,
// the top one zero), ties to even.
double nearestQuotient(Words num, const Words& den);

} // namespace kw::permutation
