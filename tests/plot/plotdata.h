#pragma once

#include "core/plots/comparisondetails.h"
#include "core/plots/plotsummary.h"
#include "support/profiles.h"

#include <string>

namespace kw::test {

// The plots' summary of groups given as texts, with their pairwise comparisons (Dunn, Holm).
inline PlotSummary plotSummaryOf(const GroupValues& groups) {
    const auto outcome = analysedGroups(groups);
    DetailsRequest request;
    const Details details = comparisonDetails(*outcome.cases, request);
    return summarizeForPlots(*outcome.cases, &details);
}

// k groups named by `name(i)` (their names sort as i does), group i holding `size` cases
// around i, so that the groups differ.
template <typename Name> PlotSummary manyGroups(int k, int size, Name name) {
    GroupValues groups;
    for (int i = 0; i < k; ++i) {
        auto& group = groups.emplace_back(name(i), std::vector<std::string>{});
        for (int j = 0; j < size; ++j) {
            group.second.push_back(std::to_string(i * 3 + (j * 7) % 11));
        }
    }
    return plotSummaryOf(groups);
}

} // namespace kw::test
