#pragma once

#include "core/base/parallel.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
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

namespace radix {

// The bits set in any key of the n items, and those set in all of them.
struct KeyBits {
    std::uint64_t any = 0;
    std::uint64_t all = ~std::uint64_t{0};
    std::uint64_t differing() const { return any ^ all; }
    void add(const KeyBits& other) {
        any |= other.any;
        all &= other.all;
    }
};

template <class T, class Key> KeyBits keyBits(const T* items, std::size_t n, Key key) {
    KeyBits bits;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t k = key(items[i]);
        bits.any |= k;
        bits.all &= k;
    }
    return bits;
}

// Moves each item straight into the next free place of its bucket (an American flag pass),
// given where each bucket starts (buckets + 1 entries).
template <class T, class Digit>
void spread(T* items, const std::vector<std::size_t>& start, Digit digit) {
    const std::size_t buckets = start.size() - 1;
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (std::size_t b = 0; b < buckets; ++b) {
        while (next[b] < start[b + 1]) {
            T item = items[next[b]];
            std::size_t d = digit(item);
            while (d != b) {
                std::swap(item, items[next[d]++]);
                d = digit(item);
            }
            items[next[b]++] = item;
        }
    }
}

// Sorts one bucket on one thread: large ones are spread again by their next differing bits,
// until the pieces are small enough for a comparison sort in the first-level cache.
template <class T, class Key, class Less>
void sortBucket(T* items, std::size_t n, Key key, Less less) {
    if (n <= 32) {
        std::sort(items, items + n, less);
        return;
    }
    const std::uint64_t differ = keyBits(items, n, key).differing();
    if (differ == 0) {
        std::sort(items, items + n, less); // one key: the order is the tie-break's alone
        return;
    }
    const int high = 63 - __builtin_clzll(differ);
    const int low = __builtin_ctzll(differ);
    // A few items a bucket at the end; on large pieces 8 bits, whose 256 places of writing
    // stay in the first-level cache.
    const int wanted = n > (1u << 16) ? 8 : std::clamp(63 - __builtin_clzll(n / 4), 4, 11);
    const int bits = std::min(wanted, high - low + 1);
    const int shift = high + 1 - bits;
    const std::size_t buckets = std::size_t{1} << bits;
    auto digit = [&](const T& item) { return (key(item) >> shift) & (buckets - 1); };
    std::vector<std::size_t> start(buckets + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        ++start[digit(items[i]) + 1];
    }
    for (std::size_t b = 0; b < buckets; ++b) {
        start[b + 1] += start[b];
    }
    spread(items, start, digit);
    for (std::size_t b = 0; b < buckets; ++b) {
        sortBucket(items + start[b], start[b + 1] - start[b], key, less);
    }
}

} // namespace radix

// Sorts the n items at `items` in place by `less`, which must order as key(item) does (an
// unsigned 64-bit number) and may break ties of the key further. The items are first spread
// into buckets by the highest bits in which their keys differ (in place, as an American flag
// sort does), then each bucket, in the cache, is spread again by its own next differing bits
// until the pieces are small, and those are sorted by `less`, the buckets shared out among
// the workers. No memory is needed besides.
template <class T, class Key, class Less>
void radixSort(T* items, std::size_t n, Key key, Less less) {
    if (n < (1u << 12)) {
        std::sort(items, items + n, less);
        return;
    }
    // The bits in which some keys differ.
    const unsigned parts = n < (1u << 16) ? 1 : workers();
    std::vector<radix::KeyBits> partBits(parts);
    parallelSlices(n, [&](unsigned part, std::size_t from, std::size_t to) {
        partBits[part] = radix::keyBits(items + from, to - from, key);
    });
    radix::KeyBits keys;
    for (const radix::KeyBits& b : partBits) {
        keys.add(b);
    }
    const std::uint64_t differ = keys.differing();
    if (differ == 0) {
        std::sort(items, items + n, less); // one key: the order is the tie-break's alone
        return;
    }
    // About 256 items a bucket, at most 2^16 buckets, never more bits than differ.
    const int high = 63 - __builtin_clzll(differ);
    const int low = __builtin_ctzll(differ);
    const int wanted = std::clamp(63 - __builtin_clzll(n / 256 + 1), 8, 16);
    const int bits = std::min(wanted, high - low + 1);
    const int shift = high + 1 - bits;
    const std::size_t buckets = std::size_t{1} << bits;
    auto digit = [&](const T& item) { return (key(item) >> shift) & (buckets - 1); };

    std::vector<std::vector<std::size_t>> counts(parts, std::vector<std::size_t>(buckets, 0));
    parallelSlices(n, [&](unsigned part, std::size_t from, std::size_t to) {
        std::vector<std::size_t>& count = counts[part];
        for (std::size_t i = from; i < to; ++i) {
            ++count[digit(items[i])];
        }
    });
    std::vector<std::size_t> start(buckets + 1, 0);
    for (std::size_t b = 0; b < buckets; ++b) {
        std::size_t c = 0;
        for (unsigned p = 0; p < parts; ++p) {
            c += counts[p][b];
        }
        start[b + 1] = start[b] + c;
    }
    radix::spread(items, start, digit);
    // The workers take the buckets largest first, each the next one left: a few large
    // buckets (values spread over many powers of two) are then shared out evenly too.
    std::vector<std::uint32_t> bySize;
    for (std::size_t b = 0; b < buckets; ++b) {
        if (start[b + 1] - start[b] > 1) {
            bySize.push_back(static_cast<std::uint32_t>(b));
        }
    }
    std::sort(bySize.begin(), bySize.end(), [&](std::uint32_t x, std::uint32_t y) {
        return start[x + 1] - start[x] > start[y + 1] - start[y];
    });
    std::atomic<std::size_t> taken = 0;
    auto sortBuckets = [&] {
        for (std::size_t i = taken++; i < bySize.size(); i = taken++) {
            const std::size_t b = bySize[i];
            radix::sortBucket(items + start[b], start[b + 1] - start[b], key, less);
        }
    };
    std::vector<std::thread> others;
    for (unsigned t = 1; t < parts; ++t) {
        others.emplace_back(sortBuckets);
    }
    sortBuckets();
    for (std::thread& t : others) {
        t.join();
    }
}

} // namespace kw
