#pragma once

#include "analysis.h"
#include "collation.h"
#include "datatable.h"
#include "feedback.h"
#include "grid.h"
#include "multiplecomp.h"
#include "selection.h"
#include "spreadsheet.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kw {

// "treat grouping variable as:"
enum class GroupMode { texts = 0, numbers = 1 };

// The notebook pages of the window.
enum class Page { input = 0, groups = 1, ranked = 2, output = 3, counts = 4 };

inline constexpr const char* programversion = "10.3";

// The result values of the last calculation.
struct ResultValues {
    double alpha = 0;
    int ngroups = 0;
    std::int64_t ntotal = 0;
    std::int64_t dferror = 0;
    double rankvar = 0;
    double chi2 = 0;
    double pvalue = 0;
};

// The value labels of the 'output' page.
struct OutputLabels {
    std::string groupvar;
    std::string testvar;
    std::string chival;
    std::string dfnr;
    std::string pval;
    std::string mulcomplabel;
};

// Everything the main window keeps on behalf of the analysis, with one operation per user
// action. The window translates its widgets into these calls and shows the state afterwards;
// the batch tool drives the same calls. Refusals and failures are thrown as kw::Failure after
// the state has been changed as the action leaves it.
class Session {
public:
    explicit Session(Locale locale = {});

    const Locale& locale() const { return locale_; }

    // --- The data set
    const DataTable& table() const { return table_; }
    const std::vector<std::string>& variables() const { return variables_; } // chooser items
    int groupcol() const { return groupcol_; }
    int testcol() const { return testcol_; }
    int selcol() const { return selcol_; }
    GroupMode groupmode() const { return groupmode_; }
    void setgroupmode(GroupMode mode) { groupmode_ = mode; }
    const std::string& missing() const { return missing_; }
    void setmissing(std::string code) { missing_ = std::move(code); }
    const std::string& alphatext() const { return alphatext_; }
    void setalphatext(std::string text) { alphatext_ = std::move(text); }
    const std::string& caption() const { return caption_; }
    Page page() const { return page_; }
    void setpage(Page page) { page_ = page; } // the page the user turned to

    // "Read data from Text file": begin (selection and missing-value code cleared), then
    // either cancelled, or a file chosen and read. A file that cannot be read or is malformed
    // leaves the data table and the choices as they were.
    void beginopen();
    void cancelopen();
    void openfile(const std::string& path, Feedback* feedback = nullptr);

    // Replaces the data set with `table` (any reader), resetting the choices.
    void loadtable(DataTable table);

    // "Manual Input": a table of empty cells named var1..varV.
    void manualinput(std::string_view nvarstext, std::string_view ncasestext);
    bool saveinputvisible() const { return saveinputvisible_; }

    // "Save manual Input to text": the table as a space-delimited file.
    void saveinput(const std::string& path) const;

    // An in-place edit of a value cell (col 1..V, row 1..N).
    void editcell(int col, int row, std::string_view text);

    // --- Choosing variables: position in the chooser, -1 for no choice.
    void pickgroup(int position);
    void picktest(int position);
    void pickselection(int position);
    const std::vector<std::string>& valuelist() const { return valuelist_; }

    // --- Case selection
    void addcondition(int selposition, int operatorposition, std::optional<std::string> value);
    void removecondition(int index);
    void clearconditions();
    const ConditionList& conditions() const { return conditions_; }

    // --- The test
    void calculate(Feedback* feedback = nullptr);
    void multisort(SortBy by);
    bool multisortvisible() const { return multisortvisible_; }
    std::optional<SortBy> multisortitem() const { return multisortitem_; }
    bool mulcompvisible() const { return mulcompvisible_; }

    const ResultValues& values() const { return values_; }
    const OutputLabels& labels() const { return labels_; }
    const Grid& groupgrid() const { return *groupgrid_; }
    const Grid& npgrgrid() const { return *npgrgrid_; }
    const Grid& rankgrid() const { return *rankgrid_; }
    const Grid& countgrid() const { return *countgrid_; }
    const Grid& mulcompgrid() const { return *mulcompgrid_; }
    // The same grids, shared, for views that outlive the session's next calculation.
    enum class GridName { groups, summary, ranks, counts, comparison };
    std::shared_ptr<const Grid> sharedgrid(GridName name) const;

    // Whether the last calculation completed (and nothing has been loaded since): the report
    // needs it.
    bool hasresults() const { return hasresults_; }

    // --- The spreadsheet link
    // "&Read data from Excel file", once its dialog is confirmed: the missing-value text
    // becomes the missing-value code, then the block of the named sheet is read through
    // `link` and becomes the data table (names from its first row; empty or blank cells get
    // the missing-value text). The selection, the grouping mode and the results stay.
    struct SheetRange {
        std::string sheet;
        std::string firstcolumn; // letters
        std::string lastcolumn;
        std::string firstrow; // digits
        std::string lastrow;
        std::string missing;
    };
    void readspreadsheet(SpreadsheetLink& link, const SheetRange& range);

    // "&Save results to Excel": refused (with its warning) for more than 250 groups; then,
    // once the dialog is confirmed, the results block written at column/row of a new or
    // named book and a new or named sheet.
    void checkspreadsheetsave() const;
    struct SheetTarget {
        bool newbook = false;
        std::string book;
        bool newsheet = true;
        std::string sheet;
        std::string column; // letters
        std::string row;    // digits
    };
    void savetospreadsheet(SpreadsheetLink& link, const SheetTarget& target) const;

    // "Save Counts To Excel": the counts grid at A1 of a new sheet of the active book.
    void countstospreadsheet(SpreadsheetLink& link) const;

    // --- "Save results to Text"
    void writereport(std::ostream& out) const;
    std::string report() const;
    void savereport(const std::string& path) const;

private:
    void clearinterface();
    void resetchoices();
    bool groupsastexts() const { return groupmode_ == GroupMode::texts; }
    void commitsort(Analysis& analysis); // reorders the table as the analysis found
    void requireresults() const;
    ReportData reportdata() const; // of the last calculation, which must have completed

    Locale locale_;
    DataTable table_;
    std::vector<std::string> variables_;
    int groupcol_ = 0;
    int testcol_ = 0;
    int selcol_ = 0;
    GroupMode groupmode_ = GroupMode::numbers;
    std::string missing_;
    std::string alphatext_;
    std::string caption_;
    Page page_ = Page::input;
    bool saveinputvisible_ = false;
    std::vector<std::string> valuelist_;
    ConditionList conditions_;

    ResultValues values_;
    OutputLabels labels_;
    std::shared_ptr<const Analysis> analysis_;
    std::shared_ptr<const Grid> groupgrid_;
    std::shared_ptr<const Grid> npgrgrid_;
    std::shared_ptr<const Grid> rankgrid_;
    std::shared_ptr<const Grid> countgrid_;
    std::shared_ptr<const Grid> mulcompgrid_;
    std::vector<int> summaryorder_;
    double tcritical_ = 0;
    bool multisortvisible_ = false;
    std::optional<SortBy> multisortitem_;
    bool mulcompvisible_ = true;
    bool hasresults_ = false;
};

inline constexpr const char* windowtitle = "Kruskal Wallis Nonparametric ANOVA:";

} // namespace kw
