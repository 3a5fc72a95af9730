#pragma once

#include "core/results/grid.h"
#include "core/stats/groupedcases.h"

#include <memory>
#include <vector>

namespace kw {

// The grids of the groups, summary, ranked and counts pages, as views over the grouped
// cases of one calculation. Before ranking (a calculation that stopped after collecting the
// groups) only the group columns are filled.

// Page 'groups', lower part: the test texts of each group.
class GroupGrid final : public Grid {
public:
    explicit GroupGrid(std::shared_ptr<const GroupedCases> a) : a_(std::move(a)) {}
    int columnCount() const override { return a_->groupCount() + 1; }
    int rowCount() const override;
    std::string cell(int col, int row) const override;

private:
    std::shared_ptr<const GroupedCases> a_;
};

// Page 'groups', upper part: number, rank sum and median of each group, with its columns in
// `order` (order[c - 1] is the group shown in column c).
class SummaryGrid final : public Grid {
public:
    SummaryGrid(std::shared_ptr<const GroupedCases> a, std::vector<int> order)
        : a_(std::move(a)), order_(std::move(order)) {}
    int columnCount() const override { return a_->groupCount() + 1; }
    int rowCount() const override { return 4; }
    std::string cell(int col, int row) const override;
    const std::vector<int>& order() const { return order_; }

private:
    std::shared_ptr<const GroupedCases> a_;
    std::vector<int> order_;
};

// Page 'ranked': the rank of each case of `GroupGrid`.
class RankGrid final : public Grid {
public:
    explicit RankGrid(std::shared_ptr<const GroupedCases> a) : a_(std::move(a)) {}
    int columnCount() const override { return a_->groupCount() + 1; }
    int rowCount() const override;
    std::string cell(int col, int row) const override;

private:
    std::shared_ptr<const GroupedCases> a_;
};

// Page 'counts': how many cases of each group hold each distinct test text.
class CountGrid final : public Grid {
public:
    explicit CountGrid(std::shared_ptr<const GroupedCases> a) : a_(std::move(a)) {}
    int columnCount() const override { return a_->groupCount() + 1; }
    int rowCount() const override { return static_cast<int>(a_->countText.size()) + 2; }
    std::string cell(int col, int row) const override;

private:
    std::shared_ptr<const GroupedCases> a_;
};

} // namespace kw
