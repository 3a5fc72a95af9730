#pragma once

#include "core/base/feedback.h"
#include "core/base/locale.h"
#include "core/data/datatable.h"
#include "core/data/selection.h"
#include "core/data/variablechecks.h"
#include "core/results/grid.h"
#include "core/session/viewstate.h"
#include "core/sheet/sheettransfer.h"
#include "core/sheet/spreadsheetlink.h"
#include "core/stats/analysis.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// The result grids of the window's pages, as the last calculation left them.
struct ResultGrids {
    std::shared_ptr<const Grid> groups;     // 'groups', lower part: the test texts of each group
    std::shared_ptr<const Grid> summary;    // 'groups', upper part: number, rank sum, median
    std::shared_ptr<const Grid> ranks;      // 'ranked'
    std::shared_ptr<const Grid> counts;     // 'counts'
    std::shared_ptr<const Grid> comparison; // 'output': the multiple comparison
};

// Everything the window keeps on behalf of the user's work: the data set and the choices
// made on it, the results of the last calculation, and what the window shows. One operation
// per user action; the window turns its widgets into these calls and shows the state
// afterwards, and kwtest runs its request through the same session. Refusals and failures
// are thrown as kw::Failure after the state has been changed as the action leaves it.
//
// Long work (reading a file, the analysis, the spreadsheet) runs in functions of the core
// that need no session, so that the window can run them on another thread: the session only
// starts and applies them.
class Session {
public:
    explicit Session(Locale locale = {});

    const Locale& locale() const { return locale_; }

    // --- The data set
    const DataTable& table() const { return table_; }
    const std::vector<std::string>& variables() const { return table_.names(); } // the choosers
    int groupColumn() const { return groupColumn_; } // 1-based; 0: none chosen
    int testColumn() const { return testColumn_; }
    int selectionColumn() const { return selectionColumn_; }
    GroupMode groupMode() const { return groupMode_; }
    void setGroupMode(GroupMode mode) { groupMode_ = mode; }
    const std::string& missingCode() const { return missingCode_; }
    void setMissingCode(std::string code) { missingCode_ = std::move(code); }
    const std::string& alphaText() const { return alphaText_; }
    void setAlphaText(std::string text) { alphaText_ = std::move(text); }

    // "Read data from Text file", in its steps: begin (the selection and the missing-value
    // code are cleared), then either cancel, or start with the file chosen (the results are
    // cleared and the caption names the file), read it (readTextFile, off the session) and
    // load the table. A file that cannot be read leaves the data and the choices as they were.
    void beginReading();
    void cancelReading();
    void startReadingFile(const std::string& path);
    // Replaces the data set with `table` (any reader's), the choices reset.
    void loadTable(DataTable table);
    // Replaces the data set with a table imported from another program's file (or pasted):
    // the selection and the results are cleared, the caption names the source (unless it is
    // empty), the choices reset, and the code that the table's missing cells received becomes
    // the missing-value code.
    void loadImportedTable(DataTable table, const std::string& source, std::string missingCode);

    // "Manual Input": a table of empty cells named var1..varV.
    void manualInput(std::string_view variablesText, std::string_view casesText);
    // "Save manual Input to text": the table as a space-delimited file.
    void saveInput(const std::string& path) const;
    // An in-place edit of a value cell (col 1..V, row 1..N); other cells are not editable.
    void editCell(int col, int row, std::string_view text);
    // A new name for variable col (1..V) of typed input: refused when empty, holding a blank
    // (the names are saved blank-separated) or already another variable's. The choices of
    // variables are reset, since the choosers list the names.
    void renameVariable(int col, std::string_view name);

    // --- Choosing variables: position in the chooser, -1 for no choice.
    void pickGroup(int position);
    void pickTest(int position);
    void pickSelection(int position);
    const std::vector<std::string>& valueList() const { return valueList_; }

    // --- Case selection
    void addCondition(int selectionPosition, int operatorPosition,
                      std::optional<std::string> value);
    void removeCondition(int index);
    void clearConditions();
    const ConditionList& conditions() const { return conditions_; }

    // --- The test
    // "calculate" as a request: the choices, the conditions and the level (the alpha text
    // parsed here, and refused when it is not a level).
    AnalysisRequest analysisRequest() const;
    // Takes what an analysis (analyse) found: the sorted table, the missing-value condition
    // appended to the selection, the grids, values and labels of the stage it reached; then
    // throws the outcome's stop, if any.
    void applyAnalysis(AnalysisOutcome outcome);
    // "multiple comparison sorted by:": the summary and the comparison in another order.
    void sortComparison(SortBy by);

    // Whether the last calculation completed (and nothing has been loaded since).
    bool hasResults() const { return hasResults_; }
    const TestValues& values() const { return values_; }
    const ResultGrids& grids() const { return grids_; }
    // The grouped and ranked cases of the last calculation that got that far (nullptr
    // before): what the statistics beyond the test are computed from.
    std::shared_ptr<const GroupedCases> groupedCases() const { return cases_; }

    const ViewState& view() const { return view_; }
    void setPage(Page page) { view_.page = page; } // the page the user turned to

    // --- The spreadsheet link
    // "&Read data from Excel file", once its dialog is confirmed: the range's text for empty
    // cells becomes the missing-value code (setMissingCode), then the block is read
    // (readSheetBlock) and loaded here, keeping the corner's label, the selection, the
    // grouping mode and the results.
    void loadSheetTable(DataTable table);

    // "&Save results to Excel": refused (with its warning) for more than maxSheetGroups
    // groups; the blocks of the results and of the counts; and the saves at once.
    void checkSheetSave() const;
    ValueTable resultsBlock() const;
    ValueTable countsBlock() const;
    void saveToSheet(SpreadsheetLink& link, const SheetTarget& target) const;
    void countsToSheet(SpreadsheetLink& link) const;

    // --- "Save results to Text"
    void writeReport(std::ostream& out) const;
    std::string report() const;
    void saveReport(const std::string& path) const;

private:
    void clearResults();
    void resetChoices();
    void requireResults() const;

    Locale locale_;
    DataTable table_;
    int groupColumn_ = 0;
    int testColumn_ = 0;
    int selectionColumn_ = 0;
    GroupMode groupMode_ = GroupMode::numbers;
    std::string missingCode_;
    std::string alphaText_;
    std::vector<std::string> valueList_;
    ConditionList conditions_;

    TestValues values_;
    ResultGrids grids_;
    std::shared_ptr<const GroupedCases> cases_;
    std::shared_ptr<const PairwiseComparison> comparison_;
    std::vector<int> groupOrder_;
    bool hasResults_ = false;

    ViewState view_;
};

} // namespace kw
