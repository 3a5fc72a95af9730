#pragma once

#include "core/data/datatable.h"

#include <ostream>
#include <string>

namespace kw {

// Writes the table in the space-delimited form the text reader reads: the names, then one
// line per case; before every cell one blank, after every line CR LF. Cells are written as
// they are, without quoting, so an empty cell leaves two blanks side by side.
void writeTextTable(std::ostream& out, const DataTable& table);

// The same into a file, which is either written whole or left as it was.
void saveTextTable(const std::string& path, const DataTable& table);

} // namespace kw
