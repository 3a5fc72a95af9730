#include "report.h"

#include "numbers.h"

namespace kw {

void writereport(std::ostream& out, const ReportData& data) {
    const char* eol = "\r\n";
    out << "KRUSKAL WALLIS NONPARAMETRIC ANOVA" << eol;
    out << "OVERALL TEST RESULTS" << eol;
    out << eol;
    out << "group: " << data.groupname << eol;
    out << "test: " << data.testname << eol;
    out << "Chi2: " << rightalign(formatfixed(data.chi2, 3), 7) << eol;
    out << "df: " << rightalign(std::to_string(data.ngroups - 1), 5) << eol;
    out << "p: " << rightalign(formatfixed(data.pvalue, 3), 5) << eol;
    if (!(data.pvalue < data.alpha)) {
        out << "NO MULTIPLE COMPARISON OF GROUPS " << eol;
        return;
    }
    out << "MULTIPLE COMPARISON OF GROUPS " << eol;
    out << "* = significant at p<" << rightalign(formatfixed(data.alpha, 3), 5) << eol;
    const Grid& g = *data.mulcompgrid;
    std::string line;
    for (int r = 0; r < g.rows(); ++r) {
        line.clear();
        g.appendrow(r, ' ', line);
        line += eol;
        out << line;
    }
}

} // namespace kw
