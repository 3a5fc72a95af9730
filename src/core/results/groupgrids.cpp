#include "core/results/groupgrids.h"

#include "core/base/numbers.h"

#include <algorithm>

namespace kw {

int GroupGrid::rowCount() const {
    return std::max(2, static_cast<int>(a_->largestGroup()) + 1);
}

std::string GroupGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) {
        return {};
    }
    if (row == 0) {
        if (col == 0) {
            return a_->ranked ? a_->groupName : std::string();
        }
        return a_->groupValues[std::size_t(col - 1)];
    }
    if (col == 0) {
        return row <= static_cast<int>(a_->largestGroup()) ? std::to_string(row) : std::string();
    }
    const int g = col - 1;
    if (static_cast<std::uint32_t>(row) > a_->groupSize(g)) {
        return {};
    }
    return std::string(a_->testText(a_->groupStart[std::size_t(g)] + std::uint32_t(row) - 1));
}

std::string SummaryGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) {
        return {};
    }
    if (col == 0) {
        if (!a_->ranked) {
            return {};
        }
        static const char* const heads[3] = {"number", "ranksum", "median"};
        return row == 0 ? a_->groupName : heads[row - 1];
    }
    const auto g = static_cast<std::size_t>(order_[std::size_t(col - 1)]);
    switch (row) {
    case 0:
        return a_->groupValues[g];
    case 1:
        return std::to_string(a_->groupSize(int(g)));
    case 2:
        return a_->ranked ? a_->rankSumText[g] : std::string();
    default:
        return a_->ranked ? a_->medianText[g] : std::string();
    }
}

int RankGrid::rowCount() const {
    return std::max(2, static_cast<int>(a_->largestGroup()) + 1);
}

std::string RankGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) {
        return {};
    }
    if (row == 0) {
        return col == 0 ? std::string() : a_->groupValues[std::size_t(col - 1)];
    }
    if (col == 0) {
        return std::to_string(row);
    }
    const int g = col - 1;
    if (static_cast<std::uint32_t>(row) > a_->groupSize(g)) {
        return {};
    }
    return formatGeneral(a_->rankOf(a_->groupStart[std::size_t(g)] + std::uint32_t(row) - 1), 15,
                         a_->decimal);
}

std::string CountGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) {
        return {};
    }
    if (row == 0) {
        return col == 1 ? "groups" : std::string();
    }
    if (row == 1) {
        return col == 0 ? "values" : a_->groupValues[std::size_t(col - 1)];
    }
    const auto j = static_cast<std::size_t>(row - 2);
    if (col == 0) {
        return std::string(a_->countText[j]);
    }
    return std::to_string(a_->count(j, col - 1));
}

} // namespace kw
