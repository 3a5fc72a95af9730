#pragma once

#include "core/plots/boxsummary.h"
#include "core/plots/pairmatrix.h"
#include "core/plots/rankintervals.h"
#include "core/stats/details.h"
#include "core/stats/groupedcases.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kw {

// Everything the plots of one completed calculation draw, in the groups' order. It is made
// from the rank profile (the distinct values with their counts), so that it costs in the
// number of distinct values, not of cases, and holds no entry per case: the points of the
// cases come as values with counts, and only when there are few cases.
struct PlotSummary {
    std::string groupName; // the grouping variable, under the x axis
    std::string testName;  // the test variable, on the y axis
    std::vector<std::string> groups;
    std::uint64_t caseCount = 0;
    double h = 0; // corrected for ties
    int df = 0;
    double p = 0; // asymptotic (chi-square)

    std::vector<BoxSummary> boxes;
    // Each group's values with their counts, when there are at most maxPointCases cases in
    // all (few enough to see one by one); else empty.
    std::vector<std::vector<ValueCount>> points;
    RankIntervals ranks;

    // From the pairwise comparisons, when they were made: the letters of the groups (all
    // pairs compared; empty against a control), at `alpha`, and the adjusted p-values.
    std::vector<std::string> letters;
    std::optional<PairMatrix> pairs;
    double alpha = 0.05;
};

constexpr std::uint64_t maxPointCases = 2000;

// The summary of ranked cases, with the pairwise comparisons and letters of `details` when
// given (computed for the same cases).
PlotSummary summarizeForPlots(const GroupedCases& cases, const Details* details = nullptr);

} // namespace kw
