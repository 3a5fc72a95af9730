#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// Where a cell's text lies in a TextStore: a 40-bit offset and a 24-bit length in one word,
// so that a table costs 8 bytes a cell besides its text.
struct CellRef {
    std::uint64_t bits = 0;
};

// Append-only bytes that cells refer to. The base is the text of a file as read (cells point
// into it without copying); texts added later (edits, typed tables) go into chunks that never
// move, so views handed out stay valid while the store lives.
class TextStore {
public:
    TextStore() = default;
    explicit TextStore(std::string base);
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    const std::string& base() const { return base_; }

    // A run of the base; runs longer than the length field holds are copied.
    CellRef refer(std::size_t offset, std::size_t length);

    // The same, without touching the store, for runs that fit the length field.
    static bool fitsBase(std::size_t length) { return length < longMark; }
    static CellRef baseCell(std::size_t offset, std::size_t length) {
        return CellRef{(static_cast<std::uint64_t>(offset) << lengthBits) | length};
    }
    CellRef add(std::string_view text);
    // Most cells lie in the bytes read from the file: those are answered here, inline, as
    // every loop over a column asks for them.
    std::string_view view(CellRef ref) const {
        const std::size_t length = ref.bits & longMark;
        const std::uint64_t offset = ref.bits >> lengthBits;
        if (length != 0 && length != longMark && offset < base_.size()) [[likely]] {
            return std::string_view(base_.data() + offset, length);
        }
        return viewElsewhere(ref);
    }

private:
    static constexpr std::uint64_t lengthBits = 24;
    static constexpr std::uint64_t longMark = (1u << lengthBits) - 1;
    static constexpr std::size_t chunkSize = 1 << 16;

    struct Chunk {
        std::uint64_t start; // global offset of its first byte
        std::size_t used;
        std::size_t capacity;
        std::unique_ptr<char[]> bytes;
    };

    std::string_view at(std::uint64_t offset, std::size_t length) const;
    std::string_view viewElsewhere(CellRef ref) const;
    std::uint64_t append(std::string_view text);

    std::string base_;
    std::vector<Chunk> chunks_;
};

} // namespace kw
