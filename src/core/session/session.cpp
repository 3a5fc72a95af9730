#include "core/session/session.h"

#include "core/base/limits.h"
#include "core/base/numbers.h"
#include "core/data/valuelist.h"
#include "core/io/safefile.h"
#include "core/io/textwriter.h"
#include "core/results/comparisongrid.h"
#include "core/results/groupgrids.h"
#include "core/results/report.h"
#include "core/sheet/sheetblocks.h"

#include <algorithm>
#include <sstream>

namespace kw {

namespace {

constexpr const char* clearedLabel = "-----";
constexpr const char* initialLabel = "----------";

int checkedPosition(int position, std::size_t count) {
    return position >= 0 && static_cast<std::size_t>(position) < count ? position : -1;
}

template <class Grid> std::shared_ptr<const kw::Grid> blankAs(const std::shared_ptr<Grid>& grid) {
    return std::make_shared<BlankGrid>(grid->columnCount(), grid->rowCount());
}

} // namespace

Session::Session(Locale locale) : locale_(locale) {
    alphaText_ = formatGeneral(0.05, 15, locale_.decimal);
    OutputLabels& labels = view_.labels;
    labels.groupName = labels.testName = labels.chiSquare = labels.degreesOfFreedom =
        labels.pValue = initialLabel;
    grids_.groups = std::make_shared<BlankGrid>(1, 2);
    grids_.summary = std::make_shared<BlankGrid>(1, 4);
    grids_.ranks = std::make_shared<BlankGrid>(2, 2);
    grids_.counts = std::make_shared<BlankGrid>(2, 2);
    grids_.comparison = std::make_shared<BlankGrid>(5, 5);
}

// --- The data set

void Session::clearResults() {
    // The result grids keep their size with empty cells; the labels show dashes.
    grids_.groups = blankAs(grids_.groups);
    grids_.summary = blankAs(grids_.summary);
    grids_.ranks = blankAs(grids_.ranks);
    grids_.counts = blankAs(grids_.counts);
    grids_.comparison = blankAs(grids_.comparison);
    OutputLabels& labels = view_.labels;
    labels.groupName = labels.testName = labels.chiSquare = labels.degreesOfFreedom =
        labels.pValue = clearedLabel;
    hasResults_ = false;
}

void Session::resetChoices() {
    groupColumn_ = testColumn_ = selectionColumn_ = 0;
    valueList_.clear();
    view_.sortChoiceVisible = false;
}

void Session::beginReading() {
    clearConditions();
    missingCode_.clear();
}

void Session::cancelReading() {
    resetChoices();
}

void Session::startReadingFile(const std::string& path) {
    clearResults();
    view_.caption = std::string(windowTitle) + " " + path;
    view_.page = Page::input;
}

void Session::loadTable(DataTable table) {
    table_ = std::move(table);
    resetChoices();
}

void Session::loadImportedTable(DataTable table, const std::string& source,
                                std::string missingCode) {
    clearConditions();
    clearResults();
    if (!source.empty()) {
        view_.caption = std::string(windowTitle) + " " + source;
    }
    view_.page = Page::input;
    table_ = std::move(table);
    resetChoices();
    missingCode_ = std::move(missingCode);
}

void Session::manualInput(std::string_view variablesText, std::string_view casesText) {
    const auto variables = parseInteger(variablesText);
    if (!variables) {
        throw notAWholeNumber(variablesText);
    }
    const auto cases = parseInteger(casesText);
    if (!cases) {
        throw notAWholeNumber(casesText);
    }
    if (*variables < 2) {
        throw Failure::error("the number of variables must be at least 2: a grouping variable "
                             "and a test variable");
    }
    if (*cases < 1) {
        throw Failure::error("the number of cases must be at least 1");
    }
    if (static_cast<long long>(*variables) * *cases > maxTypedCells) {
        throw Failure::error("a table of " + std::to_string(*variables) + " variables and " +
                             std::to_string(*cases) + " cases is more than can be typed in");
    }
    view_.page = Page::input;
    clearResults();
    std::vector<std::string> names;
    for (int k = 1; k <= *variables; ++k) {
        names.push_back("var" + std::to_string(k));
    }
    table_ = DataTable::blank(std::move(names), *cases);
    resetChoices();
    view_.saveInputVisible = true;
}

void Session::saveInput(const std::string& path) const {
    saveTextTable(path, table_);
}

void Session::editCell(int col, int row, std::string_view text) {
    if (col >= 1 && col <= table_.variableCount() && row >= 1 && row <= table_.caseCount()) {
        table_.setValue(col, row, text);
    }
}

void Session::renameVariable(int col, std::string_view name) {
    if (col < 1 || col > table_.variableCount() || table_.name(col) == name) {
        return;
    }
    if (name.empty() || name.find_first_of(" \t") != std::string_view::npos) {
        throw Failure::error("a variable name must not be empty or hold blanks");
    }
    const auto& names = table_.names();
    if (std::find(names.begin(), names.end(), name) != names.end()) {
        throw Failure::error("there is already a variable named '" + std::string(name) + "'");
    }
    table_.rename(col, std::string(name));
    resetChoices();
}

// --- Choosing variables

void Session::pickGroup(int position) {
    groupColumn_ = checkedPosition(position, variables().size()) + 1;
    if (groupColumn_ == 0) {
        return;
    }
    try {
        groupMode_ = checkGroupingVariable(table_, groupColumn_);
    } catch (const Failure&) {
        groupColumn_ = 0;
        groupMode_ = GroupMode::numbers;
        throw;
    }
}

void Session::pickTest(int position) {
    testColumn_ = checkedPosition(position, variables().size()) + 1;
    if (testColumn_ == 0) {
        return;
    }
    try {
        checkTestVariable(table_, testColumn_);
    } catch (const Failure&) {
        testColumn_ = 0;
        throw;
    }
}

void Session::pickSelection(int position) {
    selectionColumn_ = checkedPosition(position, variables().size()) + 1;
    valueList_.clear();
    if (selectionColumn_ == 0) {
        return;
    }
    try {
        checkSelectionVariable(table_, selectionColumn_);
    } catch (const Failure&) {
        selectionColumn_ = 0;
        throw;
    }
    valueList_ = kw::valueList(table_, selectionColumn_, locale_.collate());
}

// --- Case selection

void Session::addCondition(int selectionPosition, int operatorPosition,
                           std::optional<std::string> value) {
    selectionPosition = checkedPosition(selectionPosition, variables().size());
    if (selectionPosition < 0) {
        throw Failure::error("no variable selected", helpSelection);
    }
    if (!value) {
        throw Failure::error("no value selected", helpSelection);
    }
    if (operatorPosition != 0 && operatorPosition != 1) {
        throw Failure::error("no operator selected", helpSelection);
    }
    const auto op = operatorPosition == 0 ? Operator::equal : Operator::unequal;
    std::string line = variables()[std::size_t(selectionPosition)] + operatorItem(op) + *value;
    conditions_.add(Condition{selectionPosition + 1, op, std::move(*value)}, std::move(line));
}

void Session::removeCondition(int index) {
    conditions_.remove(index);
}

void Session::clearConditions() {
    conditions_.clear();
    valueList_.clear();
}

// --- The test

AnalysisRequest Session::analysisRequest() const {
    AnalysisRequest request;
    request.alpha = parseAlpha(alphaText_, locale_.decimal);
    request.groupColumn = groupColumn_;
    request.testColumn = testColumn_;
    request.groupMode = groupMode_;
    request.missingCode = missingCode_;
    request.conditions = conditions_.conditions();
    request.locale = locale_;
    return request;
}

void Session::applyAnalysis(AnalysisOutcome outcome) {
    using Stage = AnalysisOutcome::Stage;
    const AnalysisRequest& request = outcome.request;
    const std::shared_ptr<const GroupedCases>& cases = outcome.cases;

    // Whatever the stage, the table is sorted and the missing-value condition appended.
    table_ = std::move(outcome.sortedTable);
    conditions_.add(Condition{request.testColumn, Operator::unequal, request.missingCode},
                    table_.name(request.testColumn) + operatorItem(Operator::unequal) +
                        request.missingCode);
    auto stop = [&] {
        hasResults_ = false;
        view_.sortChoiceVisible = false;
        throw *outcome.stop;
    };
    if (outcome.stage == Stage::noCases) {
        view_.page = Page::groups;
        grids_.groups = std::make_shared<BlankGrid>(1, 2);
        grids_.summary = std::make_shared<BlankGrid>(1, 4);
        stop();
    }
    if (outcome.stage == Stage::oneGroup) {
        view_.page = Page::groups;
        grids_.groups = std::make_shared<GroupGrid>(cases);
        grids_.summary = std::make_shared<SummaryGrid>(cases, identityOrder(1));
        stop();
    }

    const int k = cases->groupCount();
    cases_ = cases;
    grids_.groups = std::make_shared<GroupGrid>(cases);
    grids_.summary = std::make_shared<SummaryGrid>(cases, identityOrder(k));
    grids_.ranks = std::make_shared<RankGrid>(cases);
    if (outcome.stage == Stage::noVariance) {
        // The statistic was not formed: of the values only these are new.
        values_.alpha = outcome.values.alpha;
        values_.caseCount = outcome.values.caseCount;
        values_.rankVariance = outcome.values.rankVariance;
        view_.page = Page::ranked;
        stop();
    }
    values_ = outcome.values;

    OutputLabels& labels = view_.labels;
    const char decimal = locale_.decimal;
    labels.groupName = cases->groupName;
    labels.testName = cases->testName;
    labels.chiSquare = formatStatistic(values_.chiSquare, decimal);
    labels.degreesOfFreedom = std::to_string(k - 1);
    labels.pValue = formatGeneral(values_.pValue, 3, decimal);
    view_.page = Page::output;

    if (outcome.stage == Stage::notSignificant) {
        labels.comparisonHeading = "no multiple comparison of groups:";
        view_.comparisonVisible = false;
        view_.sortChoiceVisible = false;
    } else {
        labels.comparisonHeading = "multiple comparison of groups:";
        view_.sortChoiceVisible = true;
        view_.sortChoice = request.comparisonOrder;
        groupOrder_ = outcome.groupOrder;
        grids_.summary = std::make_shared<SummaryGrid>(cases, groupOrder_);
        if (outcome.stage == Stage::noComparison) {
            stop();
        }
        comparison_ = outcome.comparison;
        grids_.comparison = std::make_shared<ComparisonGrid>(cases, groupOrder_, comparison_);
        view_.comparisonVisible = true;
    }
    if (outcome.request.countRows) {
        grids_.counts = std::make_shared<CountGrid>(cases);
    } else {
        grids_.counts = std::make_shared<BlankGrid>(2, 2);
    }
    hasResults_ = true;
}

void Session::sortComparison(SortBy by) {
    if (!cases_ || !view_.sortChoiceVisible) {
        return;
    }
    std::vector<int> order = groupOrder(*cases_, groupOrder_, by, groupMode_ == GroupMode::texts);
    view_.sortChoice = by;
    groupOrder_ = order;
    grids_.summary = std::make_shared<SummaryGrid>(cases_, order);
    grids_.comparison = std::make_shared<ComparisonGrid>(cases_, std::move(order), comparison_);
    view_.comparisonVisible = true;
    view_.page = Page::output;
}

// --- The spreadsheet link

void Session::loadSheetTable(DataTable table) {
    table.setLabel(table_.label()); // the corner keeps its label
    loadTable(std::move(table));
}

void Session::checkSheetSave() const {
    if (hasResults_ && values_.groupCount > maxSheetGroups) {
        throw Failure::warning(
            "You have more then 250 groups. You can not save the results to Excel", helpSheetSave);
    }
}

namespace {

ReportData reportData(const GroupedCases& cases, const TestValues& values, const Grid& comparison) {
    ReportData data;
    data.groupName = cases.groupName;
    data.testName = cases.testName;
    data.chiSquare = values.chiSquare;
    data.groupCount = values.groupCount;
    data.pValue = values.pValue;
    data.alpha = values.alpha;
    data.comparisonGrid = &comparison;
    return data;
}

} // namespace

ValueTable Session::resultsBlock() const {
    requireResults();
    const ResultsBlockData data{reportData(*cases_, values_, *grids_.comparison), locale_.date()};
    return kw::resultsBlock(data, locale_.decimal);
}

ValueTable Session::countsBlock() const {
    return kw::countsBlock(*grids_.counts, locale_.decimal);
}

void Session::saveToSheet(SpreadsheetLink& link, const SheetTarget& target) const {
    requireResults();
    checkSheetSave();
    writeResultsBlock(link, target, resultsBlock(), locale_.decimal);
}

void Session::countsToSheet(SpreadsheetLink& link) const {
    writeCountsBlock(link, countsBlock(), locale_.decimal);
}

// --- The report

void Session::requireResults() const {
    if (!hasResults_ || !cases_) {
        throw Failure::error("there are no results to save yet: press calculate first");
    }
}

void Session::writeReport(std::ostream& out) const {
    requireResults();
    kw::writeReport(out, reportData(*cases_, values_, *grids_.comparison));
}

std::string Session::report() const {
    std::ostringstream out;
    writeReport(out);
    return out.str();
}

void Session::saveReport(const std::string& path) const {
    requireResults();
    writeFileSafely(path, [&](std::ostream& out) { writeReport(out); });
}

} // namespace kw
