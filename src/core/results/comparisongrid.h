#pragma once

#include "core/results/grid.h"
#include "core/stats/comparison.h"
#include "core/stats/groupedcases.h"

#include <memory>
#include <vector>

namespace kw {

// The marks of the comparison table, six characters each.
inline constexpr const char* diagonalMark = "   -  ";
inline constexpr const char* notSignificantMark = "  NS  ";
inline constexpr const char* significantMark = "   *  ";

// The comparison table of the output page: "grouped_by", the grouping variable's name and
// "median" in the corner, then the groups in `order` (order[c] is the group in place c)
// across and down with their values and medians, and the mark of every pair.
class ComparisonGrid final : public Grid {
public:
    ComparisonGrid(std::shared_ptr<const GroupedCases> cases, std::vector<int> order,
                   std::shared_ptr<const PairwiseComparison> comparison);
    int columnCount() const override { return static_cast<int>(order_.size()) + 2; }
    int rowCount() const override { return columnCount(); }
    std::string cell(int col, int row) const override;
    void appendCell(int col, int row, std::string& out) const override;
    void appendRow(int row, char separator, std::string& out) const override;

private:
    const char* mark(int col, int row) const; // of a cell of the pairs, col and row from 2

    std::shared_ptr<const GroupedCases> cases_;
    std::vector<int> order_;
    std::shared_ptr<const PairwiseComparison> comparison_;
};

} // namespace kw
