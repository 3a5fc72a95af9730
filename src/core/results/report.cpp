#include "core/results/report.h"

#include "core/base/numbers.h"

namespace kw {

void writeReport(std::ostream& out, const ReportData& data) {
    const char* eol = "\r\n";
    out << "KRUSKAL WALLIS NONPARAMETRIC ANOVA" << eol;
    out << "OVERALL TEST RESULTS" << eol;
    out << eol;
    out << "group: " << data.groupName << eol;
    out << "test: " << data.testName << eol;
    out << "Chi2: " << rightAlign(formatFixed(data.chiSquare, 3), 7) << eol;
    out << "df: " << rightAlign(std::to_string(data.groupCount - 1), 5) << eol;
    out << "p: " << rightAlign(formatFixed(data.pValue, 3), 5) << eol;
    if (!(data.pValue < data.alpha)) {
        out << "NO MULTIPLE COMPARISON OF GROUPS " << eol;
        return;
    }
    out << "MULTIPLE COMPARISON OF GROUPS " << eol;
    out << "* = significant at p<" << rightAlign(formatFixed(data.alpha, 3), 5) << eol;
    const Grid& g = *data.comparisonGrid;
    std::string line;
    for (int r = 0; r < g.rowCount(); ++r) {
        line.clear();
        g.appendRow(r, ' ', line);
        line += eol;
        out << line;
    }
}

} // namespace kw
