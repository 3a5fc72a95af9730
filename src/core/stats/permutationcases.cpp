#include "core/stats/permutationcases.h"

#include <cmath>

namespace kw::permutation {

Cases casesOf(const RankProfile& profile) {
    Cases cases;
    for (std::size_t v = 0; v < profile.values.size(); ++v) {
        if (profile.totals[v] == 0) {
            continue;
        }
        cases.twice.push_back(static_cast<std::uint64_t>(std::llround(2 * profile.midranks[v])));
        cases.tied.push_back(profile.totals[v]);
    }
    for (std::size_t g = 0; g < profile.groups.size(); ++g) {
        if (profile.sizes[g] == 0) {
            continue;
        }
        std::uint64_t sum = 0;
        for (const RankProfile::Entry& e : profile.groups[g]) {
            sum +=
                e.count * static_cast<std::uint64_t>(std::llround(2 * profile.midranks[e.value]));
        }
        cases.sizes.push_back(profile.sizes[g]);
        cases.observed.push_back(sum);
        cases.n += profile.sizes[g];
    }
    for (std::size_t v = 0; v < cases.twice.size(); ++v) {
        cases.total += cases.twice[v] * cases.tied[v];
    }
    return cases;
}

} // namespace kw::permutation
