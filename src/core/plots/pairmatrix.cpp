#include "core/plots/pairmatrix.h"

#include <limits>

namespace kw {

PairMatrix pairMatrix(const PairwiseComparisons& comparisons, int groupCount) {
    PairMatrix m;
    m.size = groupCount;
    m.pAdjusted.assign(std::size_t(groupCount) * std::size_t(groupCount),
                       std::numeric_limits<double>::quiet_NaN());
    m.method = pairwiseMethodName(comparisons.method);
    m.adjustment = adjustmentName(comparisons.adjustment);
    m.control = comparisons.control.value_or(-1);
    const auto k = std::size_t(groupCount);
    for (const PairComparison& pair : comparisons.pairs) {
        const auto i = std::size_t(pair.first);
        const auto j = std::size_t(pair.second);
        m.pAdjusted[i * k + j] = pair.pAdjusted;
        m.pAdjusted[j * k + i] = pair.pAdjusted;
    }
    return m;
}

} // namespace kw
