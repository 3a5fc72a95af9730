#pragma once

#include "core/results/tableworkbook.h"
#include "core/session/session.h"

#include <vector>

namespace kw::app {

class DetailsPage;

// Every table of the last calculation, for "Save tables as workbook...": the groups' summary,
// the groups' values, the ranks, the multiple comparison (where it was made), the counts, and
// the details' descriptives and pairwise comparisons where the details page shows them for the
// present choices (as shown: sorted as the user sorted them, without the columns the method
// does not give). The session's grids are shared, not copied; the details' tables are small.
std::vector<WorkbookTable> resultTables(const Session& session, const DetailsPage& details);

} // namespace kw::app
