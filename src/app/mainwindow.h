#pragma once

#include "app/sheets/linkfactory.h"
#include "app/work/workrunner.h"
#include "core/session/session.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QTabWidget;

namespace kw::app {

class CountsPage;
class DataTableView;
class DetailsPage;
class GroupsPage;
class OutputPage;
class ResultGridView;
class SelectionPanel;

// The main window: the selection panel at the top, the five pages of data and results and the
// page of the statistics beyond the test below, the File, Calculate and Help menus. Its handlers
// turn what the user does into calls of the session and then show the session. Long work (reading a
// file, the analysis, the spreadsheet) runs a function of the core on another thread, with copies
// of what it needs, and what it finds is applied to the session back on the interface thread.
//
// The controls keep the object names of the program's first version ("groupchoice",
// "calculate", "Tmainform", "Treadexcelform", "OKbut" ...): the window tests and
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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void startUp();
    void checkVersion();
    void readTextFile(const QString& path);
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
    // start the spreadsheet.
    void runWork(WorkRunner::Work work, bool withLink = false);
    void finishWork(WorkRunner::Ending ending, bool withLink);
    void showBusy(bool busy);

    // The details page: the calculation it describes (the last completed one, none after a
    // load), whether to compute them now (`asked`: the user pressed "compute"), the work that
    // computes them and its end.
    std::shared_ptr<const GroupedCases> detailsSource() const;
    void considerDetails(bool asked);
    void startDetails();
    void finishDetails(WorkRunner::Ending ending);

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

    SelectionPanel* selectionPanel_;
    QTabWidget* pages_;
    DataTableView* dataView_;
    GroupsPage* groupsPage_;
    ResultGridView* rankedGrid_;
    OutputPage* outputPage_;
    CountsPage* countsPage_;
    DetailsPage* detailsPage_;
    QAction* saveManualInputAction_;
    QList<QAction*> commands_; // disabled while work shows itself
};

} // namespace kw::app
