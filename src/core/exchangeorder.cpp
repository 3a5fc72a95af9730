#include "exchangeorder.h"

#include "fenwick.h"

namespace kw {

namespace {

// Places the run sorted[first..last) (one key, original order) in its exchange-sort order,
// given the tree of positions holding smaller keys.
void orderrun(std::vector<std::uint32_t>& sorted, std::size_t first, std::size_t last,
              const Fenwick& smaller, std::size_t n) {
    const std::size_t m = last - first;
    // The queue as a cyclic array: Q = A[f..] followed by A[..f). An append inserts at index f
    // and moves f past it; a rotation advances f. Record each insertion index.
    std::vector<std::uint32_t> insertat(m);
    std::size_t f = 0;
    std::uint32_t prev = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const std::uint32_t p = sorted[first + i];
        if (i > 0) {
            const auto r = static_cast<std::size_t>(smaller.range(prev + 1, p));
            f = (f + r) % i;
        }
        insertat[i] = static_cast<std::uint32_t>(f);
        ++f;
        prev = p;
    }
    f = (f + static_cast<std::size_t>(smaller.range(prev + 1, n))) % m;

    // Offline insertions: the last inserted item takes the (index+1)-th free slot, and so on.
    std::vector<std::uint32_t> a(m);
    Fenwick free = Fenwick::ones(m);
    for (std::size_t i = m; i-- > 0;) {
        const std::size_t slot = free.kth(static_cast<std::int32_t>(insertat[i]) + 1);
        a[slot] = sorted[first + i];
        free.add(slot, -1);
    }
    for (std::size_t j = 0; j < m; ++j) {
        sorted[first + j] = a[(f + j) % m];
    }
}

} // namespace

std::vector<std::uint32_t> exchangeorder(std::vector<std::uint32_t> sorted,
                                         const std::vector<bool>& newkey) {
    const std::size_t n = sorted.size();
    Fenwick smaller(n);
    std::size_t first = 0;
    while (first < n) {
        std::size_t last = first + 1;
        while (last < n && !newkey[last]) {
            ++last;
        }
        if (last - first > 1) {
            orderrun(sorted, first, last, smaller, n);
        }
        for (std::size_t p = first; p < last; ++p) {
            smaller.add(sorted[p], 1);
        }
        first = last;
    }
    return sorted;
}

} // namespace kw
