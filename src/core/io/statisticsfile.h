#pragma once

#include "core/base/feedback.h"
#include "core/data/datatable.h"
#include "core/io/importoptions.h"

#include <string>

namespace kw {

// Reads an SPSS (.sav, .zsav, .por) or Stata (.dta) data file as a table: its variables with
// their cases, numbers in the general format with 15 significant digits, a value with a
// label shown as its label, and system-missing, user-missing and empty values given the
// options' missing-value code. Throws kw::Failure for a file that cannot be read whole.
DataTable readStatisticsFile(const std::string& path, const ImportOptions& options, char decimal,
                             Feedback* feedback = nullptr);

// The same for the bytes of a file: `name` stands for the file in messages, and its extension
// tells the kind of file where the bytes do not (a portable file).
DataTable readStatisticsData(std::string bytes, const std::string& name,
                             const ImportOptions& options, char decimal,
                             Feedback* feedback = nullptr);

} // namespace kw
