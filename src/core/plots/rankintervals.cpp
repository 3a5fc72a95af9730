#include "core/plots/rankintervals.h"

#include "core/stats/probabilities.h"

#include <cmath>

namespace kw {

RankIntervals rankIntervals(const RankProfile& profile,
                            const std::vector<GroupDescription>& descriptions, double level) {
    RankIntervals out;
    out.level = level;
    out.z = probability::normalQuantile(1 - (1 - level) / 2);
    const auto n = static_cast<long double>(profile.caseCount);
    out.expected = static_cast<double>((n + 1) / 2);
    if (profile.caseCount > 1) {
        out.rankVariance = static_cast<double>(
            n * (n + 1) / 12 - static_cast<long double>(profile.tieSum()) / (12 * (n - 1)));
    }
    for (const GroupDescription& d : descriptions) {
        RankInterval r;
        r.n = d.n;
        r.meanRank = d.meanRank;
        const long double share = 1 / static_cast<long double>(d.n) - 1 / n; // 1/n_i - 1/N, >= 0
        r.standardError = std::sqrt(static_cast<double>(static_cast<long double>(out.rankVariance) *
                                                        (share > 0 ? share : 0)));
        r.low = r.meanRank - out.z * r.standardError;
        r.high = r.meanRank + out.z * r.standardError;
        out.groups.push_back(r);
    }
    return out;
}

} // namespace kw
