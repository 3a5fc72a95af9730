#pragma once

#include "core/stats/pairwise.h"

#include <cmath>
#include <string>
#include <vector>

namespace kw {

// The adjusted p-values of the pairwise comparisons as a symmetric k x k matrix, for the
// triangle heat map: entry (i, j) is the pair of groups i and j, not a number where the pair
// was not compared (the diagonal, and pairs without the control group when each group was
// compared with a control).
struct PairMatrix {
    int size = 0;
    std::vector<double> pAdjusted; // size * size, row by row
    std::string method;            // dunn, conover, dscf
    std::string adjustment;        // none, holm, ...
    int control = -1;              // the control group, or -1 for all pairs

    double at(int i, int j) const {
        return pAdjusted[std::size_t(i) * std::size_t(size) + std::size_t(j)];
    }
    bool compared(int i, int j) const { return !std::isnan(at(i, j)); }
};

PairMatrix pairMatrix(const PairwiseComparisons& comparisons, int groupCount);

} // namespace kw
