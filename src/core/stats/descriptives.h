#pragma once

#include "core/stats/rankprofile.h"

#include <cstdint>
#include <vector>

namespace kw {

// What describes one group: its size, median, quartiles (R's default quantile definition,
// type 7: the quantile p lies at position 1 + (n - 1) p of the sorted values, interpolated
// linearly), extremes, and its ranks in the whole ranking.
struct GroupDescription {
    std::uint64_t n = 0;
    double median = 0;
    double q1 = 0;
    double q3 = 0;
    double min = 0;
    double max = 0;
    double meanRank = 0;
    double rankSum = 0;
};

// The description of every group, in the groups' order.
std::vector<GroupDescription> describeGroups(const RankProfile& profile);

// The quantile p (0..1) of a group's values by R's type 7.
double groupQuantile(const RankProfile& profile, int group, double p);

} // namespace kw
