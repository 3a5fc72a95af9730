#pragma once

#include "grid.h"

#include <ostream>
#include <string>

namespace kw {

// What the results text report shows.
struct ReportData {
    std::string groupname;
    std::string testname;
    double chi2 = 0;
    int ngroups = 0;
    double pvalue = 0;
    double alpha = 0;
    const Grid* mulcompgrid = nullptr;
};

// The results text report: CR LF lines, numbers with the point whatever the locale.
void writereport(std::ostream& out, const ReportData& data);

} // namespace kw
