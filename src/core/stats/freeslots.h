#pragma once

#include "core/stats/fenwick.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace kw {

// Slots 0..m-1, all free at first, from which the k-th free slot is taken: a bitmap in blocks
// of 512 slots with a Fenwick tree over the blocks' free counts. The tree stays small enough
// for the cache where a tree over every slot would not.
class FreeSlots {
public:
    explicit FreeSlots(std::size_t m) : words_((m + 63) / 64, ~std::uint64_t{0}), blocks_(0) {
        if (m % 64 != 0) {
            words_.back() = (std::uint64_t{1} << (m % 64)) - 1;
        }
        const std::size_t blockCount = (words_.size() + wordsPerBlock - 1) / wordsPerBlock;
        blocks_ = Fenwick(blockCount);
        for (std::size_t b = 0; b < blockCount; ++b) {
            int free = 0;
            for (std::size_t w = b * wordsPerBlock;
                 w < std::min(words_.size(), (b + 1) * wordsPerBlock); ++w) {
                free += bitsSet(words_[w]);
            }
            blocks_.add(b, free);
        }
    }

    // Takes the k-th free slot (k >= 1) and returns it.
    std::size_t take(std::int32_t k) {
        const std::size_t b = blocks_.takeKth(k, &k);
        std::size_t w = b * wordsPerBlock;
        for (;; ++w) {
            const int free = bitsSet(words_[w]);
            if (k <= free) {
                break;
            }
            k -= free;
        }
        const int bit = selectBit(words_[w], k);
        words_[w] &= ~(std::uint64_t{1} << bit);
        return w * 64 + static_cast<std::size_t>(bit);
    }

    // The set bits of w. The baseline x86-64 has no instruction for it, and the compiler's
    // stand-in is a call into its support library.
    static int bitsSet(std::uint64_t w) {
        w -= (w >> 1) & 0x5555555555555555u;
        w = (w & 0x3333333333333333u) + ((w >> 2) & 0x3333333333333333u);
        w = (w + (w >> 4)) & 0x0f0f0f0f0f0f0f0fu;
        return static_cast<int>((w * 0x0101010101010101u) >> 56);
    }

    // The k-th lowest set bit of w (1 <= k <= its set bits): halves, quarters and eighths are
    // skipped by their counts, then the bits below it are dropped.
    static int selectBit(std::uint64_t w, int k) {
        int base = 0;
        for (int half = 32; half >= 8; half /= 2) {
            const int low = bitsSet(w & ((std::uint64_t{1} << half) - 1));
            const bool above = k > low;
            k -= above ? low : 0;
            w >>= above ? half : 0;
            base += above ? half : 0;
        }
        for (; k > 1; --k) {
            w &= w - 1;
        }
        return base + std::countr_zero(w);
    }

private:
    static constexpr std::size_t wordsPerBlock = 8;
    std::vector<std::uint64_t> words_;
    Fenwick blocks_;
};

} // namespace kw
