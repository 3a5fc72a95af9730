#include "core/stats/rankprofile.h"

namespace kw {

double RankProfile::tieSum() const {
    double sum = 0;
    for (const std::uint64_t t : totals) {
        const auto x = static_cast<double>(t);
        sum += x * x * x - x;
    }
    return sum;
}

RankProfile rankProfile(const GroupedCases& cases) {
    RankProfile profile;
    const std::size_t d = cases.distinctValues.size();
    profile.values = cases.distinctValues;
    profile.midranks.resize(d);
    for (std::size_t v = 0; v < d; ++v) {
        profile.midranks[v] = static_cast<double>(cases.twiceRank[v]) / 2;
    }
    profile.totals.assign(d, 0);
    const auto k = static_cast<std::size_t>(cases.groupCount());
    profile.groups.resize(k);
    profile.sizes.resize(k);
    for (std::size_t g = 0; g < k; ++g) {
        profile.sizes[g] = cases.groupSize(int(g));
        profile.caseCount += profile.sizes[g];
    }
    // The spellings come in value order, each with its counts by group: spellings of one value
    // follow each other, and are merged into one entry per group.
    const std::size_t spellings = cases.spellingValue.size();
    for (std::size_t s = 0; s < spellings; ++s) {
        const std::uint32_t value = cases.spellingValue[s];
        for (std::uint32_t e = cases.countStart[s]; e < cases.countStart[s + 1]; ++e) {
            auto& entries = profile.groups[cases.countGroup[e]];
            const std::uint32_t count = cases.countNumber[e];
            if (!entries.empty() && entries.back().value == value) {
                entries.back().count += count;
            } else {
                entries.push_back({value, count});
            }
            profile.totals[value] += count;
        }
    }
    return profile;
}

} // namespace kw
