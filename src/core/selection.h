#pragma once

#include "collation.h"
#include "datatable.h"

#include <string>
#include <vector>

namespace kw {

enum class Operator { equal = 1, unequal = 2 };

// The operator items as the chooser shows them: " =" and "<>".
inline constexpr const char* operatoritems[2] = {" =", "<>"};

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

// Whether case `row` (1..N) meets every condition.
bool isincluded(const DataTable& table, const std::vector<Condition>& conditions, int row);

// isincluded for every case at once: element r - 1 for row r.
std::vector<char> includedcases(const DataTable& table, const std::vector<Condition>& conditions);

// The distinct texts in `texts` (in the order met), sorted by `collation`; texts that compare
// equal count as one, shown as the one met first. Returns indexes into `texts`.
template <class Texts>
std::vector<std::size_t> distinctsorted(const Texts& texts, std::size_t n, const Collation& coll);

// The values of variable `col` for the selection's value chooser.
std::vector<std::string> valuelist(const DataTable& table, int col, const Collation& collation);

} // namespace kw

#include "selection_impl.h"
