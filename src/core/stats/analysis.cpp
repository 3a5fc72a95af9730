#include "core/stats/analysis.h"

#include "core/base/limits.h"
#include "core/stats/distributions.h"
#include "core/stats/grouping.h"
#include "core/stats/ranking.h"

#include <future>

namespace kw {

namespace {

using Order = std::shared_ptr<const std::vector<std::uint32_t>>;

bool chosen(int column, const DataTable& table) {
    return column >= 1 && column <= table.variableCount();
}

} // namespace

AnalysisOutcome analyse(DataTable table, const AnalysisRequest& request, Feedback* feedback) {
    if (!chosen(request.groupColumn, table) || !chosen(request.testColumn, table)) {
        throw Failure::warning("first choose group and test variable", helpVariables);
    }
    const char decimal = request.locale.decimal;
    const bool groupsAsTexts = request.groupMode == GroupMode::texts;
    StageTimers stages(feedback);

    // The keys of the sort, parsed before anything else: a grouping text that is not a number
    // ends the analysis here.
    stages.next("sort keys");
    GroupingKeys keys = groupingKeys(table, request.groupColumn, groupsAsTexts, decimal, feedback);

    stages.next("collect groups");
    std::vector<Condition> conditions = request.conditions;
    conditions.push_back(Condition{request.testColumn, Operator::unequal, request.missingCode});
    std::vector<char> included = includedCases(table, conditions);
    auto cases = std::make_shared<GroupedCases>();
    cases->groupName = table.name(request.groupColumn);
    cases->testName = table.name(request.testColumn);
    cases->decimal = decimal;
    cases->testColumn = table.column(request.testColumn);
    ColumnView groupTexts = table.column(request.groupColumn);

    // When every key has one spelling the groups do not depend on the order of the cases
    // within them: the exchange order is worked out on a thread of its own meanwhile, and the
    // cases are collected in it later.
    std::vector<std::uint32_t> groupOfRow;
    std::future<Order> pendingOrder;
    // Without a key written two ways, the groups are the same whatever the order of the cases
    // in them: a run that shows no case leaves out the exchange sort and the sorted table.
    const bool sortTable = request.caseOrder || request.countRows || !keys.oneTextPerKey;
    if (keys.oneTextPerKey) {
        // The groups are known: their texts need no telling apart.
        groupOfRow = groupsByKeys(*cases, keys, included, groupTexts, std::move(keys.textId));
        keys.textId = {};
        // The key ranks serve only the order now: the thread takes them and lets them go.
        pendingOrder = std::async(std::launch::async,
                                  [ranked = std::move(keys), feedback, sortTable]() mutable {
                                      Order order = groupingOrder(ranked, feedback, sortTable);
                                      ranked = {};
                                      return order;
                                  });
    } else {
        collectCases(*cases, groupingOrder(keys, feedback), included, &keys.textId, groupTexts,
                     feedback);
        groupOfRow = groupsOfRows(*cases);
    }
    auto collectInOrder = [&] {
        if (pendingOrder.valid()) {
            collectCases(*cases, pendingOrder.get(), included, nullptr, groupTexts, feedback);
        }
    };

    AnalysisOutcome outcome;
    outcome.request = request;
    auto finish = [&](AnalysisOutcome::Stage stage) {
        if (sortTable) {
            table.permute(*cases->order);
            cases->useSortedColumn(table.column(request.testColumn));
        }
        outcome.stage = stage;
        outcome.sortedTable = std::move(table);
        outcome.cases = cases;
        return std::move(outcome);
    };

    const int k = cases->groupCount();
    if (cases->groupStart.back() == 0) {
        collectInOrder();
        outcome.stop = Failure::error("no cases selected");
        return finish(AnalysisOutcome::Stage::noCases);
    }
    if (k == 1) {
        collectInOrder();
        outcome.stop = Failure::error("all cases in one group");
        return finish(AnalysisOutcome::Stage::oneGroup);
    }
    if (k > maxSheetGroups && feedback != nullptr) {
        feedback->warning(Failure::warning("You have more then 250 groups. You can do a test but "
                                           "your computer will crash when you attempt to save "
                                           "the results to Excel",
                                           helpSheetSave));
    }

    stages.next("rank and count");
    const Ranking ranking = rankCases(*cases, std::move(groupOfRow), request.locale.collate(),
                                      request.ranking, request.countRows, feedback);
    collectInOrder();
    if (!ranking.allNumbers) {
        if (!sortTable) {
            // The text named is the first in the order the table's sort leaves: found again
            // in that order (a refusal, so the time does not matter).
            AnalysisRequest ordered = request;
            ordered.caseOrder = true;
            return analyse(std::move(table), ordered, feedback);
        }
        throw notANumber(firstNonNumber(*cases));
    }
    chooseCountLeads(*cases, ranking.tiedCountRows);
    // What the grouping and the ranking needed goes before the table is reordered.
    keys = {};
    included = {};
    groupTexts = {};

    stages.next("statistic");
    const auto n = static_cast<std::int64_t>(cases->cases.size());
    const long double s2 = cases->sumSquaresMinusC / static_cast<long double>(n - 1);
    TestValues& values = outcome.values;
    values.alpha = request.alpha;
    values.caseCount = n;
    values.rankVariance = static_cast<double>(s2);
    outcome.groupOrder = identityOrder(k);
    if (s2 != 0) {
        values.chiSquare = static_cast<double>(cases->sumGroupsMinusC / s2);
        values.pValue = chiSquareUpper(k - 1, values.chiSquare);
        values.errorDf = n - k;
        values.groupCount = k;
        if (values.pValue < request.alpha) {
            // The comparison shows the groups by grouping value first, whatever it is asked
            // to show them by; values that are not whole numbers fail here.
            outcome.groupOrder =
                groupOrder(*cases, outcome.groupOrder, SortBy::groupValue, groupsAsTexts);
            if (request.comparisonOrder != SortBy::groupValue) {
                outcome.groupOrder =
                    groupOrder(*cases, outcome.groupOrder, request.comparisonOrder, groupsAsTexts);
            }
        }
    }

    stages.next("reorder table");
    if (s2 == 0) {
        outcome.stop = Failure(Failure::Reason::noStatistic, "Floating point division by zero");
        return finish(AnalysisOutcome::Stage::noVariance);
    }
    if (!(values.pValue < request.alpha)) {
        return finish(AnalysisOutcome::Stage::notSignificant);
    }
    try {
        const double t = comparisonCritical(n, k, request.alpha);
        outcome.comparison = std::make_shared<const PairwiseComparison>(*cases, t);
    } catch (const Failure& failure) {
        outcome.stop = failure;
        return finish(AnalysisOutcome::Stage::noComparison);
    }
    return finish(AnalysisOutcome::Stage::compared);
}

} // namespace kw
