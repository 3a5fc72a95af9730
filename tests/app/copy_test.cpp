// Copy that pastes as cells: the selected block of any grid as tab-separated text and as an
// HTML table (with headers, non-contiguous, from the frozen column, cut short where huge), the
// grids' context menu, a grid saved as CSV, and File > "Save tables as workbook...".

#include "windowsteps.h"

#include "app/dialogs/filedialogs.h"
#include "app/mainwindow.h"
#include "app/pages/datatableview.h"
#include "app/pages/gridcopy.h"
#include "app/pages/resultgridview.h"
#include "app/settings.h"
#include "app/work/workrunner.h"
#include "core/io/workbook.h"
#include "core/results/tableworkbook.h"
#include "core/session/session.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using kw::app::GridView;
using kw::app::ResultGridView;
using Rows = std::vector<std::vector<std::string>>;

namespace {

std::shared_ptr<kw::Grid> cells(Rows rows) {
    return std::make_shared<kw::TextCells>(std::move(rows));
}

// A summary-like grid: the names of its rows in a frozen first column.
const Rows summary = {{"grp", "ctrl", "trt1", "trt2"},
                      {"number", "10", "10", "10"},
                      {"ranksum", "a\tb", "line\nbreak", "\"q\""},
                      {"median", "<x&y>", "4.55", "5.44"}};

// A comparison-like grid: the groups as row headers, the corner's text above them.
const Rows comparison = {{"grouped_by", "ctrl", "trt1"}, {"ctrl", "-", "NS"}, {"trt1", "NS", "-"}};

QString clipText() {
    return QGuiApplication::clipboard()->mimeData()->text();
}
QString clipHtml() {
    return QGuiApplication::clipboard()->mimeData()->html();
}

void select(QTableView& view, int top, int left, int bottom, int right,
            QItemSelectionModel::SelectionFlags how = QItemSelectionModel::Select) {
    const QAbstractItemModel* m = view.model();
    view.selectionModel()->select(QItemSelection(m->index(top, left), m->index(bottom, right)),
                                  how);
}

// Answers the next modal dialogs: a file dialog gets `path` typed as its name, a message box
// is recorded and closed.
class Answers final : public QObject {
public:
    explicit Answers(QString path) : path_(std::move(path)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (w == nullptr || w == last_) {
                return;
            }
            last_ = w;
            if (auto* files = qobject_cast<QFileDialog*>(w)) {
                filters << files->nameFilters().join(";;");
                files->findChild<QLineEdit*>("fileNameEdit")->setText(path_);
                QTimer::singleShot(0, files, &QDialog::accept);
            } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
                messages << box->objectName() + ": " + box->text();
                QTimer::singleShot(0, box->button(QMessageBox::Ok), &QAbstractButton::click);
            } else if (auto* ok = w->findChild<QAbstractButton*>("OKbut")) {
                // The notices' warning dialog.
                messages << w->objectName() + ": " +
                                w->findChild<QPlainTextEdit*>("message")->toPlainText();
                QTimer::singleShot(0, ok, &QAbstractButton::click);
            }
        });
        timer_.start(15);
    }
    QStringList filters;
    QStringList messages;

private:
    QString path_;
    QTimer timer_;
    QWidget* last_ = nullptr;
};

QMenu* openMenu(QWidget* target, QPoint at) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList actionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions()) {
        texts << (a->isSeparator() ? "|" : a->text() + (a->isEnabled() ? "" : " (off)"));
    }
    return texts;
}

// A column of `rows` numbered cells.
class TallModel final : public QAbstractTableModel {
public:
    explicit TallModel(int rows) : rows_(rows) {}
    int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(QString::number(index.row())) : QVariant();
    }

private:
    int rows_;
};

} // namespace

class CopyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void blockAsTextAndHtml();
    void withHeadersAndNonContiguous();
    void frozenColumnAndContextMenu();
    void inputGridCopiesAndStillEdits();
    void hugeSelectionIsCutQuickly();
    void csvQuotedAndSaved();
    void tablesSavedAsOneWorkbook();

private:
    QTemporaryDir settingsDir_;
};

void CopyTest::initTestCase() {
    QVERIFY(kw::test::ownSettings(settingsDir_));
}

// Ctrl+C copies the whole block, not the current cell: tab-separated text with tabs and line
// ends quoted, and an HTML table with its cells escaped.
void CopyTest::blockAsTextAndHtml() {
    ResultGridView view("npgrgrid", 1, 0);
    view.resize(600, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setGrid(cells(summary));
    view.setFocus();
    select(view, 1, 1, 2, 3);
    view.setCurrentIndex(view.model()->index(2, 3)); // a current cell alone is not the copy
    select(view, 1, 1, 2, 3);
    QTest::keySequence(&view, QKeySequence::Copy);
    QCOMPARE(clipText(), QString("\"a\tb\"\t\"line\nbreak\"\t\"\"\"q\"\"\"\n<x&y>\t4.55\t5.44"));
    const QString html = clipHtml();
    QVERIFY(html.contains("<table>"));
    QVERIFY(html.contains("</table>"));
    QCOMPARE(html.count("<tr>"), 2);
    QVERIFY(html.contains("<td>&lt;x&amp;y&gt;</td>"));
    QVERIFY(html.contains("<td>line<br>break</td>"));
    QVERIFY(html.contains("<td>&quot;q&quot;</td>"));
    QVERIFY(!html.contains("<th>"));

    // Nothing selected: the current cell.
    view.clearSelection();
    view.selectionModel()->setCurrentIndex(view.model()->index(2, 2),
                                           QItemSelectionModel::NoUpdate);
    view.copySelection(false);
    QCOMPARE(clipText(), QString("4.55"));
}

// With headers: the column headers first (as <th>), the row headers and the corner's text in
// front where the grid has them; a selection in pieces is copied as its bounding block.
void CopyTest::withHeadersAndNonContiguous() {
    ResultGridView view("mulcompgrid", 1, 1);
    view.resize(500, 300);
    view.show();
    view.setGrid(cells(comparison));
    select(view, 0, 0, 1, 1);
    view.copySelection(true);
    QCOMPARE(clipText(), QString("grouped_by\tctrl\ttrt1\nctrl\t-\tNS\ntrt1\tNS\t-"));
    QVERIFY(clipHtml().contains("<tr><th>grouped_by</th><th>ctrl</th><th>trt1</th></tr>"));
    QVERIFY(clipHtml().contains("<tr><th>ctrl</th><td>-</td><td>NS</td></tr>"));

    // Two corners of a 2 x 2 block: the others empty.
    view.clearSelection();
    select(view, 0, 0, 0, 0);
    select(view, 1, 1, 1, 1);
    view.copySelection(false);
    QCOMPARE(clipText(), QString("-\t\n\t-"));
    view.copySelection(true);
    QCOMPARE(clipText(), QString("grouped_by\tctrl\ttrt1\nctrl\t-\t\ntrt1\t\t-"));

    // Row headers that only number the rows are left out.
    ResultGridView ranks("rankgrid", 1, 1);
    ranks.setGrid(cells({{"", "a", "b"}, {"1", "1.5", "3"}, {"2", "4", "2"}}));
    ranks.selectAll();
    ranks.copySelection(true);
    QCOMPARE(clipText(), QString("a\tb\n1.5\t3\n4\t2"));
}

// A click into the frozen first column selects there what the copy takes; the frozen column
// opens the grid's context menu, as do the grid, the Menu key and Shift+F10.
void CopyTest::frozenColumnAndContextMenu() {
    ResultGridView view("npgrgrid", 1, 0);
    view.resize(420, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setGrid(cells(summary));
    QTableView* frozen = view.frozenColumn();
    QVERIFY(frozen != nullptr && frozen->isVisible());
    const QRect first = frozen->visualRect(frozen->model()->index(0, 0));
    const QRect last = frozen->visualRect(frozen->model()->index(2, 0));
    QTest::mouseClick(frozen->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseClick(frozen->viewport(), Qt::LeftButton, Qt::ShiftModifier, last.center());
    QTest::keySequence(&view, QKeySequence::Copy);
    QCOMPARE(clipText(), QString("number\nranksum\nmedian"));

    QMenu* menu = openMenu(frozen->viewport(), first.center());
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->objectName(), QString("gridContextMenu"));
    QCOMPARE(actionTexts(menu),
             QStringList({"&Copy", "Copy with &headers", "Select &all", "|", "&Save as CSV..."}));
    QCOMPARE(menu->actions().at(2)->objectName(), QString("selectAllCells"));
    menu->actions().at(2)->trigger();
    menu->close();
    QCOMPARE(view.selectionModel()->selectedIndexes().size(), 12);
    view.copySelection(true);
    QCOMPARE(clipText().split('\n').first(), QString("grp\tctrl\ttrt1\ttrt2"));

    // A right-click outside the selection selects the cell clicked first.
    view.clearSelection();
    select(view, 0, 1, 0, 1);
    const QRect cell = view.visualRect(view.model()->index(2, 2));
    menu = openMenu(view.viewport(), cell.center());
    QVERIFY(menu != nullptr);
    menu->actions().at(0)->trigger(); // Copy
    menu->close();
    QCOMPARE(clipText(), QString("4.55"));

    // From the keyboard.
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_F10, Qt::ShiftModifier);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    menu->close();
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), view.mapToGlobal(QPoint()));
    QApplication::sendEvent(&view, &key);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    menu->close();
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
}

// The data grid copies its values whole; typing into a cell still edits it, and Ctrl+C in the
// cell's editor copies the editor's text.
void CopyTest::inputGridCopiesAndStillEdits() {
    kw::Session session;
    session.manualInput("2", "3");
    session.editCell(1, 1, "a,b");
    session.editCell(2, 3, "7.5");
    kw::app::DataTableView view(session);
    view.reload();
    view.resize(500, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setFocus();
    view.selectAll();
    QTest::keySequence(&view, QKeySequence::Copy);
    const QStringList lines = clipText().split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0].split('\t').first(), QString("a,b"));
    QCOMPARE(lines[2].split('\t').last(), QString("7.5"));
    view.copySelection(true); // the case numbers are no headers to copy
    QCOMPARE(clipText().split('\n').size(), 4);
    QVERIFY(!clipText().split('\n')[1].startsWith("1\t"));

    view.setCurrentIndex(view.model()->index(1, 0));
    QTest::keyClick(&view, Qt::Key_4);
    auto* editor = view.findChild<QLineEdit*>();
    QVERIFY(editor != nullptr && editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_2);
    editor->selectAll();
    QTest::keySequence(editor, QKeySequence::Copy);
    QCOMPARE(clipText(), QString("42"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(QString::fromStdString(std::string(session.table().value(1, 2))), QString("42"));
}

// A selection of millions of rows: the first million cells, text only, in moments.
void CopyTest::hugeSelectionIsCutQuickly() {
    GridView view;
    TallModel model(3'000'000);
    view.setModel(&model);
    view.selectAll();
    QElapsedTimer clock;
    clock.start();
    const kw::app::CopiedCells copied = kw::app::copiedCells(view, false);
    QCOMPARE(copied.rows, int(kw::app::maxCopiedCells));
    QCOMPARE(copied.allRows, 3'000'000);
    QVERIFY(copied.html.isEmpty());
    QVERIFY(copied.text.endsWith("\n999999"));
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    // A block that fits gets its HTML too.
    view.selectionModel()->select(QItemSelection(model.index(0, 0), model.index(9, 0)),
                                  QItemSelectionModel::ClearAndSelect);
    QCOMPARE(kw::app::copiedCells(view, false).html.count("<td>"), 10);
}

// RFC 4180: fields with commas, quotes or line ends quoted, quotes doubled, CRLF, UTF-8; the
// file named without an extension gets ".csv".
void CopyTest::csvQuotedAndSaved() {
    QCOMPARE(kw::app::csvField("plain text"), QString("plain text"));
    QCOMPARE(kw::app::csvField("1,5"), QString("\"1,5\""));
    QCOMPARE(kw::app::csvField("say \"hi\""), QString("\"say \"\"hi\"\"\""));
    QCOMPARE(kw::app::csvField("two\nlines"), QString("\"two\nlines\""));

    ResultGridView view("mulcompgrid", 1, 1);
    view.setGrid(cells({{"grouped_by", "Ä, ü", "名"}, {"Ä, ü", "-", "x\"y"}, {"名", "a\nb", "-"}}));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(kw::app::writeGridCsv(view, buffer));
    const QByteArray expected = "grouped_by,\"Ä, ü\",名\r\n"
                                "\"Ä, ü\",-,\"x\"\"y\"\r\n"
                                "名,\"a\nb\",-\r\n";
    QCOMPARE(buffer.data(), expected);

    QTemporaryDir dir;
    {
        // Gone before the next answers: both would answer the next dialog.
        Answers answers(dir.filePath("comparison"));
        view.saveAsCsv();
        QCOMPARE(answers.filters, QStringList{"CSV files (*.csv);;All files (*)"});
        QFile saved(dir.filePath("comparison.csv"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), expected);
    }

    // A folder that cannot be written: the failure box names the file.
    Answers refused(dir.filePath("missing/t.csv"));
    view.saveAsCsv();
    QCOMPARE(refused.messages.size(), 1);
    QVERIFY(refused.messages[0].startsWith("failuremessage: cannot write the file "));
}

// File > "Save tables as workbook...": refused before a calculation; after one, a sheet per
// table, the details' tables with them once computed, numbers as numbers.
void CopyTest::tablesSavedAsOneWorkbook() {
    kw::app::storeVersion("10.3");
    kw::app::MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* work = window.findChild<kw::app::WorkRunner*>();
    auto* save = window.findChild<QAction*>("SaveTablesWorkbook1");
    QVERIFY(save != nullptr);
    QTemporaryDir dir;
    const QString path = dir.filePath("tables");
    {
        Answers answers(path);
        save->trigger();
        QCOMPARE(answers.filters, QStringList());
        QCOMPARE(answers.messages,
                 QStringList{"warningDialog: there are no results to save yet: press calculate "
                             "first"});
        QVERIFY(!QFile::exists(path + ".xlsx"));
    }
    {
        Answers answers(QString(KW_EXAMPLES_DIR) + "/insectsprays.txt");
        window.findChild<QAction*>("Open1")->trigger();
        work->waitForFinished();
    }
    for (const auto& [chooser, item] :
         {std::pair{"groupchoice", "spray"}, std::pair{"testchoice", "count"}}) {
        auto* box = window.findChild<QComboBox*>(chooser);
        box->setCurrentIndex(box->findText(item));
        emit box->activated(box->currentIndex());
    }
    window.findChild<QPushButton*>("calculate")->click();
    work->waitForFinished();
    window.findChild<QTabWidget*>("datapages")
        ->setCurrentWidget(window.findChild<QWidget*>("detailspage"));
    work->waitForFinished();
    QTRY_VERIFY(!work->running());
    {
        Answers answers(path);
        save->trigger();
        QCOMPARE(answers.filters, QStringList{"Excel workbooks (*.xlsx);;All files (*)"});
        work->waitForFinished();
        QCOMPARE(answers.messages, QStringList());
    }
    const kw::Workbook book = kw::Workbook::load((path + ".xlsx").toStdString());
    QCOMPARE(book.sheetNames(),
             (std::vector<std::string>{"Summary", "Groups", "Ranks", "Comparison", "Counts",
                                       "Descriptives", "Pairwise"}));
    kw::ImportOptions options;
    options.decimal = ','; // a number cell reads with a comma, a text as it is
    options.sheet = "Summary";
    const Rows top = book.preview(options, 5);
    QCOMPARE(top.size(), std::size_t(4));
    QCOMPARE(top[0][0], std::string("spray"));
    QCOMPARE(top[1][0], std::string("number"));
    QCOMPARE(top[1][1], std::string("12")); // a number cell
    QVERIFY(top[3][1].find(',') != std::string::npos || top[3][1].find('.') == std::string::npos);
    options.sheet = "Descriptives";
    const Rows descriptives = book.preview(options, 10);
    QCOMPARE(descriptives.size(), std::size_t(7));   // the headers and six sprays
    QCOMPARE(descriptives[1][2], std::string("12")); // n
}

QTEST_MAIN(CopyTest)
#include "copy_test.moc"
