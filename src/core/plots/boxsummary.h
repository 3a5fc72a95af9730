#pragma once

#include "core/stats/descriptives.h"
#include "core/stats/rankprofile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kw {

// A test value and how many cases hold it.
struct ValueCount {
    double value = 0;
    std::uint64_t count = 0;
};

// What a box plot draws of one group. The box spans the quartiles and the line in it is the
// median, all as the descriptives give them (R's quantile type 7), so that the picture agrees
// with the table beside it; the whiskers reach the furthest values within 1.5 IQR of the box
// and the values beyond them are the outliers (as ggplot2's geom_boxplot draws them; R's
// boxplot() takes Tukey's hinges for the box instead, which differ from type 7 on most small
// groups).
struct BoxSummary {
    std::uint64_t n = 0;
    double median = 0;
    double q1 = 0;
    double q3 = 0;
    double min = 0;
    double max = 0;
    double lowerWhisker = 0; // the smallest value >= q1 - 1.5 IQR
    double upperWhisker = 0; // the largest value <= q3 + 1.5 IQR
    // The values beyond the whiskers, ascending, with their counts. A group with more than
    // maxOutlierMarks distinct outlying values has them merged into one mark per
    // 1/maxOutlierMarks of its range (the value furthest from the box standing for the mark,
    // the counts summed): no print resolution tells them apart, and the marks stay bounded.
    std::vector<ValueCount> outliers;
    std::uint64_t outlierCases = 0;
    bool outliersMerged = false;
};

constexpr std::size_t maxOutlierMarks = 1000;

// The box of every group, in the groups' order, from the profile and its descriptions.
std::vector<BoxSummary> boxSummaries(const RankProfile& profile,
                                     const std::vector<GroupDescription>& descriptions);

} // namespace kw
