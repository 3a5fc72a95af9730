#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kw {

// One cell of a block moved between the program and a spreadsheet.
struct CellValue {
    enum class Kind { empty, integer, real, text, error };
    Kind kind = Kind::empty;
    std::int32_t integer = 0;
    double real = 0;
    std::string text; // the text of a text cell; for an error cell what the sheet shows, if known

    static CellValue makeEmpty() { return {}; }
    static CellValue makeInteger(std::int32_t v) { return {Kind::integer, v, 0, {}}; }
    static CellValue makeReal(double v) { return {Kind::real, 0, v, {}}; }
    static CellValue makeText(std::string t) { return {Kind::text, 0, 0, std::move(t)}; }
    static CellValue makeError(std::string shown = {}) {
        return {Kind::error, 0, 0, std::move(shown)};
    }
    bool operator==(const CellValue&) const = default;
};

// A rectangular block of cells: rowCount() x columnCount(), at(row, col) from 0 at the
// top-left cell.
class ValueTable {
public:
    ValueTable() = default;
    ValueTable(int rows, int columns)
        : rows_(rows), columns_(columns),
          cells_(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns)) {}

    int rowCount() const { return rows_; }
    int columnCount() const { return columns_; }
    CellValue& at(int row, int col) { return cells_[index(row, col)]; }
    const CellValue& at(int row, int col) const { return cells_[index(row, col)]; }

private:
    std::size_t index(int row, int col) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(col);
    }
    int rows_ = 0;
    int columns_ = 0;
    std::vector<CellValue> cells_;
};

} // namespace kw
