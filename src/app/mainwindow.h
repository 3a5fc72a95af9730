#pragma once

#include "app/sheets/linkfactory.h"
#include "app/work/workrunner.h"
#include "core/io/importoptions.h"
#include "core/session/session.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QMimeData;
class QTabWidget;

namespace kw {
struct Details;
class Workbook;
} // namespace kw

namespace kw::plot {
struct ReportContent;
} // namespace kw::plot

namespace kw::app {

class CountsPage;
class DataTableView;
class DetailsPage;
class GroupsPage;
class OutputPage;
class PanelScrollArea;
class PlotsPage;
class RecoveryKeeper;
class ResultGridView;
class SelectionPanel;

// The main window: the selection panel at the top, the five pages of data and results and the
// page of the statistics beyond the test below, the File, Edit, Calculate and Help menus. Its
// handlers
// turn what the user does into calls of the session and then show the session. Long work (reading
// a file, the analysis, the spreadsheet) runs a function of the core on another thread, with
// copies of what it needs, and what it finds is applied to the session back on the interface
// thread.
//
// Data files of other programs (delimited text, workbooks, SPSS and Stata files) come in through
// File > Open, Open Recent, a file dropped onto the window, and Edit > Paste of a block of
// cells: an import dialog, the read as work that the user may cancel, and the table loaded
// only when all of it was read, so that a file refused leaves the data as they were.
//
// A table that holds what the user typed (cells typed or changed, a pasted block, a renamed
// variable, a copy restored at start) has unsaved edits until it is saved with "Save manual
// Input to text" or replaced: the title shows it ("[*]"), a copy is kept on disk meanwhile
// (RecoveryKeeper), and whatever would close or replace the table first asks whether to save
// the edits. At start a copy that a program which ended without saving left is offered back.
//
// The controls keep the object names of the program's first version ("groupchoice",
// "calculate", "OKbut" ...; the windows and dialogs are named in camelCase): the window tests and
// accessibility tools find them by these names.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // `links` gives the spreadsheet link when it is first needed.
    explicit MainWindow(std::unique_ptr<LinkFactory> links = defaultLinkFactory(),
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Reads `path` as "Read data from Text file" does, once the window has first been shown
    // (the file named on the command line).
    void openAtStart(const QString& path) { startFile_ = path; }

private slots:
    void readFromSheet();
    void saveResultsToSheet();
    void saveCountsToSheet();
    void openTextFile();
    void startManualInput();
    void saveManualInput();
    void saveReport();
    void saveTablesWorkbook(); // every table of the calculation into one .xlsx
    // The shareable report of the last calculation (app/reportprinting.h).
    void saveHtmlReport();
    void printReport();
    void exportReportPdf();
    void calculate();
    void showHelp();
    void showDisclaimer();
    void showAbout();
    void pickGroupingVariable(int position);
    void pickTestVariable(int position);
    void pickSelectionVariable(int position);
    void addCondition();
    void removeCondition();
    void clearConditions();
    void sortComparison(SortBy by);
    void storeVersion();
    void openDataFile();
    void paste();
    void clearRecentFiles();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Asks for a file with `ask` and writes the report into it with `write`.
    using AskFile = QString (*)(QWidget*);
    using WriteReport = void (*)(const QString&, const plot::ReportContent&);
    void writeReportFile(AskFile ask, WriteReport write);
    void buildMenus();
    // The first size and place: 800 x 600 where the screen has room, within the screen's
    // available area at any scaling, centred.
    void placeOnScreen();
    void startUp();
    void checkVersion();
    // At start: copies of tables left by a previous run, offered back one by one until one is
    // restored (see RecoveryKeeper); those of a program still running are not touched.
    void offerRecovery();
    bool restoreCopy(const QString& path);
    void readTextFile(const QString& path);

    // Reads a data file of the kind given, as File > Open does once it is chosen: the
    // program's own text as "Read data from Text file" reads it, other kinds through their
    // import dialog.
    void openFile(const QString& path, DataFileKind kind);
    void openRecentFile(const QString& path);
    void importDelimited(const QString& path);
    void importPasted(std::string text);
    void importWorkbook(const QString& path);
    void chooseFromWorkbook(const std::shared_ptr<const Workbook>& book, const QString& path);
    void importStatistics(const QString& path);
    // What a read of an import hands back: the table loaded under `source` (the caption's),
    // and the file (if any) put on the recent files.
    WorkRunner::Handback loadImported(std::shared_ptr<DataTable> table, std::string source,
                                      std::string missingCode, QString recentFile = {},
                                      bool asDelimited = false);
    void rememberFile(const QString& path, bool asDelimited);
    void refreshRecentMenu();
    // The local file of a drag, if it carries one.
    static QString droppedFile(const QMimeData* data);
    // A typed table's variable renamed in the grid.
    void renameVariable(int col, const QString& name);
    // Edit > Paste is there for the input page, and for a text box with the focus.
    void updatePaste();
    void pushInputs(); // alpha and the missing-value code as typed, to the session

    // Runs a step of the user's; what it throws is reported. Whether it succeeded.
    bool attempt(const std::function<void()>& step);
    // Shows a failure: a notice of the program's own in the warning dialog, anything else in a
    // message box with its text.
    void report(const Failure& failure);
    void showWarning(const QString& caption, const QString& message, int helpPage);
    // The link to the spreadsheet, made on first use.
    std::shared_ptr<SpreadsheetLink> link();
    // Shows a failure of the link; when no spreadsheet answered, offers to start one.
    void linkFailure(const Failure& failure);

    // Runs work on another thread (see WorkRunner); failures of work `withLink` may offer to
    // start the spreadsheet. `next` follows work that completed (the next step of an import).
    void runWork(WorkRunner::Work work, bool withLink = false,
                 WorkRunner::Stop stop = WorkRunner::Stop::withWindow,
                 std::function<void()> next = {});
    void finishWork(WorkRunner::Ending ending, bool withLink, const std::function<void()>& next);
    void showBusy(bool busy);

    // The details page: the calculation it describes (the last completed one, none after a
    // load), whether to compute them now (`asked`: the user pressed "compute"), the work that
    // computes them and its end.
    std::shared_ptr<const GroupedCases> detailsSource() const;
    // The details for the shareable report, when the details page shows them for the last
    // calculation; nullptr otherwise (the report then computes the comparisons alone).
    std::shared_ptr<const Details> reportDetails() const;
    // Refuses (in the failure box) before a calculation.
    bool reportAllowed();
    void considerDetails(bool asked);
    void startDetails();
    void finishDetails(WorkRunner::Ending ending);
    // The plots page: the calculation it draws and the pairwise choices of the details page.
    void feedPlots();

    // --- Unsaved edits
    // The table holds new edits of the user's: unsaved, and a copy on disk soon.
    void markEdited();
    // The edits were saved or given up (or the table replaced): the copy is removed.
    void forgetEdits();
    // Before the table is closed or replaced: where it has unsaved edits, asks whether to save
    // them. Whether to go on: nothing unsaved, saved, or discarded (Cancel, or a save that was
    // cancelled or failed, stops the action).
    bool mayReplaceTable();
    // "Save manual Input to text": the save dialog, then the table; whether it was saved.
    bool saveTable();
    // The session's caption, with "[*]" for Qt's mark of unsaved edits where there are some.
    void showTitle();

    // The window from the session.
    void refresh();
    void refreshChoices();
    void refreshSelection();
    void refreshResults();

    Session session_;
    std::unique_ptr<LinkFactory> linkFactory_;
    std::shared_ptr<SpreadsheetLink> link_;
    QString startFile_;
    bool started_ = false;
    bool closing_ = false;
    WorkRunner* workRunner_;
    std::shared_ptr<const GroupedCases> detailsCases_; // of the last completed calculation
    bool detailsInFront_ = false; // the details page, which the session does not know of
    bool plotsInFront_ = false;   // the plots page, likewise
    bool typedTable_ = false;     // the table is one of "Manual Input": its names may be edited
    bool unsavedEdits_ = false;   // the table holds edits of the user's that were not saved
    bool restoredInput_ = false;  // a copy was restored: "Save manual Input to text" saves it
    RecoveryKeeper* recovery_;

    SelectionPanel* selectionPanel_;
    PanelScrollArea* panelScroll_; // the panel, scrolled sideways on a narrow screen
    QTabWidget* pages_;
    DataTableView* dataView_;
    GroupsPage* groupsPage_;
    ResultGridView* rankedGrid_;
    OutputPage* outputPage_;
    CountsPage* countsPage_;
    DetailsPage* detailsPage_;
    PlotsPage* plotsPage_;
    QAction* saveManualInputAction_;
    QAction* pasteAction_;
    QMenu* recentMenu_;
    QList<QAction*> recentActions_; // one per recent file, hidden where there is none
    QAction* clearRecentAction_;
    QList<QAction*> commands_; // disabled while work shows itself
};

} // namespace kw::app
