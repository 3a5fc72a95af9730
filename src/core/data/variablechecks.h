#pragma once

#include "core/data/datatable.h"

namespace kw {

// How grouping values are compared when the cases are sorted ("treat grouping variable as:").
enum class GroupMode { texts = 0, numbers = 1 };

// The checks made when the user picks a variable, each refusing it with a warning.

// A grouping variable must be discrete: a column that holds a decimal point and no letter is
// refused ("group variable must be discrete"). Otherwise the mode its values call for: texts
// when any value holds a letter, numbers when none does.
GroupMode checkGroupingVariable(const DataTable& table, int column);

// A test variable must be numeric: a letter other than the capital E (of an exponent) in any
// value refuses it ("test variable must be numeric").
void checkTestVariable(const DataTable& table, int column);

// A selection variable is refused as not discrete when its first case holds a decimal point.
void checkSelectionVariable(const DataTable& table, int column);

} // namespace kw
