#include "core/results/comparisongrid.h"

namespace kw {

ComparisonGrid::ComparisonGrid(std::shared_ptr<const GroupedCases> cases, std::vector<int> order,
                               std::shared_ptr<const PairwiseComparison> comparison)
    : cases_(std::move(cases)), order_(std::move(order)), comparison_(std::move(comparison)) {}

const char* ComparisonGrid::mark(int col, int row) const {
    if (col == row) {
        return diagonalMark;
    }
    const auto a = static_cast<std::size_t>(order_[std::size_t(col - 2)]);
    const auto b = static_cast<std::size_t>(order_[std::size_t(row - 2)]);
    return comparison_->significant(a, b) ? significantMark : notSignificantMark;
}

void ComparisonGrid::appendCell(int col, int row, std::string& out) const {
    if (col >= 2 && row >= 2 && col < columnCount() && row < rowCount()) {
        out += mark(col, row);
    } else {
        out += cell(col, row);
    }
}

void ComparisonGrid::appendRow(int row, char separator, std::string& out) const {
    if (row < 2 || row >= rowCount()) {
        Grid::appendRow(row, separator, out);
        return;
    }
    // The marks of one group against all: its size and rank sum taken once.
    const auto b = static_cast<std::size_t>(order_[std::size_t(row - 2)]);
    const long double sizeB = comparison_->size(b);
    const long double rankSumB = comparison_->rankSum(b);
    for (int c = 0; c < 2; ++c) {
        appendCell(c, row, out);
        out += separator;
    }
    const int k = columnCount() - 2;
    for (int i = 0; i < k; ++i) {
        if (i == row - 2) {
            out += diagonalMark;
        } else {
            const auto a = static_cast<std::size_t>(order_[std::size_t(i)]);
            out += comparison_->significant(comparison_->size(a), comparison_->rankSum(a), sizeB,
                                            rankSumB)
                       ? significantMark
                       : notSignificantMark;
        }
        out += separator;
    }
}

std::string ComparisonGrid::cell(int col, int row) const {
    const int size = columnCount();
    if (col < 0 || row < 0 || col >= size || row >= size) {
        return {};
    }
    if (col <= 1 && row <= 1) {
        if (col == 0 && row == 0) {
            return "grouped_by";
        }
        return col == 1 && row == 1 ? "median" : cases_->groupName;
    }
    if (row == 0 || col == 0) {
        return cases_->groupValues[std::size_t(order_[std::size_t((row == 0 ? col : row) - 2)])];
    }
    if (row == 1 || col == 1) {
        return cases_->medianText[std::size_t(order_[std::size_t((row == 1 ? col : row) - 2)])];
    }
    return mark(col, row);
}

} // namespace kw
