#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kw {

// How a number cell of a workbook is shown, from its number format.
enum class Shown : std::uint8_t { number, date, time, elapsed, boolean };

// The kind of a format code: its first section with quoted texts, escaped characters, fills
// and brackets taken out; date and time codes are letters of their own.
Shown shownByCode(std::string_view code);

// The built-in number formats of .xlsx that show dates and times (ids 27-36 and 50-58 are the
// East Asian date formats).
Shown shownById(std::size_t id);

} // namespace kw
