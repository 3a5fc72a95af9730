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
// Q at the end is the order of the v-items. Counting the smaller items between two v-items
// with a Fenwick tree and resolving the queue's insertions offline makes it O(n log n).
//
// `sorted` lists the item indexes in ascending key order, equal keys in original order (the
// result of a stable sort); `newkey[p]` is true where sorted[p] has a greater key than
// sorted[p-1] (newkey[0] is ignored). Returns order[newposition] = original index.
std::vector<std::uint32_t> exchangeorder(std::vector<std::uint32_t> sorted,
                                         const std::vector<bool>& newkey);

// The same for n items compared by `less(i, j)` (a strict weak order on item indexes).
template <class Less> std::vector<std::uint32_t> exchangesortorder(std::size_t n, Less less) {
    std::vector<std::uint32_t> idx(n);
    std::iota(idx.begin(), idx.end(), 0u);
    std::stable_sort(idx.begin(), idx.end(), less);
    std::vector<bool> newkey(n, false);
    for (std::size_t p = 1; p < n; ++p) {
        newkey[p] = less(idx[p - 1], idx[p]);
    }
    return exchangeorder(std::move(idx), newkey);
}

} // namespace kw
