#pragma once

#include "core/stats/groupedcases.h"

#include <cstdint>
#include <vector>

namespace kw {

// How the summary and the multiple comparison order the groups.
enum class SortBy { groupValue = 0, median = 1 };

// The new order of the groups (order[c] is the group in place c): the exchange sort of the
// places, starting from `current`, by median or by grouping value (as whole numbers when the
// groups are treated as numbers, a value that is not one raising "'x' is not a valid integer
// value"; otherwise as texts, byte by byte). Medians are compared as their grid texts read
// back.
std::vector<int> groupOrder(const GroupedCases& cases, const std::vector<int>& current, SortBy by,
                            bool groupsAsTexts);

// The groups in their own order: 0, 1, ..., n - 1.
std::vector<int> identityOrder(int n);

// The critical value of t for the comparison of a test on `caseCount` cases in `groupCount`
// groups at level alpha. Refuses, with a clear message, what it cannot be found for.
double comparisonCritical(std::int64_t caseCount, int groupCount, double alpha);

// The multiple comparison of every pair of groups: a pair differs significantly when their
// mean ranks differ by more than t sqrt(S2 (N - 1 - T) / (N - k)) sqrt(1/n_i + 1/n_j), t the
// critical value of Student's t for N - k degrees of freedom. A difference exactly equal to
// the critical one is not significant.
class PairwiseComparison {
public:
    PairwiseComparison(const GroupedCases& cases, double tCritical);

    // Groups by their index in the cases, 0-based.
    bool significant(std::size_t groupA, std::size_t groupB) const {
        return significant(size_[groupA], rankSum_[groupA], size_[groupB], rankSum_[groupB]);
    }

    // The same from the groups' sizes and rank sums: t A >= B, squared and multiplied out,
    // t^2 w^2 (n_i + n_j) n_i n_j >= (R_i n_j - R_j n_i)^2.
    bool significant(long double sizeA, long double rankSumA, long double sizeB,
                     long double rankSumB) const {
        const long double critical = scale_ * (sizeA + sizeB) * sizeA * sizeB;
        const long double d = rankSumA * sizeB - rankSumB * sizeA;
        return critical < d * d * (1 - tolerance);
    }
    long double size(std::size_t group) const { return size_[group]; }
    long double rankSum(std::size_t group) const { return rankSum_[group]; }

private:
    // Both sides of the comparison carry rounding of a few units in the last place of a long
    // double; within that the two are equal, and an equal difference is not significant.
    static constexpr long double tolerance = 1e-15L;

    std::vector<long double> size_;
    std::vector<long double> rankSum_; // per group, as the summary grid shows it
    long double scale_ = 0;            // t^2 S2 (N - 1 - T) / (N - k)
};

} // namespace kw
