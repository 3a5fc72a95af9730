#include "core/stats/groupedcases.h"

#include "core/base/numbers.h"

#include <algorithm>

namespace kw {

std::uint32_t GroupedCases::largestGroup() const {
    std::uint32_t m = 0;
    for (int g = 0; g < groupCount(); ++g) {
        m = std::max(m, groupSize(g));
    }
    return m;
}

std::uint32_t GroupedCases::count(std::size_t j, int g) const {
    const std::uint32_t s = countOrder[j];
    auto first = countGroup.begin() + countStart[s];
    auto last = countGroup.begin() + countStart[s + 1];
    auto it = std::lower_bound(first, last, static_cast<std::uint32_t>(g));
    if (it == last || *it != static_cast<std::uint32_t>(g)) {
        return 0;
    }
    return countNumber[static_cast<std::size_t>(it - countGroup.begin())];
}

double GroupedCases::rankOf(std::size_t i) const {
    // The value is read from the text again: keeping it for every case would cost the
    // calculation memory and a write per case.
    const double v = *parseReal(testText(i), decimal);
    const auto at = std::lower_bound(distinctValues.begin(), distinctValues.end(), v);
    return static_cast<double>(twiceRank[static_cast<std::size_t>(at - distinctValues.begin())]) /
           2;
}

} // namespace kw
