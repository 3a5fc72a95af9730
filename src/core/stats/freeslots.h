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
                free += std::popcount(words_[w]);
            }
            blocks_.add(b, free);
        }
    }

    // Takes the k-th free slot (k >= 1) and returns it.
    std::size_t take(std::int32_t k) {
        const std::size_t b = blocks_.kth(k);
        k -= blocks_.prefix(b);
        std::size_t w = b * wordsPerBlock;
        for (;; ++w) {
            const int free = std::popcount(words_[w]);
            if (k <= free) {
                break;
            }
            k -= free;
        }
        std::uint64_t word = words_[w];
        for (int i = 1; i < k; ++i) {
            word &= word - 1; // drop the lowest free slot
        }
        const int bit = std::countr_zero(word);
        words_[w] &= ~(std::uint64_t{1} << bit);
        blocks_.add(b, -1);
        return w * 64 + static_cast<std::size_t>(bit);
    }

private:
    static constexpr std::size_t wordsPerBlock = 8;
    std::vector<std::uint64_t> words_;
    Fenwick blocks_;
};

} // namespace kw
