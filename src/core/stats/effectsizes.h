#pragma once

#include "core/base/feedback.h"
#include "core/stats/rankprofile.h"

#include <cstdint>
#include <utility>

namespace kw {

// The effect sizes of the test: epsilon-squared, H / (N - 1), and eta-squared of H,
// (H - k + 1) / (N - k), taken as 0 when negative; H is the statistic corrected for ties.
double epsilonSquared(double h, std::uint64_t caseCount);
double etaSquaredH(double h, std::uint64_t caseCount, int groupCount);

// The effect sizes with two-sided 95 percent percentile bootstrap intervals: `resamples`
// resamples, each drawing every group's cases anew from its own cases with replacement, from
// the random streams of `seed`.
struct EffectSizes {
    double epsilonSquared = 0;
    std::pair<double, double> epsilonSquaredInterval;
    double etaSquared = 0;
    std::pair<double, double> etaSquaredInterval;
    std::uint64_t resamples = 0;
    std::uint64_t seed = 0;
};

// Shows progress and may be cancelled.
EffectSizes effectSizes(const RankProfile& profile, double h, std::uint64_t resamples,
                        std::uint64_t seed, Feedback* feedback = nullptr);

// The statistic H, corrected for ties, of the profile's cases.
double kruskalWallisH(const RankProfile& profile);

} // namespace kw
