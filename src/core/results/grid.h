#pragma once

#include <string>
#include <vector>

namespace kw {

// A result grid as the window shows it: text cells addressed as (column, row) from 0.
// Large grids compute their cells on demand from the analysis they view.
class Grid {
public:
    virtual ~Grid() = default;
    virtual int columnCount() const = 0;
    virtual int rowCount() const = 0;
    virtual std::string cell(int col, int row) const = 0;

    // Appends the cell's text to `out`: what writers of large grids call.
    virtual void appendCell(int col, int row, std::string& out) const { out += cell(col, row); }

    // Appends every cell of a row, each followed by `separator`.
    virtual void appendRow(int row, char separator, std::string& out) const {
        for (int c = 0; c < columnCount(); ++c) {
            appendCell(c, row, out);
            out += separator;
        }
    }
};

// A grid of empty cells (a grid cleared before a new load), whatever its size.
class BlankGrid final : public Grid {
public:
    BlankGrid(int columns, int rows) : columns_(columns), rows_(rows) {}
    int columnCount() const override { return columns_; }
    int rowCount() const override { return rows_; }
    std::string cell(int, int) const override { return {}; }

private:
    int columns_;
    int rows_;
};

} // namespace kw
