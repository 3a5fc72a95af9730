#include "core/plots/comparisondetails.h"

#include "core/base/failure.h"
#include "core/stats/probabilities.h"
#include "core/stats/rankprofile.h"

namespace kw {

Details comparisonDetails(const GroupedCases& cases, const DetailsRequest& request,
                          Feedback* feedback) {
    Details details;
    details.request = request;
    details.groups = cases.groupValues;
    const std::optional<int> control = controlPosition(details.groups, request);
    const RankProfile profile = rankProfile(cases);
    const int k = profile.groupCount();
    details.h = kruskalWallisH(profile);
    details.df = k - 1;
    details.caseCount = profile.caseCount;
    details.descriptives = describeGroups(profile);
    details.pValue.asymptotic = probability::chiSquareUpper(details.h, details.df);
    details.pValue.p = details.pValue.asymptotic;
    try {
        details.pairwise =
            comparePairs(profile, request.method, request.adjustment, control, feedback);
    } catch (const Failure& failure) {
        if (failure.reason() != Failure::Reason::noStatistic) {
            throw;
        }
        details.pairwise = PairwiseComparisons{request.method, request.adjustment, control, {}};
        return details;
    }
    if (!control) {
        details.letters = lettersOfPairs(k, details.pairwise, request.alpha);
    }
    return details;
}

} // namespace kw
