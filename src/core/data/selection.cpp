#include "core/data/selection.h"

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

std::vector<char> includedCases(const DataTable& table, const std::vector<Condition>& conditions) {
    std::vector<char> included(static_cast<std::size_t>(table.caseCount()), 1);
    for (const auto& c : conditions) {
        const ColumnView col = table.column(c.column);
        const bool wantEqual = c.op == Operator::equal;
        for (std::size_t i = 0; i < included.size(); ++i) {
            if ((col[i] == c.value) != wantEqual) {
                included[i] = 0;
            }
        }
    }
    return included;
}

} // namespace kw
