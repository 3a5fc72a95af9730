#pragma once

#include "analysis.h"
#include "grid.h"

#include <memory>
#include <vector>

namespace kw {

// The grids of one calculation, as views over its analysis. Before ranking (a calculation
// that stopped after collecting the groups) only the group columns are filled.

// Page 'groups', lower part: the test texts of each group.
class GroupGrid final : public Grid {
public:
    explicit GroupGrid(std::shared_ptr<const Analysis> a) : a_(std::move(a)) {}
    int cols() const override { return a_->ngroups() + 1; }
    int rows() const override;
    std::string cell(int col, int row) const override;

private:
    std::shared_ptr<const Analysis> a_;
};

// Page 'groups', upper part: number, rank sum and median of each group, with its columns in
// `order` (order[c - 1] is the group shown in column c).
class SummaryGrid final : public Grid {
public:
    SummaryGrid(std::shared_ptr<const Analysis> a, std::vector<int> order)
        : a_(std::move(a)), order_(std::move(order)) {}
    int cols() const override { return a_->ngroups() + 1; }
    int rows() const override { return 4; }
    std::string cell(int col, int row) const override;
    const std::vector<int>& order() const { return order_; }

private:
    std::shared_ptr<const Analysis> a_;
    std::vector<int> order_;
};

// Page 'ranked': the rank of each case of `GroupGrid`.
class RankGrid final : public Grid {
public:
    explicit RankGrid(std::shared_ptr<const Analysis> a) : a_(std::move(a)) {}
    int cols() const override { return a_->ngroups() + 1; }
    int rows() const override;
    std::string cell(int col, int row) const override;

private:
    std::shared_ptr<const Analysis> a_;
};

// Page 'counts': how many cases of each group hold each distinct test text.
class CountGrid final : public Grid {
public:
    explicit CountGrid(std::shared_ptr<const Analysis> a) : a_(std::move(a)) {}
    int cols() const override { return a_->ngroups() + 1; }
    int rows() const override { return static_cast<int>(a_->counttext.size()) + 2; }
    std::string cell(int col, int row) const override;

private:
    std::shared_ptr<const Analysis> a_;
};

std::vector<int> identityorder(int n);

} // namespace kw
