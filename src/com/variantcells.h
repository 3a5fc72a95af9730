#pragma once

// Cell values between the link and Excel's variants: a block's Value as Excel gives it, and
// the array of variants that writes a block.

#include "com/dispatch.h"
#include "core/sheet/valuetable.h"

#include <string>

namespace kw::com {

// A cell's value: numbers of every kind (dates as Excel's serials, truth values as 1 and 0),
// texts, Excel's error values as what the cell shows, and empty cells.
CellValue cellFrom(const VARIANT& value);

// The Value of a block of `rows` x `columns`: a two-dimensional array of variants (rows
// first), or for a block of one cell that cell's value alone. Another shape is a kw::Failure.
ValueTable tableFrom(const VARIANT& value, int rows, int columns);

// A table as the two-dimensional array (rows first, from 1) that Value takes: integers as
// VT_I4, reals as VT_R8 (infinities and NaN as #NUM!), texts kept texts (cellText), error
// values as Excel's codes, empty values left empty.
Variant arrayFrom(const ValueTable& table);

// "<rows> rows and <columns> columns", for messages.
std::string blockShape(int rows, int columns);

} // namespace kw::com
