#include "core/data/textstore.h"

#include <algorithm>
#include <cstring>

namespace kw {

TextStore::TextStore(std::string base) : base_(std::move(base)) {}

CellRef TextStore::refer(std::size_t offset, std::size_t length) {
    if (length >= longMark) {
        return add(std::string_view(base_).substr(offset, length));
    }
    return CellRef{(static_cast<std::uint64_t>(offset) << lengthBits) | length};
}

CellRef TextStore::add(std::string_view text) {
    if (text.empty()) {
        return CellRef{};
    }
    if (text.size() < longMark) {
        return CellRef{(append(text) << lengthBits) | text.size()};
    }
    // Long texts carry their length in 8 bytes in front of them.
    std::string withLength(8, '\0');
    const std::uint64_t n = text.size();
    std::memcpy(withLength.data(), &n, 8);
    withLength.append(text);
    return CellRef{(append(withLength) << lengthBits) | longMark};
}

std::uint64_t TextStore::append(std::string_view text) {
    if (chunks_.empty() || chunks_.back().capacity - chunks_.back().used < text.size()) {
        const std::uint64_t start =
            chunks_.empty() ? base_.size() : chunks_.back().start + chunks_.back().used;
        const std::size_t capacity = std::max(chunkSize, text.size());
        chunks_.push_back(Chunk{start, 0, capacity, std::make_unique<char[]>(capacity)});
    }
    Chunk& c = chunks_.back();
    std::memcpy(c.bytes.get() + c.used, text.data(), text.size());
    const std::uint64_t offset = c.start + c.used;
    c.used += text.size();
    return offset;
}

std::string_view TextStore::at(std::uint64_t offset, std::size_t length) const {
    if (offset < base_.size()) {
        return std::string_view(base_.data() + offset, length);
    }
    auto it = std::upper_bound(chunks_.begin(), chunks_.end(), offset,
                               [](std::uint64_t o, const Chunk& c) { return o < c.start; });
    const Chunk& c = *(it - 1);
    return std::string_view(c.bytes.get() + (offset - c.start), length);
}

std::string_view TextStore::viewElsewhere(CellRef ref) const {
    const std::size_t length = ref.bits & longMark;
    const std::uint64_t offset = ref.bits >> lengthBits;
    if (length == 0) {
        return {};
    }
    if (length != longMark) {
        return at(offset, length);
    }
    std::uint64_t n = 0;
    std::memcpy(&n, at(offset, 8).data(), 8);
    return at(offset + 8, n);
}

} // namespace kw
