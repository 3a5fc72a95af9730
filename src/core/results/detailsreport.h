#pragma once

#include "core/stats/details.h"

#include <ostream>
#include <string>

namespace kw {

// The statistics beyond the classic test in words.

// One line to paste into a paper: H(df) = 54.69, p < .001, epsilon^2 = 0.77, 95% CI [0.69,
// 0.83]. The p is the exact or the Monte Carlo one.
std::string apaLine(const Details& details);

// A short methods paragraph naming every method and option and the program's version.
std::string methodsParagraph(const Details& details);

// The names of the methods as the texts give them.
std::string pairwiseMethodTitle(PairwiseMethod method); // "Dunn's test"
std::string adjustmentTitle(Adjustment adjustment);     // "Holm's adjustment"

// The text report of kwtest's --details: descriptives, the overall test with its p-values and
// effect sizes, the pairwise table, the letters, the line for a paper and the methods
// paragraph; CR LF lines, numbers with the point.
void writeDetailsReport(std::ostream& out, const Details& details, const std::string& groupName,
                        const std::string& testName);

} // namespace kw
