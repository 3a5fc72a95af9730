#pragma once

#include "core/data/datatable.h"
#include "core/results/grid.h"
#include "core/results/report.h"
#include "core/sheet/valuetable.h"

#include <string>
#include <string_view>

namespace kw {

// The blocks of cells exchanged with a sheet.

// A block read from a sheet as a data table: its first row the names, every further row a
// case. A cell that is empty, or holds blanks only, receives the missing-value text. The
// block's first column and row (1-based) name cells in messages.
DataTable blockTable(const ValueTable& block, std::string_view missing, char decimal,
                     int firstColumn, int firstRow);

// What the results block shows: what the report shows, and the test date.
struct ResultsBlockData : ReportData {
    std::string date; // today's date in the locale's short format
};

// The results block: k + 13 rows and k + 2 columns (at least 6): the heading, version and
// test date, the overall test, and when p < alpha the comparison table (its cells through
// typedValue).
ValueTable resultsBlock(const ResultsBlockData& data, char decimal);

// The counts block of a grid of m columns and n rows: n + 1 rows and m + 1 columns, every
// cell through typedValue, the last row and column empty.
ValueTable countsBlock(const Grid& grid, char decimal);

} // namespace kw
