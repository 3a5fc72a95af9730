#pragma once

#include "core/base/feedback.h"
#include "core/data/datatable.h"

#include <string>

namespace kw {

// Reads a space-delimited data file: a line of variable names, then one line per case with
// its values in the order of the names. Only the blank separates; lines end with CR LF, LF
// or CR; a Ctrl-Z byte ends the file. Empty lines (or lines of blanks) are skipped, values
// beyond the number of names are dropped, and a line with fewer values than names is refused
// with its line number. Throws kw::Failure for an unreadable or malformed file.
DataTable readTextFile(const std::string& path, Feedback* feedback = nullptr);

// The same for the bytes of a file.
DataTable readTextData(std::string bytes, Feedback* feedback = nullptr);

} // namespace kw
