#pragma once

#include "core/base/locale.h"
#include "core/data/selection.h"
#include "core/data/variablechecks.h"
#include "core/stats/comparison.h"
#include "core/stats/ranking.h"

#include <string>
#include <string_view>
#include <vector>

namespace kw {

// One analysis as the user asks for it: the columns, how the groups are told apart, which
// cases take part, the level of the test. The window fills it from its controls, kwtest from
// its options; analyse() carries it out.
struct AnalysisRequest {
    int groupColumn = 0; // 1-based columns of the data table; 0: none chosen
    int testColumn = 0;
    GroupMode groupMode = GroupMode::numbers;
    std::string missingCode;           // cases whose test text is this are left out
    std::vector<Condition> conditions; // every one must hold for a case to take part
    double alpha = 0.05;               // groups are compared pairwise when p < alpha
    SortBy comparisonOrder = SortBy::groupValue;
    RankingMethod ranking = RankingMethod::automatic;
    Locale locale; // the decimal mark of the texts, and the order of the counts' rows
    // The rows of the counts grid, the spellings in the collation's order: a run that shows
    // or writes no counts leaves them out, and with them a sort of every distinct value.
    bool countRows = true;
    // The cases within each group in the order the sort of the table leaves them, and the
    // table sorted: the groups and ranks grids and the data show it, and the counts' rows
    // (which it implies) take their leads from it. Without it, when no grouping value is
    // written two ways, the cases keep the order of their rows within the groups and the
    // table stays as given; no statistic changes.
    bool caseOrder = true;
};

// The significance level as typed: a number greater than 0 and not greater than 1.
double parseAlpha(std::string_view text, char decimal);

} // namespace kw
