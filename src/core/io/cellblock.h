#pragma once

#include <string>

namespace kw {

// The size of a sheet in both workbook formats.
inline constexpr int sheetRows = 1048576;
inline constexpr int sheetColumns = 16384;

// A block of cells of a sheet, 1-based and inclusive.
struct CellBlock {
    int c1 = 0, c2 = 0, r1 = 0, r2 = 0;
    long long rows() const { return static_cast<long long>(r2) - r1 + 1; }
    int columns() const { return c2 - c1 + 1; }
};

// The block as A1:C40.
std::string blockText(const CellBlock& b);

// A block given as its first and last cell (A1:C40, $A$1:$C$40, C40:A1, blanks anywhere).
// Throws kw::Failure for text that is no block, or one past the edge of a sheet.
CellBlock parseBlock(const std::string& text);

} // namespace kw
