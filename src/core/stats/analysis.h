#pragma once

#include "core/base/feedback.h"
#include "core/data/datatable.h"
#include "core/stats/comparison.h"
#include "core/stats/groupedcases.h"
#include "core/stats/request.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kw {

// The numbers of a test, as the report, the results block and kwtest's JSON give them.
struct TestValues {
    double alpha = 0;
    int groupCount = 0;         // k
    std::int64_t caseCount = 0; // N, the included cases
    std::int64_t errorDf = 0;   // N - k
    double rankVariance = 0;    // S2, the variance of all ranks
    double chiSquare = 0;       // the Kruskal-Wallis statistic, corrected for ties
    double pValue = 0;          // its upper tail under chi-square with k - 1 df
};

// What one analysis found. Whatever its stage, the data table has been sorted by the
// grouping variable and the included cases collected into their groups; each stage adds to
// what the one before it holds:
//
//   noCases         no case was included (stop: "no cases selected")
//   oneGroup        all cases fell into one group (stop: "all cases in one group")
//   noVariance      the cases are ranked, but all values are tied, so that no statistic can
//                   be formed (stop); of the values, alpha, caseCount and rankVariance are set
//   notSignificant  tested: all values set, p >= alpha, no comparison of the groups
//   compared        tested with p < alpha, and every pair of groups compared
//   noComparison    tested with p < alpha, but no critical value of t can be found for the
//                   comparison (stop)
//
// A stop is the failure to report once what was found has been shown.
struct AnalysisOutcome {
    enum class Stage { noCases, oneGroup, noVariance, notSignificant, compared, noComparison };

    AnalysisRequest request;
    Stage stage = Stage::noCases;
    DataTable sortedTable;
    std::shared_ptr<const GroupedCases> cases;
    TestValues values;
    std::vector<int> groupOrder; // the groups in the order of the summary and the comparison
    std::shared_ptr<const PairwiseComparison> comparison; // when compared
    std::optional<Failure> stop;
};

// The Kruskal-Wallis test of the request on the table, with the multiple comparison of the
// groups when p < alpha. The table is taken as a copy (a cheap one: its cells are shared
// until one side changes them) and comes back sorted in the outcome (as given when the
// request leaves the case order out and no key is written two ways).
//
// Refusals that leave everything as it was are thrown as kw::Failure: no grouping or test
// variable chosen, a grouping or test text that is not a number where one is needed, grouping
// values treated as numbers that are not whole numbers when the comparison orders them. More
// than maxSheetGroups groups are warned about through the feedback, which also hears of the
// progress and may cancel the work (kw::Cancelled).
AnalysisOutcome analyse(DataTable table, const AnalysisRequest& request,
                        Feedback* feedback = nullptr);

} // namespace kw
