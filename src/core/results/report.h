#pragma once

#include "core/results/grid.h"

#include <ostream>
#include <string>

namespace kw {

// What the results text report shows.
struct ReportData {
    std::string groupName;
    std::string testName;
    double chiSquare = 0;
    int groupCount = 0;
    double pValue = 0;
    double alpha = 0;
    const Grid* comparisonGrid = nullptr; // the table as the output page shows it
};

// The results text report: CR LF lines, numbers with the point whatever the locale.
void writeReport(std::ostream& out, const ReportData& data);

} // namespace kw
