#include "core/stats/descriptives.h"

#include <cmath>

namespace kw {

namespace {

// The value at 1-based position `position` of the group's sorted values.
double orderStatistic(const RankProfile& profile, int group, std::uint64_t position) {
    std::uint64_t seen = 0;
    for (const RankProfile::Entry& entry : profile.groups[std::size_t(group)]) {
        seen += entry.count;
        if (seen >= position) {
            return profile.values[entry.value];
        }
    }
    return profile.values[profile.groups[std::size_t(group)].back().value];
}

} // namespace

double groupQuantile(const RankProfile& profile, int group, double p) {
    // As R's quantile(type = 7): index = 1 + (n - 1) p; the value at floor(index), moved
    // towards the one at ceiling(index) by the fraction, when the two differ.
    const std::uint64_t n = profile.sizes[std::size_t(group)];
    const double index = 1 + static_cast<double>(n - 1) * p;
    const double lo = std::floor(index);
    const double hi = std::ceil(index);
    const double low = orderStatistic(profile, group, static_cast<std::uint64_t>(lo));
    if (!(index > lo)) {
        return low;
    }
    const double high = orderStatistic(profile, group, static_cast<std::uint64_t>(hi));
    if (high == low) {
        return low;
    }
    const double h = index - lo;
    return (1 - h) * low + h * high;
}

std::vector<GroupDescription> describeGroups(const RankProfile& profile) {
    std::vector<GroupDescription> out;
    for (int g = 0; g < profile.groupCount(); ++g) {
        const auto& entries = profile.groups[std::size_t(g)];
        GroupDescription d;
        d.n = profile.sizes[std::size_t(g)];
        d.min = profile.values[entries.front().value];
        d.max = profile.values[entries.back().value];
        // The median as R's median(): the middle value, or the mean of the two middle ones.
        const long double a = orderStatistic(profile, g, (d.n + 1) / 2);
        const long double b = orderStatistic(profile, g, d.n / 2 + 1);
        d.median = d.n % 2 == 1 ? static_cast<double>(a) : static_cast<double>((a + b) / 2);
        d.q1 = groupQuantile(profile, g, 0.25);
        d.q3 = groupQuantile(profile, g, 0.75);
        long double rankSum = 0; // halves times counts: exact
        for (const RankProfile::Entry& entry : entries) {
            rankSum += static_cast<long double>(entry.count) * profile.midranks[entry.value];
        }
        d.rankSum = static_cast<double>(rankSum);
        d.meanRank = static_cast<double>(rankSum / static_cast<long double>(d.n));
        out.push_back(d);
    }
    return out;
}

} // namespace kw
