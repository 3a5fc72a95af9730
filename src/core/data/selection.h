#pragma once

#include "core/data/datatable.h"

#include <string>
#include <vector>

namespace kw {

enum class Operator { equal = 1, unequal = 2 };

// The operator items as the chooser shows them: " =" and "<>", in the order of Operator.
inline constexpr const char* operatorItems[2] = {" =", "<>"};
inline const char* operatorItem(Operator op) {
    return operatorItems[op == Operator::equal ? 0 : 1];
}

// A case selection condition: the cell of `column` must equal (or differ from) `value`,
// compared byte for byte.
struct Condition {
    int column = 0;
    Operator op = Operator::equal;
    std::string value;
};

// The conditions with their display lines ("name", operator item, value, run together).
// The list grows as needed: the calculation appends its missing-value condition every time.
class ConditionList {
public:
    void add(Condition condition, std::string line);
    void remove(int index); // 0-based; out of range does nothing
    void clear();

    const std::vector<Condition>& conditions() const { return conditions_; }
    const std::vector<std::string>& lines() const { return lines_; }
    int size() const { return static_cast<int>(conditions_.size()); }

private:
    std::vector<Condition> conditions_;
    std::vector<std::string> lines_;
};

// Whether each case meets every condition: element r - 1 for row r.
std::vector<char> includedCases(const DataTable& table, const std::vector<Condition>& conditions);

} // namespace kw
