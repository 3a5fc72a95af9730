#include "core/stats/exchangeorder.h"

#include "core/base/parallel.h"
#include "core/stats/fenwick.h"
#include "core/stats/freeslots.h"

namespace kw {

namespace {

// Places the items of one key, given in original order, in their exchange-sort order.
// rotations[i] (i >= 1) is the number of smaller items between item i-1 and item i; trailing
// the number after the last.
void orderRun(std::uint32_t* items, std::size_t m, const std::uint32_t* rotations,
              std::size_t trailing, std::vector<std::uint32_t>& scratch) {
    // Running the queue itself costs a step per item and per effective rotation; resolving
    // the insertions offline costs about log m per item. Take the cheaper.
    std::size_t steps = m + trailing % m;
    for (std::size_t i = 1; i < m; ++i) {
        steps += rotations[i] < i ? rotations[i] : rotations[i] % i;
    }
    std::size_t logm = 1;
    while ((std::size_t{1} << logm) < m) {
        ++logm;
    }
    scratch.resize(m);
    if (steps <= 4 * m * logm) {
        // The queue in a ring buffer that has room for all the items: Q runs from head to
        // just before tail.
        std::size_t head = 0;
        std::size_t tail = 0;
        std::size_t size = 0;
        auto rotate = [&](std::size_t r) {
            for (std::size_t q = r % size; q > 0; --q) {
                scratch[tail] = scratch[head];
                tail = tail + 1 == m ? 0 : tail + 1;
                head = head + 1 == m ? 0 : head + 1;
            }
        };
        for (std::size_t i = 0; i < m; ++i) {
            if (i > 0) {
                rotate(rotations[i]);
            }
            scratch[tail] = items[i];
            tail = tail + 1 == m ? 0 : tail + 1;
            ++size;
        }
        rotate(trailing);
        for (std::size_t j = 0; j < m; ++j) {
            items[j] = scratch[head];
            head = head + 1 == m ? 0 : head + 1;
        }
        return;
    }

    // The queue as a cyclic array: Q = A[f..] followed by A[..f). An append inserts at index f
    // and moves f past it; a rotation advances f. Record each insertion index, then resolve
    // the insertions offline: the last inserted item takes the (index+1)-th free slot, and
    // so on.
    std::vector<std::uint32_t> insertAt(m);
    std::size_t f = 0;
    for (std::size_t i = 0; i < m; ++i) {
        if (i > 0) {
            std::size_t r = rotations[i];
            r = r < i ? r : r % i;
            f = f >= i ? f - i : f; // f is at most i after the last insertion
            f += r;
            f = f >= i ? f - i : f;
        }
        insertAt[i] = static_cast<std::uint32_t>(f);
        ++f;
    }
    f = (f + trailing) % m;
    if (m <= 512) {
        // A tree over every slot: no bitmap needed.
        Fenwick free = Fenwick::ones(m);
        for (std::size_t i = m; i-- > 0;) {
            scratch[free.takeKth(static_cast<std::int32_t>(insertAt[i]) + 1)] = items[i];
        }
    } else {
        FreeSlots free(m);
        for (std::size_t i = m; i-- > 0;) {
            scratch[free.take(static_cast<std::int32_t>(insertAt[i]) + 1)] = items[i];
        }
    }
    std::copy(scratch.begin() + std::ptrdiff_t(f), scratch.begin() + std::ptrdiff_t(m), items);
    std::copy(scratch.begin(), scratch.begin() + std::ptrdiff_t(f), items + (m - f));
}

// Where each key's items begin in key order, and past the last key, the item count.
std::vector<std::uint32_t> keyStarts(const std::vector<std::uint32_t>& keyRank,
                                     std::uint32_t keyCount) {
    std::vector<std::uint32_t> start(std::size_t(keyCount) + 1, 0);
    for (std::uint32_t r : keyRank) {
        ++start[r + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    return start;
}

// The stable counting sort by key, from where each key's items begin.
std::vector<std::uint32_t> orderFromStarts(const std::vector<std::uint32_t>& keyRank,
                                           std::vector<std::uint32_t> next) {
    std::vector<std::uint32_t> sorted(keyRank.size());
    for (std::size_t i = 0; i < keyRank.size(); ++i) {
        sorted[next[keyRank[i]]++] = static_cast<std::uint32_t>(i);
    }
    return sorted;
}

} // namespace

std::vector<std::uint32_t> stableKeyOrder(const std::vector<std::uint32_t>& keyRank,
                                          std::uint32_t keyCount) {
    return orderFromStarts(keyRank, keyStarts(keyRank, keyCount));
}

std::vector<std::uint32_t> exchangeOrder(const std::vector<std::uint32_t>& keyRank,
                                         std::uint32_t keyCount) {
    const std::size_t n = keyRank.size();
    const std::vector<std::uint32_t> start = keyStarts(keyRank, keyCount);
    bool ties = false;
    for (std::uint32_t r = 0; r < keyCount && !ties; ++r) {
        ties = start[r + 1] - start[r] > 1;
    }
    if (!ties) {
        return orderFromStarts(keyRank, start);
    }
    // A stable counting sort by key and, for each item in that order, the smaller items met
    // since the previous item of its key. The items with smaller keys number start[r] in all,
    // which gives the count after a key's last item.
    std::vector<std::uint32_t> sorted(n);
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    std::vector<std::uint32_t> rotations(n);
    std::vector<std::uint32_t> lastSeen(keyCount, 0);
    {
        Fenwick seen(keyCount);
        // With many keys the places written lie too far apart for the cache to hold them.
        const bool far = keyCount > 4096;
        for (std::size_t i = 0; i < n; ++i) {
            if (far && i + 16 < n) {
                const std::uint32_t ahead = next[keyRank[i + 16]];
                __builtin_prefetch(sorted.data() + ahead, 1);
                __builtin_prefetch(rotations.data() + ahead, 1);
            }
            const std::uint32_t r = keyRank[i];
            const std::uint32_t at = next[r]++;
            sorted[at] = static_cast<std::uint32_t>(i);
            const auto smaller = static_cast<std::uint32_t>(seen.prefix(r));
            rotations[at] = smaller - lastSeen[r];
            lastSeen[r] = smaller;
            seen.add(r, 1);
        }
    }

    // Keys are independent now: share them out among the workers by their items.
    parallelSlices(n, [&](unsigned, std::size_t from, std::size_t to) {
        std::vector<std::uint32_t> scratch;
        const auto firstKey = static_cast<std::uint32_t>(
            std::upper_bound(start.begin(), start.end(), from) - start.begin() - 1);
        for (std::uint32_t r = firstKey; r < keyCount && start[r] < to; ++r) {
            if (start[r] < from) {
                continue; // begun by the slice before
            }
            const std::size_t m = start[r + 1] - start[r];
            if (m < 2) {
                continue;
            }
            orderRun(sorted.data() + start[r], m, rotations.data() + start[r],
                     start[r] - lastSeen[r], scratch);
        }
    });
    return sorted;
}

} // namespace kw
