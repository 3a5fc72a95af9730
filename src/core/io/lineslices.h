#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kw {

// Where the workers' slices of the lines text[first, end) begin: `parts` + 1 offsets from
// `first` to `end`, of about equal distance, each inner one just past a line end (CR LF
// counting as one), so that every slice holds whole lines.
std::vector<std::size_t> lineSlices(std::string_view text, std::size_t first, std::size_t end,
                                    unsigned parts);

} // namespace kw
