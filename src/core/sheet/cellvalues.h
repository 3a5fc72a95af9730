#pragma once

#include "core/sheet/valuetable.h"

#include <string>
#include <string_view>

namespace kw {

// Cells between the program's texts and a sheet's values.

// The number of a column named by letters: A = 1, Z = 26, AA = 27, IV = 256, ZZ = 702;
// letters after the second are ignored. The text is not empty.
int columnNumber(std::string_view letters);

// The letters of a column number (1 = A), the inverse of columnNumber up to ZZ.
std::string columnLetters(int column);

// A cell text as a value to write: a 32-bit integer if the whole text is one, otherwise a
// real if it reads as one with the given decimal mark, otherwise the text (empty text:
// empty).
CellValue typedValue(std::string_view text, char decimal);

// The text form of a value read from a sheet: empty for an empty cell, a text unchanged, a
// number in the general format with 15 significant digits. An error value is refused with a
// message naming the cell (its column and row, 1-based).
std::string textForm(const CellValue& value, char decimal, int column, int row);

} // namespace kw
