#include "core/plots/plotsummary.h"

#include "core/stats/effectsizes.h"
#include "core/stats/probabilities.h"
#include "core/stats/rankprofile.h"

namespace kw {

PlotSummary summarizeForPlots(const GroupedCases& cases, const Details* details) {
    PlotSummary s;
    s.groupName = cases.groupName;
    s.testName = cases.testName;
    s.groups = cases.groupValues;
    const RankProfile profile = rankProfile(cases);
    s.caseCount = profile.caseCount;
    const std::vector<GroupDescription> descriptions =
        details ? details->descriptives : describeGroups(profile);
    s.df = profile.groupCount() - 1;
    s.h = details ? details->h : kruskalWallisH(profile);
    s.p = details ? details->pValue.asymptotic : probability::chiSquareUpper(s.h, s.df);
    s.boxes = boxSummaries(profile, descriptions);
    s.ranks = rankIntervals(profile, descriptions);
    if (s.caseCount <= maxPointCases) {
        for (const auto& entries : profile.groups) {
            auto& points = s.points.emplace_back();
            for (const RankProfile::Entry& entry : entries) {
                points.push_back({profile.values[entry.value], entry.count});
            }
        }
    }
    if (details) {
        s.letters = details->letters;
        if (!details->pairwise.pairs.empty()) {
            s.pairs = pairMatrix(details->pairwise, profile.groupCount());
        }
        s.alpha = details->request.alpha;
    }
    return s;
}

} // namespace kw
