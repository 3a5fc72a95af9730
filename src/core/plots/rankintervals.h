#pragma once

#include "core/stats/descriptives.h"
#include "core/stats/rankprofile.h"

#include <cstdint>
#include <vector>

namespace kw {

// A group's mean rank in the whole ranking with an interval around it.
//
// The standard error is that of the mean of n_i ranks drawn without replacement from the N
// ranks of all cases (their midranks, so ties count), which is how the ranks fall to the
// groups when the groups do not differ:
//
//   SE_i^2 = S^2 (1/n_i - 1/N),   S^2 = N (N + 1) / 12 - sum(t^3 - t) / (12 (N - 1)),
//
// S^2 being the variance of the N ranks (divisor N - 1), the same S^2 that Dunn's and
// Conover's tests use (without ties it makes N (N + 1) / 12 (1/n_i - 1/N)). It is the variance
// of a mean of a sample drawn without replacement from a finite population (Cochran, Sampling
// Techniques, 3rd ed., 1977, theorem 2.2) with the midranks as the population; Dunn (1964)
// builds his z for a pair of groups from the same S^2 (1/n_i + 1/n_j). The interval is
// mean rank +- z SE_i with z the normal quantile of the level: a group whose interval leaves
// out (N + 1) / 2 ranks apart from the rest at about that level (a normal approximation, as
// the test's own). A group holding every case would have SE 0; one case has the largest SE.
struct RankInterval {
    std::uint64_t n = 0;
    double meanRank = 0;
    double standardError = 0;
    double low = 0;
    double high = 0;
};

struct RankIntervals {
    double level = 0.95;
    double z = 0;
    double expected = 0;     // (N + 1) / 2, every group's mean rank when they do not differ
    double rankVariance = 0; // S^2
    std::vector<RankInterval> groups;
};

RankIntervals rankIntervals(const RankProfile& profile,
                            const std::vector<GroupDescription>& descriptions, double level = 0.95);

} // namespace kw
