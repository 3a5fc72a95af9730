#pragma once

#include "core/base/feedback.h"
#include "core/stats/padjust.h"
#include "core/stats/rankprofile.h"

#include <optional>
#include <string_view>
#include <vector>

namespace kw {

// The pairwise comparisons that follow a Kruskal-Wallis test, two-sided.
enum class PairwiseMethod {
    dunn,    // z from the mean ranks of the whole ranking, p from the normal distribution
    conover, // t from the mean ranks and the test's statistic, p from Student's t, N - k df
    dscf     // Dwass-Steel-Critchlow-Fligner: each pair ranked on its own, p from the
             // studentized range of k means (already adjusted for the family)
};

const char* pairwiseMethodName(PairwiseMethod method); // dunn, conover, dscf
std::optional<PairwiseMethod> pairwiseMethodNamed(std::string_view name);

// One pair: the groups by their index, the statistic (positive when the first group ranks
// higher), its degrees of freedom (Conover only), the p-value before and after adjustment, the
// difference of the mean ranks of the whole ranking (first minus second), and for Dunn the
// effect size r = z / sqrt(N).
struct PairComparison {
    int first = 0;
    int second = 0;
    double statistic = 0;
    std::optional<double> df;
    double p = 0;
    double pAdjusted = 0;
    double meanRankDifference = 0;
    std::optional<double> r;
};

struct PairwiseComparisons {
    PairwiseMethod method = PairwiseMethod::dunn;
    Adjustment adjustment = Adjustment::holm; // as applied (none for dscf, whose p is adjusted)
    std::optional<int> control;               // each group against this one, else all pairs
    std::vector<PairComparison> pairs;
};

// Every pair of groups once, the first before the second in the groups' order; with a
// control group (Dunn and Conover only), each other group against it, the control first.
// The p-values are adjusted over the pairs compared (k (k - 1) / 2 or k - 1).
//
// Conover-Iman's S^2 (N - 1 - H) is the sum of squares of the ranks within the groups, summed
// from the profile rather than from H: it keeps its digits where H comes within rounding of
// N - 1.
//
// Refused with a Failure: a control group that is not one of the groups, or one for DSCF
// (reason refusal; its p-values hold for the family of all pairs); all values tied (no
// statistic); for Conover-Iman, every group holding a single value (H = N - 1: no variance
// within the groups, so no statistic, reason noStatistic). A DSCF pair whose values are all
// tied gets W* = 0 and p = 1. Shows progress and may be cancelled (kw::Cancelled).
PairwiseComparisons comparePairs(const RankProfile& profile, PairwiseMethod method,
                                 Adjustment adjustment, std::optional<int> control,
                                 Feedback* feedback = nullptr);

} // namespace kw
