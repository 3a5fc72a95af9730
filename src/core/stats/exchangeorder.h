#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace kw {

// The exchange sort (for i = 1..n-1, for j = i+1..n: exchange items i and j when item i is
// greater than item j) is not stable: the order it leaves among equal keys shows in the
// results. This computes that order without the quadratic work.
//
// For a key v, the final order of the items equal to v depends only on the items with keys
// <= v, in their original order: scanning them with a queue Q, an item equal to v is appended
// to Q, and an item smaller than v, when Q is not empty, moves Q's front item to its back.
// Q at the end is the order of the v-items. The smaller items between two v-items are counted
// in one pass with a Fenwick tree over the keys, and each key's queue is resolved offline with
// a Fenwick tree over its free slots: O(n log n) in all.
//
// `keyRank[i]` is item i's key as a rank in [0, keyCount): equal keys have equal ranks, and ranks
// are ordered as the keys. Returns order[newposition] = original index.
std::vector<std::uint32_t> exchangeOrder(const std::vector<std::uint32_t>& keyRank,
                                         std::uint32_t keyCount);

// The items by key, those of a key in their original order (a stable counting sort).
std::vector<std::uint32_t> stableKeyOrder(const std::vector<std::uint32_t>& keyRank,
                                          std::uint32_t keyCount);

// The same for n items compared by `less(i, j)` (a strict weak order on item indexes).
template <class Less> std::vector<std::uint32_t> exchangeSortOrder(std::size_t n, Less less) {
    std::vector<std::uint32_t> idx(n);
    std::iota(idx.begin(), idx.end(), 0u);
    std::stable_sort(idx.begin(), idx.end(), less);
    std::vector<std::uint32_t> keyRank(n);
    std::uint32_t rank = 0;
    for (std::size_t p = 0; p < n; ++p) {
        if (p > 0 && less(idx[p - 1], idx[p])) {
            ++rank;
        }
        keyRank[idx[p]] = rank;
    }
    return exchangeOrder(keyRank, n == 0 ? 0 : rank + 1);
}

} // namespace kw
