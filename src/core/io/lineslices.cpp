#include "core/io/lineslices.h"

#include <algorithm>

namespace kw {

std::vector<std::size_t> lineSlices(std::string_view text, std::size_t first, std::size_t end,
                                    unsigned parts) {
    const std::size_t length = end > first ? end - first : 0;
    std::vector<std::size_t> bound(parts + 1, end);
    bound[0] = first;
    for (unsigned p = 1; p < parts; ++p) {
        std::size_t at = std::max(bound[p - 1], first + length * p / parts);
        while (at < end && text[at] != '\n' && text[at] != '\r') {
            ++at;
        }
        bound[p] =
            at >= end ? end : at + 1 + (text[at] == '\r' && at + 1 < end && text[at + 1] == '\n');
    }
    return bound;
}

} // namespace kw
