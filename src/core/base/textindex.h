#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace kw {

// Numbers the distinct texts met, in the order met: an open-addressing hash table from text
// to id. The texts are views; what they point into must outlive the index.
//
// Each slot holds what a probe compares: texts of up to 8 bytes are the slot's word itself
// with their length, longer ones their hash, so that a lookup touches one cache line of the
// table, not the arrays of texts (which, with a hundred thousand texts, lie outside the cache).
class TextIndex {
public:
    explicit TextIndex(std::size_t expected = 16) { rehash(expected * 2); }

    std::uint32_t insert(std::string_view text) {
        const Probe p = probe(text);
        std::size_t slot = p.home & mask_;
        while (slots_[slot].idPlus1 != 0) {
            const Slot& s = slots_[slot];
            if (s.key == p.key && s.size == text.size() &&
                (text.size() <= 8 || texts_[s.idPlus1 - 1] == text)) {
                return s.idPlus1 - 1;
            }
            slot = (slot + 1) & mask_;
        }
        const auto id = static_cast<std::uint32_t>(texts_.size());
        slots_[slot] = Slot{p.key, static_cast<std::uint32_t>(text.size()), id + 1};
        texts_.push_back(text);
        if (texts_.size() * 2 > slots_.size()) {
            rehash(slots_.size() * 2);
        }
        return id;
    }

    // How many texts ahead to prefetch: enough to cover a trip to memory.
    static constexpr std::size_t prefetchAhead = 8;

    // Whether the table has outgrown the nearer caches, so that prefetching pays.
    bool large() const { return slots_.size() > (std::size_t{1} << 14); }

    // Brings the slot where `text` would be looked up towards the cache: called a few texts
    // ahead of insert, it lets the lookups' memory waits overlap.
    void prefetch(std::string_view text) const {
        __builtin_prefetch(slots_.data() + (probe(text).home & mask_));
    }

    std::size_t size() const { return texts_.size(); }
    std::string_view text(std::uint32_t id) const { return texts_[id]; }

    static std::uint64_t mix(std::uint64_t h) {
        h ^= h >> 31;
        h *= 0xD6E8FEB86659FD93ull;
        h ^= h >> 32;
        h *= 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 29);
    }

    static std::uint64_t hash(std::string_view s) {
        constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
        std::uint64_t h = s.size() * k;
        std::size_t i = 0;
        for (; i + 8 <= s.size(); i += 8) {
            std::uint64_t w = 0;
            std::memcpy(&w, s.data() + i, 8);
            h = (h ^ w) * k;
            h ^= h >> 29;
        }
        if (i < s.size()) {
            std::uint64_t w = 0;
            std::memcpy(&w, s.data() + i, s.size() - i);
            h = (h ^ w) * k;
        }
        return mix(h);
    }

private:
    struct Slot {
        std::uint64_t key = 0;     // the bytes of a short text, the hash of a long one
        std::uint32_t size = 0;    // the text's length
        std::uint32_t idPlus1 = 0; // 0: empty
    };

    struct Probe {
        std::uint64_t key;
        std::uint64_t home; // the hash that picks the first slot
    };

    static Probe probe(std::string_view text) {
        if (text.size() > 8) {
            const std::uint64_t h = hash(text);
            return {h, h};
        }
        std::uint64_t word = 0;
        // An empty view may have no data at all, and memcpy must not see a null pointer.
        if (!text.empty()) {
            std::memcpy(&word, text.data(), text.size());
        }
        return {word, home(word, text.size())};
    }

    static std::uint64_t home(std::uint64_t word, std::size_t size) {
        return mix(word ^ (size * 0x9E3779B97F4A7C15ull));
    }

    void rehash(std::size_t want) {
        std::size_t size = 16;
        while (size < want) {
            size *= 2;
        }
        std::vector<Slot> old(size);
        old.swap(slots_);
        mask_ = size - 1;
        for (const Slot& s : old) {
            if (s.idPlus1 == 0) {
                continue;
            }
            std::size_t slot = (s.size > 8 ? s.key : home(s.key, s.size)) & mask_;
            while (slots_[slot].idPlus1 != 0) {
                slot = (slot + 1) & mask_;
            }
            slots_[slot] = s;
        }
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::vector<std::string_view> texts_;
};

} // namespace kw
