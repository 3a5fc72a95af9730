#pragma once

#include "core/results/grid.h"
#include "core/session/session.h"
#include "core/stats/details.h"

#include <ostream>
#include <string_view>

namespace kw::cli {

// A JSON string. Cell texts are bytes: valid UTF-8 passes through, any other byte is written
// as the code point of the same number (\u00XX), control characters escaped.
void writeJsonString(std::ostream& out, std::string_view text);

// A grid as an array of rows (row 0 first), each an array of its cell texts.
void writeJsonGrid(std::ostream& out, const Grid& grid);

// A number as the shortest text that reads back as the same double.
void writeJsonNumber(std::ostream& out, double value);

// The results of a session as kwtest's JSON: the five grids and the test's values, under the
// names that scripts reading it rely on (npgrgrid, mulcompgrid, chi2 ...), and after them,
// when given, the statistics beyond the test (descriptives, effectsize, pvalue_h, pairwise,
// apa, methods).
void writeResultsJson(std::ostream& out, const Session& session, const Details* details = nullptr);

} // namespace kw::cli
