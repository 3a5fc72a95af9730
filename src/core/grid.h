#pragma once

#include <string>
#include <vector>

namespace kw {

// A result grid as the window shows it: text cells addressed as (column, row) from 0.
// Large grids compute their cells on demand from the analysis they view.
class Grid {
public:
    virtual ~Grid() = default;
    virtual int cols() const = 0;
    virtual int rows() const = 0;
    virtual std::string cell(int col, int row) const = 0;

    // Appends the cell's text to `out`: what writers of large grids call.
    virtual void appendcell(int col, int row, std::string& out) const { out += cell(col, row); }

    // Appends every cell of a row, each followed by `separator`.
    virtual void appendrow(int row, char separator, std::string& out) const {
        for (int c = 0; c < cols(); ++c) {
            appendcell(c, row, out);
            out += separator;
        }
    }
};

// A grid that holds its texts.
class TextGrid final : public Grid {
public:
    TextGrid(int cols, int rows) : cols_(cols), rows_(rows), cells_(std::size_t(cols) * rows) {}

    int cols() const override { return cols_; }
    int rows() const override { return rows_; }
    std::string cell(int col, int row) const override {
        if (col < 0 || row < 0 || col >= cols_ || row >= rows_) {
            return {};
        }
        return cells_[std::size_t(row) * cols_ + col];
    }
    void set(int col, int row, std::string text) {
        cells_[std::size_t(row) * cols_ + col] = std::move(text);
    }

private:
    int cols_;
    int rows_;
    std::vector<std::string> cells_;
};

} // namespace kw

namespace kw {

// A grid of empty cells (a grid cleared before a new load), whatever its size.
class BlankGrid final : public Grid {
public:
    BlankGrid(int cols, int rows) : cols_(cols), rows_(rows) {}
    int cols() const override { return cols_; }
    int rows() const override { return rows_; }
    std::string cell(int, int) const override { return {}; }

private:
    int cols_;
    int rows_;
};

} // namespace kw
