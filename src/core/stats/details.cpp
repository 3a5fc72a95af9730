#include "core/stats/details.h"

#include "core/base/failure.h"
#include "core/stats/letters.h"
#include "core/stats/rankprofile.h"

#include <algorithm>

namespace kw {

std::vector<std::string> lettersOfPairs(int groups, const PairwiseComparisons& pairwise,
                                        double alpha) {
    std::vector<std::pair<int, int>> differing;
    for (const PairComparison& pair : pairwise.pairs) {
        if (pair.pAdjusted < alpha) {
            differing.emplace_back(pair.first, pair.second);
        }
    }
    return compactLetters(groups, differing);
}

std::optional<int> controlPosition(const std::vector<std::string>& groups,
                                   const DetailsRequest& request) {
    if (!request.control) {
        return std::nullopt;
    }
    const auto it = std::find(groups.begin(), groups.end(), *request.control);
    if (it == groups.end()) {
        throw Failure::error("there is no group " + quotedValue(*request.control) +
                             " to compare the other groups with");
    }
    return static_cast<int>(it - groups.begin());
}

Details computeDetails(const GroupedCases& cases, const DetailsRequest& request,
                       Feedback* feedback) {
    Details details;
    details.request = request;
    details.groups = cases.groupValues;
    const std::optional<int> control = controlPosition(details.groups, request);
    StageTimers stages(feedback);
    stages.next("  descriptives");
    const RankProfile profile = rankProfile(cases);
    const int k = profile.groupCount();
    details.h = kruskalWallisH(profile);
    details.df = k - 1;
    details.caseCount = profile.caseCount;
    details.descriptives = describeGroups(profile);
    stages.next("  bootstrap");
    details.effectSizes = effectSizes(
        profile, details.h, request.resamples.value_or(DetailsRequest::bootstrapResamples),
        request.seed, feedback);
    stages.next("  p of H");
    details.pValue = permutationP(profile, details.h, request.exact,
                                  request.resamples.value_or(DetailsRequest::monteCarloResamples),
                                  request.seed, feedback);
    stages.next("  pairwise");
    details.pairwise = comparePairs(profile, request.method, request.adjustment, control, feedback);
    if (!control) {
        stages.next("  letters");
        details.letters = lettersOfPairs(k, details.pairwise, request.alpha);
    }
    return details;
}

} // namespace kw
