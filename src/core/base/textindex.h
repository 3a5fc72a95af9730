#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace kw {

// Numbers the distinct texts met, in the order met: an open-addressing hash table from text
// to id. The texts are views; what they point into must outlive the index.
class TextIndex {
public:
    explicit TextIndex(std::size_t expected = 16) { rehash(expected * 2); }

    std::uint32_t insert(std::string_view text) {
        // Texts of up to 8 bytes are compared as one word with their length, without going
        // back to the bytes of the first one met, which may lie anywhere.
        const bool isShort = text.size() <= 8;
        std::uint64_t word = 0;
        // An empty view may have no data at all, and memcpy must not see a null pointer.
        if (isShort && !text.empty()) {
            std::memcpy(&word, text.data(), text.size());
        }
        const std::uint64_t h =
            isShort ? mix(word ^ (text.size() * 0x9E3779B97F4A7C15ull)) : hash(text);
        std::size_t slot = h & mask_;
        while (slots_[slot] != 0) {
            const std::uint32_t id = slots_[slot] - 1;
            if (hashes_[id] == h && texts_[id].size() == text.size() &&
                (isShort ? words_[id] == word : texts_[id] == text)) {
                return id;
            }
            slot = (slot + 1) & mask_;
        }
        const auto id = static_cast<std::uint32_t>(texts_.size());
        slots_[slot] = id + 1;
        texts_.push_back(text);
        hashes_.push_back(h);
        words_.push_back(word);
        if (texts_.size() * 2 > slots_.size()) {
            rehash(slots_.size() * 2);
        }
        return id;
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
    void rehash(std::size_t want) {
        std::size_t size = 16;
        while (size < want) {
            size *= 2;
        }
        slots_.assign(size, 0);
        mask_ = size - 1;
        for (std::uint32_t id = 0; id < texts_.size(); ++id) {
            std::size_t slot = hashes_[id] & mask_;
            while (slots_[slot] != 0) {
                slot = (slot + 1) & mask_;
            }
            slots_[slot] = id + 1;
        }
    }

    std::vector<std::uint32_t> slots_;
    std::size_t mask_ = 0;
    std::vector<std::string_view> texts_;
    std::vector<std::uint64_t> hashes_;
    std::vector<std::uint64_t> words_;
};

} // namespace kw
