#pragma once

#include "core/stats/details.h"
#include "core/stats/groupedcases.h"

namespace kw {

// What the plots take of the statistics beyond the test, without the resampling that the
// others cost: the descriptives, H with its asymptotic p, the pairwise comparisons and the
// letters, as computeDetails gives them; the effect sizes and the permutation p stay empty.
// A control that is not one of the groups is refused as computeDetails refuses it; data that
// allow no pairwise statistic leave the comparisons and letters empty.
Details comparisonDetails(const GroupedCases& cases, const DetailsRequest& request,
                          Feedback* feedback = nullptr);

} // namespace kw
