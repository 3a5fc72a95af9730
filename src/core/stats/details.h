#pragma once

#include "core/base/feedback.h"
#include "core/stats/descriptives.h"
#include "core/stats/effectsizes.h"
#include "core/stats/groupedcases.h"
#include "core/stats/padjust.h"
#include "core/stats/pairwise.h"
#include "core/stats/permutationtest.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kw {

// What the statistics beyond the classic test are asked to do: the pairwise method and its
// adjustment, all pairs or each group against a control, how the p of H is found, and the
// resampling (bootstrap intervals and Monte Carlo p draw from the same seed).
struct DetailsRequest {
    PairwiseMethod method = PairwiseMethod::dunn;
    Adjustment adjustment = Adjustment::holm;
    std::optional<std::string> control; // a grouping value
    ExactMode exact = ExactMode::automatic;
    std::optional<std::uint64_t> resamples; // for both; else the defaults below
    std::uint64_t seed = 1;
    double alpha = 0.05; // the letters' level

    static constexpr std::uint64_t bootstrapResamples = 2000;
    static constexpr std::uint64_t monteCarloResamples = 10000;
};

// The statistics beyond the classic test, for the groups of one completed calculation.
struct Details {
    DetailsRequest request;
    std::vector<std::string> groups; // the grouping values, in the groups' order
    std::vector<GroupDescription> descriptives;
    double h = 0; // corrected for ties
    int df = 0;
    std::uint64_t caseCount = 0;
    EffectSizes effectSizes;
    PermutationP pValue;
    PairwiseComparisons pairwise;
    std::vector<std::string> letters; // per group; empty when compared with a control
};

// The position of the request's control group among `groups`, if it names one; a control
// that is not one of the groups is refused (a notice).
std::optional<int> controlPosition(const std::vector<std::string>& groups,
                                   const DetailsRequest& request);

// The compact letters of `groups` groups: those of a pair whose adjusted p is below alpha
// share none.
std::vector<std::string> lettersOfPairs(int groups, const PairwiseComparisons& pairwise,
                                        double alpha);

// Computes them all. A control that is not one of the groups is refused (a notice). Shows
// progress and may be cancelled.
Details computeDetails(const GroupedCases& cases, const DetailsRequest& request,
                       Feedback* feedback = nullptr);

} // namespace kw
