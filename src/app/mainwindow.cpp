#include "app/mainwindow.h"

#include "app/dialogs/aboutdialog.h"
#include "app/dialogs/disclaimerdialog.h"
#include "app/dialogs/editquestions.h"
#include "app/dialogs/filedialogs.h"
#include "app/dialogs/helpwindow.h"
#include "app/dialogs/importparts.h"
#include "app/dialogs/manualinputdialog.h"
#include "app/dialogs/messagebox.h"
#include "app/dialogs/newversiondialog.h"
#include "app/dialogs/readsheetdialog.h"
#include "app/dialogs/savesheetdialog.h"
#include "app/dialogs/statisticsimportdialog.h"
#include "app/dialogs/textimportdialog.h"
#include "app/dialogs/warningdialog.h"
#include "app/dialogs/workbookimportdialog.h"
#include "app/pages/countspage.h"
#include "app/pages/datatableview.h"
#include "app/pages/detailspage.h"
#include "app/pages/groupspage.h"
#include "app/pages/outputpage.h"
#include "app/pages/plotspage.h"
#include "app/pages/resultgridview.h"
#include "app/pages/resulttables.h"
#include "app/panelscrollarea.h"
#include "app/programicon.h"
#include "app/qtlocale.h"
#include "app/recovery/recoverykeeper.h"
#include "app/recovery/recoveryslot.h"
#include "app/recovery/recoverytable.h"
#include "app/reportprinting.h"
#include "app/selectionpanel.h"
#include "app/settings.h"
#include "app/translation.h"
#include "app/windowplacement.h"
#include "app/work/responseclock.h"
#include "core/base/version.h"
#include "core/io/delimitedtext.h"
#include "core/io/statisticsfile.h"
#include "core/io/textreader.h"
#include "core/io/workbook.h"
#include "core/sheet/sheettransfer.h"
#include "core/stats/details.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace kw::app {

namespace {

// The details page's tab, after the pages of kw::Page.
constexpr int detailsIndex = static_cast<int>(Page::counts) + 1;
// The plots page's tab, after the details.
constexpr int plotsIndex = detailsIndex + 1;

} // namespace

MainWindow::MainWindow(std::unique_ptr<LinkFactory> links, QWidget* parent)
    : QMainWindow(parent), session_(userLocale()), linkFactory_(std::move(links)) {
    setObjectName("mainWindow");
    setWindowTitle(kw::windowTitle);
    setWindowIcon(QIcon(programIcon(64)));

    auto* central = new QWidget(this);
    selectionPanel_ = new SelectionPanel;
    panelScroll_ = new PanelScrollArea(selectionPanel_, central);
    panelScroll_->setObjectName("panelScroll");
    pages_ = new QTabWidget(central);
    pages_->setObjectName("datapages");
    pages_->setAccessibleName(tr("pages"));
    pages_->setAccessibleDescription(
        tr("The data, the groups, the ranks, the output, the counts, the details and the plots"));
    QFont tabs = pages_->tabBar()->font();
    tabs.setPointSize(std::max(12, tabs.pointSize() + 2));
    tabs.setBold(true);
    tabs.setItalic(true);
    tabs.setUnderline(true);
    pages_->tabBar()->setFont(tabs);
    // No tab behind scroll arrows: where the window is narrower than the tabs (a large font
    // on a small screen), their names are shortened, each in full as its tooltip.
    pages_->tabBar()->setUsesScrollButtons(false);
    pages_->tabBar()->setElideMode(Qt::ElideRight);
    dataView_ = new DataTableView(session_);
    dataView_->setAccessibleName(tr("input"));
    dataView_->setAccessibleDescription(tr("The data: one row per case, one column per variable"));
    groupsPage_ = new GroupsPage;
    rankedGrid_ = new ResultGridView("rankgrid", 1, 1);
    rankedGrid_->setAccessibleName(tr("ranked"));
    // Tab leaves a grid for the next control (arrow keys move between its cells): no grid
    // holds the keyboard's focus.
    dataView_->setTabKeyNavigation(false);
    rankedGrid_->setTabKeyNavigation(false);
    rankedGrid_->setAccessibleDescription(tr("The cases sorted by the test variable, with ranks"));
    outputPage_ = new OutputPage;
    countsPage_ = new CountsPage;
    detailsPage_ = new DetailsPage;
    plotsPage_ = new PlotsPage;
    // In the order of kw::Page, then the details.
    pages_->addTab(dataView_, tr("input"));
    pages_->addTab(groupsPage_, tr("groups"));
    pages_->addTab(rankedGrid_, tr("ranked"));
    pages_->addTab(outputPage_, tr("output"));
    pages_->addTab(countsPage_, tr("counts"));
    pages_->addTab(detailsPage_, tr("details"));
    pages_->addTab(plotsPage_, tr("plots"));
    for (int i = 0; i < pages_->count(); ++i) {
        pages_->setTabToolTip(i, pages_->tabText(i)); // whole where the name is shortened
    }
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(panelScroll_);
    layout->addWidget(pages_, 1);
    setCentralWidget(central);
    buildMenus();
    workRunner_ = new WorkRunner(this);
    recovery_ = new RecoveryKeeper([this] { return session_.table(); }, this);
    recovery_->setObjectName("recovery");
    dataView_->setCellsLock(&recovery_->cellsLock());
    connect(dataView_, &DataTableView::cellTyped, this, &MainWindow::markEdited);
    setAcceptDrops(true);
    // With KW_TIMING set: how long each input takes to be answered, a page turn by the page.
    if (ResponseClock* clock = ResponseClock::of(this)) {
        clock->watchPages(pages_);
    }

    // Ctrl+PgDown and Ctrl+PgUp turn the pages from anywhere in the window (Ctrl+Tab does
    // where the focus is on the pages).
    auto* nextPage = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    connect(nextPage, &QShortcut::activated, this,
            [this] { pages_->setCurrentIndex((pages_->currentIndex() + 1) % pages_->count()); });
    auto* previousPage = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    connect(previousPage, &QShortcut::activated, this, [this] {
        pages_->setCurrentIndex((pages_->currentIndex() + pages_->count() - 1) % pages_->count());
    });

    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (workRunner_->running() || index < 0) {
            return;
        }
        // The session keeps the page of its own results that is in front; the details page
        // stays in front until the user or an action that turns the pages (a calculation, a
        // load) turns to another.
        detailsInFront_ = index == detailsIndex;
        plotsInFront_ = index == plotsIndex;
        if (detailsInFront_) {
            considerDetails(false);
        } else if (!plotsInFront_) {
            session_.setPage(static_cast<Page>(index));
        }
        updatePaste();
    });
    connect(selectionPanel_, &SelectionPanel::groupPicked, this, &MainWindow::pickGroupingVariable);
    connect(selectionPanel_, &SelectionPanel::testPicked, this, &MainWindow::pickTestVariable);
    connect(selectionPanel_, &SelectionPanel::selectionPicked, this,
            &MainWindow::pickSelectionVariable);
    connect(selectionPanel_, &SelectionPanel::groupModeChosen, this,
            [this](GroupMode mode) { session_.setGroupMode(mode); });
    connect(selectionPanel_, &SelectionPanel::calculateClicked, this, &MainWindow::calculate);
    connect(selectionPanel_, &SelectionPanel::addClicked, this, &MainWindow::addCondition);
    connect(selectionPanel_, &SelectionPanel::removeClicked, this, &MainWindow::removeCondition);
    connect(selectionPanel_, &SelectionPanel::clearClicked, this, &MainWindow::clearConditions);
    connect(selectionPanel_, &SelectionPanel::storeVersionClicked, this, &MainWindow::storeVersion);
    connect(outputPage_, &OutputPage::sortChosen, this, &MainWindow::sortComparison);
    connect(countsPage_, &CountsPage::saveCountsClicked, this, &MainWindow::saveCountsToSheet);
    connect(detailsPage_, &DetailsPage::choicesChanged, this, [this] {
        feedPlots();
        considerDetails(false);
    });
    connect(detailsPage_, &DetailsPage::computeClicked, this, [this] { considerDetails(true); });
    connect(workRunner_, &WorkRunner::busyShown, this, &MainWindow::showBusy);
    connect(dataView_, &DataTableView::nameEdited, this, &MainWindow::renameVariable);
    connect(qApp, &QApplication::focusChanged, this, &MainWindow::updatePaste);

    // The significance level in the user's number format.
    selectionPanel_->setAlphaText(qText(session_.alphaText()));
    refreshResults();
    placeOnScreen();
}

void MainWindow::placeOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        resize(800, 600);
        return;
    }
    const QRect available = screen->availableGeometry();
    const QSize frame = likelyFrame(fontMetrics().height());
    // The panel scrolls sideways rather than make the window wider than the screen; the
    // window as a whole never gets narrower than its layouts allow elsewhere.
    const int margins = centralWidget()->layout()->contentsMargins().left() +
                        centralWidget()->layout()->contentsMargins().right();
    panelScroll_->setNarrowest(available.width() - frame.width() - margins);
    const WindowPlacement place = placeWindow(QSize(800, 600), minimumSizeHint(), frame, available);
    resize(place.size);
    move(place.framePosition);
}

MainWindow::~MainWindow() {
    // The focus moves while the children go: no more word of it to this window.
    disconnect(qApp, nullptr, this, nullptr);
    // A window taken down while shown (its close refused, or never asked for) is hidden while
    // the session its pages show is still there: hiding asks the grids for their texts.
    hide();
    // The program ends after its window was closed, which asked about unsaved edits first:
    // the copy is no longer needed. A crash or a kill never comes here and leaves it.
    recovery_->discard();
}

void MainWindow::buildMenus() {
    auto command = [this](QMenu* menu, const QString& text, const char* name, auto slot,
                          QKeySequence key = {}) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        if (!key.isEmpty()) {
            action->setShortcut(key);
        }
        connect(action, &QAction::triggered, this, slot);
        commands_ << action;
        return action;
    };
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName("File1");
    // Data files of every kind the program reads, and the files read last.
    command(file, tr("&Open..."), "OpenData1", &MainWindow::openDataFile, QKeySequence("Ctrl+O"));
    recentMenu_ = file->addMenu(tr("Open Rec&ent"));
    recentMenu_->setObjectName("OpenRecent1");
    recentMenu_->setToolTipsVisible(true);
    for (int i = 0; i < maxRecentFiles; ++i) {
        QAction* recent = recentMenu_->addAction(QString());
        recent->setObjectName(QString("RecentFile%1").arg(i + 1));
        connect(recent, &QAction::triggered, this,
                [this, recent] { openRecentFile(recent->data().toString()); });
        recentActions_ << recent;
    }
    recentMenu_->addSeparator();
    clearRecentAction_ = recentMenu_->addAction(tr("&Clear"));
    clearRecentAction_->setObjectName("ClearRecent1");
    connect(clearRecentAction_, &QAction::triggered, this, &MainWindow::clearRecentFiles);
    connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::refreshRecentMenu);
    refreshRecentMenu();
    file->addSeparator();
    command(file, tr("&Read data from Excel file"), "ReadExcel1", &MainWindow::readFromSheet,
            QKeySequence("Ctrl+R"));
    command(file, tr("&Save results to Excel"), "SavetoExcel1", &MainWindow::saveResultsToSheet,
            QKeySequence("Ctrl+S"));
    command(file, tr("Manual Input"), "ManualInput1", &MainWindow::startManualInput);
    saveManualInputAction_ =
        command(file, tr("Save manual Input to text"), "SaveInput1", &MainWindow::saveManualInput);
    command(file, tr("Read data from Text file"), "Open1", &MainWindow::openTextFile);
    command(file, tr("Save results to Text"), "Save1", &MainWindow::saveReport);
    command(file, tr("Save tables as workbook..."), "SaveTablesWorkbook1",
            &MainWindow::saveTablesWorkbook);
    command(file, tr("Save report as HTML..."), "SaveHtmlReport1", &MainWindow::saveHtmlReport);
    command(file, tr("Print report..."), "PrintReport1", &MainWindow::printReport);
    command(file, tr("Export report as PDF..."), "ExportReportPdf1", &MainWindow::exportReportPdf);
    QAction* exit = file->addAction(tr("&Exit"));
    exit->setObjectName("Exit1");
    exit->setShortcut(QKeySequence("Ctrl+E"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->setObjectName("Edit1");
    // Not among the commands: it is there only where it acts (see updatePaste).
    pasteAction_ = edit->addAction(tr("&Paste"));
    pasteAction_->setObjectName("Paste1");
    pasteAction_->setShortcut(QKeySequence::Paste);
    connect(pasteAction_, &QAction::triggered, this, &MainWindow::paste);
    // "Calculate": a menu-bar entry without items that runs at once.
    QAction* calculate = menuBar()->addAction(tr("Calculate"));
    calculate->setObjectName("Calculate1");
    connect(calculate, &QAction::triggered, this, &MainWindow::calculate);
    commands_ << calculate;
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName("Help1");
    command(help, tr("&Help"), "Help2", &MainWindow::showHelp);
    command(help, tr("&Disclaimer"), "Disclaimer1", &MainWindow::showDisclaimer);
    command(help, tr("&About"), "About1", &MainWindow::showAbout);
}

// --- Start and close

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first time the window is on the screen (it becomes active then on any desktop);
    // after the event, so that it is painted behind the notice.
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, &MainWindow::startUp);
    }
}

void MainWindow::startUp() {
    checkVersion();
    pages_->setCurrentIndex(static_cast<int>(Page::input));
    refresh(); // "no data", the sort choice and "Save manual Input to text" hidden
    offerRecovery();
    if (!startFile_.isEmpty() && mayReplaceTable()) {
        // Read as File > Open would: the program's own text at once, other kinds through
        // their import dialog.
        openFile(startFile_, dataFileKind(toBytes(startFile_)));
    }
}

void MainWindow::checkVersion() {
    const QString stored = storedVersion();
    if (stored == programVersion) {
        return;
    }
    NewVersionDialog notice(stored, this);
    notice.exec();
}

void MainWindow::storeVersion() {
    app::storeVersion(programVersion);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!mayReplaceTable()) {
        event->ignore();
        return;
    }
    closing_ = true;
    if (workRunner_->running()) {
        // Work under way stops at its next step; the stored setting is written all the same.
        workRunner_->cancel();
        workRunner_->waitForFinished();
    }
    storeVersion();
    forgetEdits(); // saved or discarded: the copy goes
    event->accept();
}

void MainWindow::offerRecovery() {
    for (const QString& path : RecoverySlot::copiesFound()) {
        RecoverySlot slot;
        if (!slot.takeCopy(path)) {
            continue; // the copy of a program that is running
        }
        if (restoreCopy(path)) {
            recovery_->adopt(std::move(slot));
            return;
        }
    }
}

bool MainWindow::restoreCopy(const QString& path) {
    const QDateTime written = QFileInfo(path).lastModified();
    DataTable table;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor); // a copy of millions of rows
    try {
        table = readRecoveryTable(path);
        QGuiApplication::restoreOverrideCursor();
    } catch (...) {
        QGuiApplication::restoreOverrideCursor();
        // Put aside rather than offered at every start.
        const QString reason = shownText(caughtFailure().message());
        showUnreadableCopy(reason, setCopyAside(path), this);
        return false;
    }
    if (!askToRestoreCopy(written, this)) {
        QFile::remove(path);
        return false;
    }
    // A typed table again, still unsaved; the file stays its copy.
    detailsCases_.reset();
    detailsInFront_ = false;
    plotsInFront_ = false;
    typedTable_ = true;
    restoredInput_ = true;
    unsavedEdits_ = true;
    session_.loadTable(std::move(table));
    refresh();
    dataView_->setFocus();
    return true;
}

// --- Work off the interface thread

void MainWindow::runWork(WorkRunner::Work work, bool withLink, WorkRunner::Stop stop,
                         std::function<void()> next) {
    dataView_->setEditable(false);
    workRunner_->start(
        std::move(work),
        [this, withLink, next = std::move(next)](WorkRunner::Ending ending) {
            finishWork(std::move(ending), withLink, next);
        },
        stop);
}

void MainWindow::finishWork(WorkRunner::Ending ending, bool withLink,
                            const std::function<void()>& next) {
    std::optional<Failure> failure = std::move(ending.failure);
    if (ending.handback) {
        // What the work found goes into the session, which may then report a stop.
        try {
            ending.handback();
        } catch (...) {
            failure = caughtFailure();
        }
    }
    dataView_->setEditable(true);
    refresh();
    if (ending.cancelled || closing_) {
        return;
    }
    for (const Failure& warning : ending.warnings) {
        report(warning);
    }
    if (failure) {
        if (withLink) {
            linkFailure(*failure);
        } else {
            report(*failure);
        }
    } else if (next) {
        next();
    }
}

void MainWindow::showBusy(bool busy) {
    centralWidget()->setEnabled(!busy);
    for (QAction* action : commands_) {
        action->setEnabled(!busy);
    }
    recentMenu_->setEnabled(!busy);
    updatePaste();
}

// --- Failures

bool MainWindow::attempt(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (...) {
        report(caughtFailure());
        return false;
    }
}

void MainWindow::report(const Failure& failure) {
    // Notices in the warning dialog, everything else in the failure box of the same look.
    if (failure.isNotice()) {
        showWarning(shownText(failure.caption()), shownText(failure.message()), failure.helpPage());
    } else {
        showFailure(shownText(failure.message()), this);
    }
}

void MainWindow::showWarning(const QString& caption, const QString& message, int helpPage) {
    WarningDialog dialog(caption, message, helpPage, this);
    dialog.exec();
}

// --- The spreadsheet

std::shared_ptr<SpreadsheetLink> MainWindow::link() {
    if (!link_) {
        link_ = linkFactory_->makeLink();
    }
    return link_;
}

void MainWindow::linkFailure(const Failure& failure) {
    // Nothing answered: one message says so and offers to start the spreadsheet, ready to
    // talk, where this build can.
    const QString question = closing_ || failure.reason() != Failure::Reason::noSpreadsheet
                                 ? QString()
                                 : linkFactory_->startQuestion();
    if (question.isEmpty()) {
        report(failure);
        return;
    }
    MessageBox box(QMessageBox::Warning, programCaption(),
                   shownText(failure.message()) + "\n\n" + question,
                   QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName("startspreadsheet");
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) {
        return;
    }
    QString expect;
    if (attempt([&] { expect = linkFactory_->startSpreadsheet(); }) && !expect.isEmpty()) {
        MessageBox started(QMessageBox::Information, programCaption(), expect, QMessageBox::Ok,
                           this);
        started.setObjectName("spreadsheetstarted");
        started.exec();
    }
}

void MainWindow::readFromSheet() {
    if (workRunner_->running() || !mayReplaceTable()) {
        return;
    }
    const std::shared_ptr<SpreadsheetLink> sheets = link();
    SheetRange range;
    {
        ReadSheetDialog dialog(
            sheets.get(), [this](const Failure& f) { linkFailure(f); }, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        range = dialog.range();
    }
    pushInputs();
    // The text for empty cells is the missing-value code from now on, also if the read fails.
    session_.setMissingCode(range.missingCode);
    // A large block takes a while to come over and to be laid out as a table.
    const char decimal = session_.locale().decimal;
    runWork(
        [this, sheets, range, decimal](Feedback&) -> WorkRunner::Handback {
            auto table = std::make_shared<DataTable>(readSheetBlock(*sheets, range, decimal));
            return [this, table] {
                detailsCases_.reset(); // new data: the details described the data before
                typedTable_ = false;
                session_.loadSheetTable(std::move(*table));
                forgetEdits();
            };
        },
        true);
}

void MainWindow::saveResultsToSheet() {
    if (workRunner_->running()) {
        return;
    }
    if (!attempt([this] { session_.checkSheetSave(); })) {
        return;
    }
    const std::shared_ptr<SpreadsheetLink> sheets = link();
    SheetTarget target;
    {
        SaveSheetDialog dialog(
            sheets.get(), [this](const Failure& f) { linkFailure(f); }, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        target = dialog.target();
    }
    pushInputs();
    ValueTable block;
    if (!attempt([&] { block = session_.resultsBlock(); })) {
        return;
    }
    const char decimal = session_.locale().decimal;
    runWork(
        [sheets, target, block = std::move(block), decimal](Feedback&) -> WorkRunner::Handback {
            writeResultsBlock(*sheets, target, block, decimal);
            return {};
        },
        true);
}

void MainWindow::saveCountsToSheet() {
    if (workRunner_->running()) {
        return;
    }
    const std::shared_ptr<SpreadsheetLink> sheets = link();
    ValueTable block;
    if (!attempt([&] { block = session_.countsBlock(); })) {
        return;
    }
    const char decimal = session_.locale().decimal;
    runWork(
        [sheets, block = std::move(block), decimal](Feedback&) -> WorkRunner::Handback {
            writeCountsBlock(*sheets, block, decimal);
            return {};
        },
        true);
}

// --- Reading and typing data

void MainWindow::openTextFile() {
    if (workRunner_->running() || !mayReplaceTable()) {
        return;
    }
    session_.beginReading();
    refresh();
    const QString path = askFileToRead(this);
    if (path.isEmpty()) {
        session_.cancelReading();
        refresh();
        return;
    }
    readTextFile(path);
}

void MainWindow::readTextFile(const QString& path) {
    pages_->setCurrentIndex(static_cast<int>(Page::input));
    const std::string name = toBytes(path);
    session_.startReadingFile(name);
    workRunner_->nameNext("read file");
    runWork([this, name, path](Feedback& feedback) -> WorkRunner::Handback {
        auto table = std::make_shared<DataTable>(kw::readTextFile(name, &feedback));
        return [this, table, path] {
            detailsCases_.reset();
            typedTable_ = false;
            session_.loadTable(std::move(*table));
            forgetEdits();
            rememberFile(path, false);
        };
    });
}

void MainWindow::startManualInput() {
    if (!mayReplaceTable()) {
        return;
    }
    ManualInputDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const std::string variables = toBytes(dialog.variablesText());
    const std::string cases = toBytes(dialog.casesText());
    if (!attempt([&] { session_.manualInput(variables, cases); })) {
        return;
    }
    typedTable_ = true;
    detailsInFront_ = false; // to the input page
    plotsInFront_ = false;
    forgetEdits(); // empty cells: nothing typed yet
    refresh();
    dataView_->setFocus();
}

void MainWindow::saveManualInput() {
    saveTable();
}

// --- Files of other programs, pasted blocks, the recent files

void MainWindow::openDataFile() {
    if (workRunner_->running() || !mayReplaceTable()) {
        return;
    }
    const DataFileChoice choice = askDataFileToOpen(this, lastFolder());
    if (choice.path.isEmpty()) {
        return;
    }
    storeLastFolder(QFileInfo(choice.path).absolutePath());
    openFile(choice.path, chosenFileKind(choice.path, choice.filter));
}

void MainWindow::openFile(const QString& path, DataFileKind kind) {
    switch (kind) {
    case DataFileKind::spaceText:
        session_.beginReading();
        readTextFile(path);
        break;
    case DataFileKind::delimitedText:
        importDelimited(path);
        break;
    case DataFileKind::workbook:
        importWorkbook(path);
        break;
    case DataFileKind::statistics:
        importStatistics(path);
        break;
    }
}

void MainWindow::openRecentFile(const QString& path) {
    if (workRunner_->running() || path.isEmpty()) {
        return;
    }
    if (!QFileInfo(path).isFile()) {
        removeRecentFile(path);
        refreshRecentMenu();
        report(Failure(Failure::Reason::fileAccess,
                       toBytes(tr("the file %1 is no longer there; it is taken off the recent "
                                  "files")
                                   .arg(QDir::toNativeSeparators(path)))));
        return;
    }
    if (!mayReplaceTable()) {
        return;
    }
    openFile(path,
             recentAsDelimited(path) ? DataFileKind::delimitedText : dataFileKind(toBytes(path)));
}

void MainWindow::importDelimited(const QString& path) {
    std::string head;
    if (!attempt([&] { head = fileHead(path); })) {
        return;
    }
    ImportOptions options;
    {
        TextImportDialog dialog(std::move(head), path, session_.locale().decimal, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        options = dialog.options();
    }
    pushInputs(); // what is typed stays, also where the read fails
    const std::string name = toBytes(path);
    const char decimal = session_.locale().decimal;
    workRunner_->nameNext("import");
    runWork(
        [this, name, path, options, decimal](Feedback& feedback) -> WorkRunner::Handback {
            auto table =
                std::make_shared<DataTable>(readDelimitedFile(name, options, decimal, &feedback));
            return loadImported(std::move(table), name, options.missingCode, path, true);
        },
        false, WorkRunner::Stop::byUser);
}

void MainWindow::importPasted(std::string text) {
    ImportOptions options;
    {
        TextImportDialog dialog(textHead(text), QString(), session_.locale().decimal, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        options = dialog.options();
    }
    pushInputs();
    auto bytes = std::make_shared<std::string>(std::move(text));
    const char decimal = session_.locale().decimal;
    runWork(
        [this, bytes, options, decimal](Feedback& feedback) -> WorkRunner::Handback {
            auto table = std::make_shared<DataTable>(
                readDelimitedData(std::move(*bytes), options, decimal, &feedback));
            // The caption says where the data came from, as it names a file read.
            return loadImported(std::move(table), "(pasted)", options.missingCode);
        },
        false, WorkRunner::Stop::byUser);
}

void MainWindow::importWorkbook(const QString& path) {
    // The workbook is read whole first (its sheets are then at hand for the dialog), kept
    // while the user chooses, and the block chosen made a table from it. A cancel stops the
    // read at the reader's next look at the request, or drops what it read.
    pushInputs();
    const std::string name = toBytes(path);
    auto loaded = std::make_shared<std::shared_ptr<const Workbook>>();
    runWork(
        [name, loaded](Feedback& feedback) -> WorkRunner::Handback {
            auto book = std::make_shared<const Workbook>(Workbook::load(name, &feedback));
            return [loaded, book] { *loaded = book; };
        },
        false, WorkRunner::Stop::byUser,
        [this, loaded, path] {
            if (*loaded) {
                chooseFromWorkbook(std::exchange(*loaded, nullptr), path);
            }
        });
}

void MainWindow::chooseFromWorkbook(const std::shared_ptr<const Workbook>& book,
                                    const QString& path) {
    const char decimal = session_.locale().decimal;
    ImportOptions options;
    {
        WorkbookImportDialog dialog(book, path, decimal, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        options = dialog.options();
    }
    pushInputs();
    const std::string name = toBytes(path);
    runWork(
        [this, book, name, path, options, decimal](Feedback& feedback) -> WorkRunner::Handback {
            auto table = std::make_shared<DataTable>(book->table(options, decimal, &feedback));
            return loadImported(std::move(table), name, options.missingCode, path);
        },
        false, WorkRunner::Stop::byUser);
}

void MainWindow::importStatistics(const QString& path) {
    ImportOptions options;
    {
        StatisticsImportDialog dialog(path, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        options = dialog.options();
    }
    pushInputs();
    const std::string name = toBytes(path);
    const char decimal = session_.locale().decimal;
    runWork(
        [this, name, path, options, decimal](Feedback& feedback) -> WorkRunner::Handback {
            auto table =
                std::make_shared<DataTable>(readStatisticsFile(name, options, decimal, &feedback));
            return loadImported(std::move(table), name, options.missingCode, path);
        },
        false, WorkRunner::Stop::byUser);
}

WorkRunner::Handback MainWindow::loadImported(std::shared_ptr<DataTable> table, std::string source,
                                              std::string missingCode, QString recentFile,
                                              bool asDelimited) {
    return [this, table = std::move(table), source = std::move(source),
            missingCode = std::move(missingCode), recentFile = std::move(recentFile), asDelimited] {
        detailsCases_.reset();
        detailsInFront_ = false;
        plotsInFront_ = false;
        typedTable_ = false;
        session_.loadImportedTable(std::move(*table), source, missingCode);
        forgetEdits();
        if (!recentFile.isEmpty()) {
            rememberFile(recentFile, asDelimited);
        }
    };
}

void MainWindow::rememberFile(const QString& path, bool asDelimited) {
    addRecentFile(path, asDelimited);
    refreshRecentMenu();
}

void MainWindow::refreshRecentMenu() {
    const QStringList files = recentFiles();
    const int width = fontMetrics().averageCharWidth() * 60;
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction* action = recentActions_[i];
        if (i >= files.size()) {
            action->setVisible(false);
            action->setData(QString());
            continue;
        }
        const QString shown = QDir::toNativeSeparators(files[i]);
        QString text = fontMetrics().elidedText(shown, Qt::ElideMiddle, width);
        text.replace('&', "&&");
        action->setText((i < 9 ? QString("&%1 ").arg(i + 1) : QString("1&0 ")) + text);
        action->setToolTip(shown);
        action->setData(files[i]);
        action->setVisible(true);
    }
    clearRecentAction_->setEnabled(!files.isEmpty());
}

void MainWindow::clearRecentFiles() {
    app::clearRecentFiles();
    refreshRecentMenu();
}

void MainWindow::paste() {
    // A text box with the focus (a cell being edited, alpha, the missing-value code) takes
    // the text as text boxes do; the input page takes a block of cells.
    if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        box != nullptr && box->window() == this) {
        box->paste();
        return;
    }
    if (workRunner_->running() || pages_->currentIndex() != static_cast<int>(Page::input)) {
        return;
    }
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
        report(
            Failure(Failure::Reason::badData, toBytes(tr("the clipboard holds no text to paste"))));
        return;
    }
    // The block replaces the table, as a file read does.
    if (!mayReplaceTable()) {
        return;
    }
    importPasted(toBytes(text));
}

void MainWindow::updatePaste() {
    auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const bool textBox = box != nullptr && box->window() == this;
    pasteAction_->setEnabled(!workRunner_->running() &&
                             (textBox || pages_->currentIndex() == static_cast<int>(Page::input)));
}

QString MainWindow::droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return {};
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!workRunner_->running() && !droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (workRunner_->running() || path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    activateWindow();
    // After the drop has ended: the program the file came from is not held while the import
    // dialog is open.
    QTimer::singleShot(0, this, [this, path] {
        if (!workRunner_->running() && QApplication::activeModalWidget() == nullptr &&
            mayReplaceTable()) {
            openFile(path, dataFileKind(toBytes(path)));
        }
    });
}

void MainWindow::renameVariable(int col, const QString& name) {
    if (workRunner_->running()) {
        return;
    }
    if (attempt([&] { session_.renameVariable(col, toBytes(name)); })) {
        markEdited();
    }
    // The grid shows the name the variable has; the choosers list the names anew.
    refresh();
}

// --- Choosing variables and cases

// A refused variable is shown unchosen behind the warning.

void MainWindow::pickGroupingVariable(int position) {
    try {
        session_.pickGroup(position);
    } catch (...) {
        refreshChoices();
        report(caughtFailure());
    }
    refreshChoices();
}

void MainWindow::pickTestVariable(int position) {
    try {
        session_.pickTest(position);
    } catch (...) {
        refreshChoices();
        report(caughtFailure());
    }
    refreshChoices();
}

void MainWindow::pickSelectionVariable(int position) {
    try {
        session_.pickSelection(position);
    } catch (...) {
        selectionPanel_->clearSelectionVariable();
        refreshSelection();
        report(caughtFailure());
    }
    refreshSelection();
}

void MainWindow::addCondition() {
    const std::optional<std::string> value = selectionPanel_->chosenValue(session_.valueList());
    if (attempt([&] {
            session_.addCondition(selectionPanel_->selectionPosition(),
                                  selectionPanel_->operatorPosition(), value);
        })) {
        refreshSelection();
    }
}

void MainWindow::removeCondition() {
    const int line = selectionPanel_->highlightedCondition();
    if (line < 0) {
        return;
    }
    session_.removeCondition(line);
    refreshSelection();
}

void MainWindow::clearConditions() {
    session_.clearConditions();
    selectionPanel_->clearConditionRow();
    refreshSelection();
}

// --- The test

void MainWindow::pushInputs() {
    session_.setAlphaText(toBytes(selectionPanel_->alphaText()));
    session_.setMissingCode(toBytes(selectionPanel_->missingCode()));
}

void MainWindow::calculate() {
    if (workRunner_->running()) {
        return;
    }
    pushInputs();
    AnalysisRequest request;
    if (!attempt([&] { request = session_.analysisRequest(); })) {
        return;
    }
    // The analysis gets a table of its own (a cheap copy: the cells are shared) and hands
    // back what it found, sorted table included, for the session to take.
    DataTable table = session_.table();
    // The details go with the calculation before, also where this one fails; the session
    // turns to the page of what this one found.
    detailsCases_.reset();
    detailsInFront_ = false;
    plotsInFront_ = false;
    workRunner_->nameNext("calculate");
    runWork([this, table = std::move(table),
             request = std::move(request)](Feedback& feedback) mutable -> WorkRunner::Handback {
        auto outcome =
            std::make_shared<AnalysisOutcome>(analyse(std::move(table), request, &feedback));
        return [this, outcome] {
            session_.applyAnalysis(std::move(*outcome)); // throws where it stopped short
            detailsCases_ = session_.groupedCases();
        };
    });
}

void MainWindow::sortComparison(SortBy by) {
    try {
        session_.sortComparison(by);
    } catch (...) {
        refreshResults();
        report(caughtFailure());
        return;
    }
    refreshResults();
    pages_->setCurrentIndex(static_cast<int>(session_.view().page));
}

void MainWindow::saveReport() {
    if (!session_.hasResults()) {
        // Refused before a file name is asked for.
        attempt([this] { session_.saveReport({}); });
        return;
    }
    const QString path = askFileToWrite(this);
    if (path.isEmpty()) {
        return;
    }
    attempt([&] { session_.saveReport(toBytes(path)); });
}

void MainWindow::saveTablesWorkbook() {
    if (workRunner_->running()) {
        return;
    }
    if (!session_.hasResults()) {
        // Refused as "Save results to Text" refuses, before a file name is asked for.
        attempt([this] { session_.saveReport({}); });
        return;
    }
    const QString path = askWorkbookFileToWrite(this, lastFolder());
    if (path.isEmpty()) {
        return;
    }
    // The grids are views over the calculation's cases, which never change: the work writes
    // them on its own thread (a million rows take some seconds) and may be cancelled.
    std::vector<WorkbookTable> tables = resultTables(session_, *detailsPage_);
    const std::string name = toBytes(path);
    const char decimal = session_.locale().decimal;
    runWork(
        [tables = std::move(tables), name, decimal](Feedback& feedback) -> WorkRunner::Handback {
            writeTableWorkbook(name, tables, decimal, &feedback);
            return {};
        },
        false, WorkRunner::Stop::byUser);
}

// --- The statistics beyond the test

// When the details are computed. Not after every calculation: the work runner takes the
// window's input while it runs, and the bootstrap and the Monte Carlo p cost resamples x N
// steps (with the default resamples some seconds at a hundred thousand cases, half a minute
// at a million on two cores, minutes at ten million), which would hold up every user who
// never looks at the details. Instead the page computes when the user looks at it: turning
// to it, or changing a choice on it, computes at once where that takes a moment only;
// otherwise the page says that nothing is computed yet and "compute" starts it, which may
// then be cancelled. The exact p is not weighed here: in "auto" the core counts exactly only
// where that is quick, and "always" is the user's explicit wish, cancellable like the rest.

namespace {

// Cases times resamples (of the bootstrap and of the Monte Carlo p, which take about as long
// a step, some 5 ns on two cores) up to which the details take about half a second: some
// 12,000 cases with the default resamples.
constexpr double quickSteps = 1.5e8;

bool quickDetails(const GroupedCases& cases, const DetailsRequest& request) {
    const double resamples = request.resamples
                                 ? 2.0 * static_cast<double>(*request.resamples)
                                 : static_cast<double>(DetailsRequest::bootstrapResamples +
                                                       DetailsRequest::monteCarloResamples);
    return static_cast<double>(cases.cases.size()) * resamples <= quickSteps;
}

} // namespace

std::shared_ptr<const GroupedCases> MainWindow::detailsSource() const {
    return session_.hasResults() ? detailsCases_ : nullptr;
}

// --- The shareable report

std::shared_ptr<const Details> MainWindow::reportDetails() const {
    // What the page shows, computed again (the same seed gives the same values) where that
    // takes a moment only; else the report has the comparisons without the resampling.
    const std::shared_ptr<const GroupedCases> cases = detailsSource();
    if (!cases || detailsPage_->calculation() != cases ||
        detailsPage_->status() != DetailsPage::Status::computed || !detailsPage_->isCurrent()) {
        return nullptr;
    }
    DetailsRequest request = detailsPage_->request();
    request.alpha = session_.values().alpha;
    if (!quickDetails(*cases, request)) {
        return nullptr;
    }
    try {
        return std::make_shared<const Details>(computeDetails(*cases, request));
    } catch (...) {
        return nullptr;
    }
}

bool MainWindow::reportAllowed() {
    if (session_.hasResults() && session_.groupedCases()) {
        return true;
    }
    showFailure(tr("There are no results to report yet: press calculate first."), this);
    return false;
}

void MainWindow::saveHtmlReport() {
    writeReportFile(askHtmlFileToWrite, writeHtmlReport);
}

void MainWindow::exportReportPdf() {
    writeReportFile(askPdfFileToWrite, writePdfReport);
}

void MainWindow::writeReportFile(AskFile ask, WriteReport write) {
    if (!reportAllowed()) {
        return;
    }
    const QString path = ask(this);
    if (path.isEmpty()) {
        return;
    }
    // Failures in the failure box, after the busy cursor has gone.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QString failure;
    try {
        write(path, windowReportContent(session_, reportDetails(), detailsPage_->request()));
    } catch (...) {
        failure = shownText(caughtFailure().message());
    }
    QGuiApplication::restoreOverrideCursor();
    if (!failure.isEmpty()) {
        showFailure(failure, this);
    }
}

void MainWindow::printReport() {
    if (!reportAllowed()) {
        return;
    }
    try {
        printReportWithDialog(
            windowReportContent(session_, reportDetails(), detailsPage_->request()), this);
    } catch (...) {
        showFailure(shownText(caughtFailure().message()), this);
    }
}

void MainWindow::considerDetails(bool asked) {
    const std::shared_ptr<const GroupedCases>& cases = detailsPage_->calculation();
    if (workRunner_->running() || !cases || detailsPage_->isCurrent() ||
        (!asked && detailsPage_->failedForChoices())) {
        return;
    }
    if (asked || quickDetails(*cases, detailsPage_->request())) {
        startDetails();
    } else {
        detailsPage_->showStatus(DetailsPage::Status::notComputed);
    }
}

void MainWindow::startDetails() {
    // The work gets the shared grouped cases (never changed after the calculation) and the
    // request; the page shows what it found if it still describes the same calculation.
    std::shared_ptr<const GroupedCases> cases = detailsPage_->calculation();
    DetailsRequest request = detailsPage_->request();
    request.alpha = session_.values().alpha;
    const char decimal = session_.locale().decimal;
    detailsPage_->showStatus(DetailsPage::Status::computing);
    dataView_->setEditable(false);
    workRunner_->nameNext("details");
    workRunner_->start(
        [this, cases, request, decimal](Feedback& feedback) -> WorkRunner::Handback {
            auto details =
                std::make_shared<const Details>(computeDetails(*cases, request, &feedback));
            return [this, cases, details, decimal] {
                if (detailsPage_->calculation() == cases) {
                    detailsPage_->showDetails(details, decimal);
                    plotsPage_->showDetails(details);
                }
            };
        },
        [this](WorkRunner::Ending ending) { finishDetails(std::move(ending)); },
        WorkRunner::Stop::byUser);
}

void MainWindow::finishDetails(WorkRunner::Ending ending) {
    dataView_->setEditable(true);
    if (ending.handback) {
        ending.handback();
    }
    if (detailsPage_->status() == DetailsPage::Status::computing) {
        detailsPage_->showStatus(ending.cancelled ? DetailsPage::Status::cancelled
                                 : ending.failure ? DetailsPage::Status::failed
                                                  : DetailsPage::Status::notComputed);
    }
    if (ending.cancelled || closing_) {
        return;
    }
    for (const Failure& warning : ending.warnings) {
        report(warning);
    }
    if (ending.failure) {
        report(*ending.failure);
    } else if (!detailsPage_->isCurrent()) {
        considerDetails(false); // the choices changed meanwhile
    }
}

// --- Help

void MainWindow::showHelp() {
    HelpWindow::showPage(0, this);
}

void MainWindow::showDisclaimer() {
    DisclaimerDialog disclaimer(this);
    disclaimer.exec();
}

void MainWindow::showAbout() {
    AboutDialog about(this);
    about.exec();
}

// --- Unsaved edits

void MainWindow::markEdited() {
    unsavedEdits_ = true;
    recovery_->tableChanged();
    showTitle();
}

void MainWindow::forgetEdits() {
    unsavedEdits_ = false;
    recovery_->discard();
    showTitle();
}

bool MainWindow::mayReplaceTable() {
    if (!unsavedEdits_) {
        return true;
    }
    switch (askAboutUnsavedEdits(this)) {
    case QMessageBox::Save:
        return saveTable();
    case QMessageBox::Discard:
        // Given up only once the table is replaced: an action cancelled later in its own
        // dialog, or a read that fails, leaves the edits and their copy as they were.
        return true;
    default:
        return false;
    }
}

bool MainWindow::saveTable() {
    const QString path = askFileToWrite(this);
    if (path.isEmpty()) {
        return false;
    }
    if (!attempt([&] { session_.saveInput(toBytes(path)); })) {
        return false;
    }
    forgetEdits();
    return true;
}

void MainWindow::showTitle() {
    // Today's caption exactly where nothing is unsaved; Qt shows "[*]" as "*" while the
    // window is marked modified.
    const QString caption = qText(session_.view().caption);
    if (unsavedEdits_) {
        setWindowTitle(caption + "[*]");
        setWindowModified(true);
    } else {
        setWindowModified(false);
        setWindowTitle(caption);
    }
}

// --- The window from the session

void MainWindow::refresh() {
    const ViewState& view = session_.view();
    showTitle();
    selectionPanel_->setMissingCode(qText(session_.missingCode()));
    saveManualInputAction_->setVisible(view.saveInputVisible || restoredInput_);
    dataView_->reload();
    dataView_->setNamesEditable(typedTable_);
    refreshChoices();
    refreshSelection();
    refreshResults();
    pages_->setCurrentIndex(detailsInFront_ ? detailsIndex
                            : plotsInFront_ ? plotsIndex
                                            : static_cast<int>(view.page));
}

void MainWindow::refreshChoices() {
    selectionPanel_->showChoices(session_);
}

void MainWindow::refreshSelection() {
    selectionPanel_->showSelection(session_);
}

void MainWindow::refreshResults() {
    const ResultGrids& grids = session_.grids();
    groupsPage_->showGrids(grids.summary, grids.groups);
    rankedGrid_->setGrid(grids.ranks);
    outputPage_->showResults(session_.view(), grids.comparison);
    countsPage_->showGrid(grids.counts);
    detailsPage_->setCalculation(detailsSource());
    feedPlots();
}

void MainWindow::feedPlots() {
    DetailsRequest request = detailsPage_->request();
    request.alpha = session_.values().alpha;
    plotsPage_->setCalculation(detailsSource(), request);
}

} // namespace kw::app
