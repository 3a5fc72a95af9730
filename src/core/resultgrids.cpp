#include "resultgrids.h"

#include "numbers.h"

#include <algorithm>

namespace kw {

std::vector<int> identityorder(int n) {
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        order[static_cast<std::size_t>(i)] = i;
    }
    return order;
}

int GroupGrid::rows() const {
    return std::max(2, static_cast<int>(a_->largestgroup()) + 1);
}

std::string GroupGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols() || row >= rows()) {
        return {};
    }
    if (row == 0) {
        if (col == 0) {
            return a_->ranked ? a_->groupname : std::string();
        }
        return a_->groupvalues[std::size_t(col - 1)];
    }
    if (col == 0) {
        return row <= static_cast<int>(a_->largestgroup()) ? std::to_string(row) : std::string();
    }
    const int g = col - 1;
    if (static_cast<std::uint32_t>(row) > a_->groupsize(g)) {
        return {};
    }
    return std::string(a_->testtext(a_->groupstart[std::size_t(g)] + std::uint32_t(row) - 1));
}

std::string SummaryGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols() || row >= rows()) {
        return {};
    }
    if (col == 0) {
        if (!a_->ranked) {
            return {};
        }
        static const char* const heads[3] = {"number", "ranksum", "median"};
        return row == 0 ? a_->groupname : heads[row - 1];
    }
    const auto g = static_cast<std::size_t>(order_[std::size_t(col - 1)]);
    switch (row) {
    case 0:
        return a_->groupvalues[g];
    case 1:
        return std::to_string(a_->groupsize(int(g)));
    case 2:
        return a_->ranked ? a_->ranksumtext[g] : std::string();
    default:
        return a_->ranked ? a_->mediantext[g] : std::string();
    }
}

int RankGrid::rows() const {
    return std::max(2, static_cast<int>(a_->largestgroup()) + 1);
}

std::string RankGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols() || row >= rows()) {
        return {};
    }
    if (row == 0) {
        return col == 0 ? std::string() : a_->groupvalues[std::size_t(col - 1)];
    }
    if (col == 0) {
        return std::to_string(row);
    }
    const int g = col - 1;
    if (static_cast<std::uint32_t>(row) > a_->groupsize(g)) {
        return {};
    }
    return formatgeneral(a_->rankof(a_->groupstart[std::size_t(g)] + std::uint32_t(row) - 1), 15,
                         a_->decimal);
}

std::string CountGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols() || row >= rows()) {
        return {};
    }
    if (row == 0) {
        return col == 1 ? "groups" : std::string();
    }
    if (row == 1) {
        return col == 0 ? "values" : a_->groupvalues[std::size_t(col - 1)];
    }
    const auto j = static_cast<std::size_t>(row - 2);
    if (col == 0) {
        return std::string(a_->counttext[j]);
    }
    return std::to_string(a_->count(j, col - 1));
}

} // namespace kw
