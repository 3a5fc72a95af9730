#pragma once

#include "cli/options.h"

#include "core/base/locale.h"
#include "core/data/datatable.h"
#include "core/stats/request.h"

#include <string>

namespace kw::cli {

// The analysis the options ask for, on the table read. The choices are checked as the window
// checks them when the user makes them, and in the same order: the grouping variable (its
// values must be discrete, and they decide whether groups are texts or numbers unless
// --group-as says), the test variable (its values must be numbers), the variable of each
// --where condition, then alpha. A name that is not a variable of the table is refused too.
AnalysisRequest analysisRequest(const Options& options, const DataTable& table,
                                std::string missingCode, const Locale& locale);

} // namespace kw::cli
