#pragma once

#include "core/base/feedback.h"
#include "core/stats/permutationcases.h"

#include <memory>

// The exact permutation distribution of H.
namespace kw::permutation {

// What the exact count takes, estimated before it starts: the state updates (64-bit word
// additions and clearings) and the peak memory.
struct ExactCost {
    double work = 0;
    double bytes = 0;
    double largestLayer = 1; // in cells
    double cells = 0;        // of all layers after the first
    bool complete = true;    // false: the estimate stopped once past its cap
};

// The exact p of H (exactpermutation.cpp explains the programme): its cost, estimated before
// it starts, and the count itself.
class ExactCount {
public:
    explicit ExactCount(const Cases& cases);
    ~ExactCount();
    ExactCount(const ExactCount&) = delete;
    ExactCount& operator=(const ExactCount&) = delete;

    // A cheap lower bound of the work, for data far too large to count.
    static double smallestWork(const Cases& cases);
    // The cost, estimated step by step; stops once past either cap.
    ExactCost cost(double workCap, double bytesCap) const;
    // The share of labellings whose statistic is at least the observed one, as the double
    // nearest to the exact fraction. Shows progress and may be cancelled.
    double p(const ExactCost& cost, Feedback* feedback);

private:
    class Programme;
    std::unique_ptr<Programme> programme_;
};

} // namespace kw::permutation
