#pragma once

#include "grid.h"

#include <ostream>
#include <string_view>

namespace kw::cli {

// A JSON string. Cell texts are bytes: valid UTF-8 passes through, any other byte is written
// as the code point of the same number (\u00XX), control characters escaped.
void writejsonstring(std::ostream& out, std::string_view text);

// A grid as an array of rows (row 0 first), each an array of its cell texts.
void writejsongrid(std::ostream& out, const Grid& grid);

// A number as the shortest text that reads back as the same double.
void writejsonnumber(std::ostream& out, double value);

} // namespace kw::cli
