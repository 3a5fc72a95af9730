#include "selection.h"

namespace kw {

void ConditionList::add(Condition condition, std::string line) {
    conditions_.push_back(std::move(condition));
    lines_.push_back(std::move(line));
}

void ConditionList::remove(int index) {
    if (index < 0 || index >= size()) {
        return;
    }
    conditions_.erase(conditions_.begin() + index);
    lines_.erase(lines_.begin() + index);
}

void ConditionList::clear() {
    conditions_.clear();
    lines_.clear();
}

bool isincluded(const DataTable& table, const std::vector<Condition>& conditions, int row) {
    bool included = true;
    for (const auto& c : conditions) {
        const bool same = table.value(c.column, row) == c.value;
        if ((c.op == Operator::equal) != same) {
            included = false;
        }
    }
    return included;
}

std::vector<char> includedcases(const DataTable& table, const std::vector<Condition>& conditions) {
    std::vector<char> included(static_cast<std::size_t>(table.ncases()), 1);
    for (const auto& c : conditions) {
        const ColumnView col = table.column(c.column);
        const bool wantequal = c.op == Operator::equal;
        for (std::size_t i = 0; i < included.size(); ++i) {
            if ((col[i] == c.value) != wantequal) {
                included[i] = 0;
            }
        }
    }
    return included;
}

std::vector<std::string> valuelist(const DataTable& table, int col, const Collation& collation) {
    const ColumnView column = table.column(col);
    std::vector<std::string> out;
    for (std::size_t i : distinctsorted(column, column.size(), collation)) {
        out.emplace_back(column[i]);
    }
    return out;
}

} // namespace kw
