#pragma once

#include "core/results/grid.h"

#include <string>
#include <vector>

namespace kw::test {

// A grid of texts set one by one.
class TextGrid final : public Grid {
public:
    TextGrid(int columns, int rows)
        : columns_(columns), rows_(rows), cells_(std::size_t(columns) * std::size_t(rows)) {}

    int columnCount() const override { return columns_; }
    int rowCount() const override { return rows_; }
    std::string cell(int col, int row) const override {
        if (col < 0 || row < 0 || col >= columns_ || row >= rows_) {
            return {};
        }
        return cells_[std::size_t(row) * std::size_t(columns_) + std::size_t(col)];
    }
    void set(int col, int row, std::string text) {
        cells_[std::size_t(row) * std::size_t(columns_) + std::size_t(col)] = std::move(text);
    }

private:
    int columns_;
    int rows_;
    std::vector<std::string> cells_;
};

} // namespace kw::test
