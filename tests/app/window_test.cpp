// Whole sessions through the real main window, run offscreen: widgets are clicked, choosers
// picked through their signals, menu actions triggered, and every modal dialog (the file
// dialogs too) is answered by a watcher that records what it showed. The spreadsheet is one
// held in memory, given to the window as its link factory.

#include "memorylinks.h"
#include "windowsteps.h"

#include "app/dialogs/warningdialog.h"
#include "app/mainwindow.h"
#include "app/pages/gridmodel.h"
#include "app/settings.h"
#include "app/work/workrunner.h"
#include "support/memorylink.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <utility>

using kw::app::GridModel;
using kw::app::MainWindow;
using kw::test::MemoryLink;
using kw::test::MemoryLinks;

namespace {

const QString examples = QStringLiteral(KW_EXAMPLES_DIR);

using kw::test::answerFile;
using kw::test::clickLater;
using kw::test::press;

// Records every modal dialog in one line, a file dialog apart (files()):
//   warning dialog   "TITLE: message", with " [Help]" when Help is shown
//   plain failure    "failure: message"
//   help window      "help: topic tab / inner Practice tab (number of topics)"
//   file dialog      "open: filters" or "save: filters"
//   others           "objectName: title / the line that matters / widget with the focus"
// One that no answer is for gets OK, or the answer that does nothing.
class Watcher final : public kw::test::Answerer {
public:
    QStringList files() const { return files_; }

protected:
    void record(QWidget* w) override {
        if (auto* files = qobject_cast<QFileDialog*>(w)) {
            files_ << QString(files->acceptMode() == QFileDialog::AcceptOpen ? "open: "
                                                                             : "save: ") +
                          files->nameFilters().join(";;");
        } else {
            seen_ << describe(w);
        }
    }

    void close(QWidget* w) override {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            // OK, or the answer that does nothing ("No").
            clickLater(box->button(QMessageBox::Ok) != nullptr ? box->button(QMessageBox::Ok)
                                                               : box->button(QMessageBox::No));
        } else if (w->objectName() == "disclaimerDialog") {
            press(w, "agree");
        } else if (auto* buttons = w->findChild<QDialogButtonBox*>()) {
            clickLater(buttons->button(QDialogButtonBox::Cancel));
        } else if (auto* cancel = w->findChild<QAbstractButton*>("CancelButton")) {
            clickLater(cancel);
        } else if (auto* cancel = w->findChild<QAbstractButton*>("cancelbut")) {
            clickLater(cancel);
        } else {
            press(w, "OKbut");
        }
    }

private:
    static QString describe(QWidget* w) {
        const QString name = w->objectName();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            return (name == "failuremessage" ? "failure: " : name + ": ") + box->text();
        }
        if (name == "warningDialog") {
            const bool help = w->findChild<QAbstractButton*>("warninghelp")->isVisible();
            return w->windowTitle() + ": " +
                   w->findChild<QPlainTextEdit*>("message")->toPlainText() +
                   (help ? " [Help]" : "");
        }
        if (auto* pages = w->findChild<QTabWidget*>("helppages")) {
            auto* inner = w->findChild<QTabWidget*>("practicetabs");
            return QString("help: %1 / %2 (%3)")
                .arg(pages->tabText(pages->currentIndex()), inner->tabText(inner->currentIndex()))
                .arg(pages->count());
        }
        QString line;
        for (const char* field : {"previousversion", "version"}) {
            if (auto* label = w->findChild<QLabel*>(field)) {
                line = label->text();
            }
        }
        if (auto* nvars = w->findChild<QLineEdit*>("nvarsin")) {
            line = nvars->text();
        }
        const QString focus = w->focusWidget() ? w->focusWidget()->objectName() : QString();
        return name + ": " + w->windowTitle() + " / " + line + " / " + focus;
    }

    QStringList files_;
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

const QString openFiles =
    "open: text files (*.txt);;excell space delimited(*.prn);;all files (*.*)";
const QString saveFiles = "save: text files (*.txt);;all files (*.*)";

} // namespace

class WindowTest final : public QObject, kw::test::WindowSteps {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startStateAndVariablePicks();
    void selectionConditions();
    void calculateAndResort();
    void manyGroupsAreWarnedAbout();
    void manualInputAndSave();
    void reportMatchesBatchTool_data();
    void reportMatchesBatchTool();
    void versionSettingRoundTrip();
    void helpWindowPages();
    void badInputLeavesWindowUsable();
    void bytesThatAreNotUtf8();
    void hugeValueIsShownShort();
    void closeWhileCalculating();
    void readFromSpreadsheet();
    void spreadsheetNotRunning();
    void spreadsheetStartIsOffered();
    void saveResultsToSpreadsheet();
    void saveCountsToSpreadsheet();
    void detailsMatchBatchTool();
    void detailsSortAndClear();
    void detailsCancelAndFailure();

private:
    bool start();
    // A file read through File > Open, its dialog answered by the watcher, which records it.
    void read(const QString& path);
    // No events processed after the work: the window as the work left it.
    void calculate();
    void addCondition(const QString& variable, int op, const QString& value);

    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    bool hidden(const char* name) const { return child<QWidget>(name)->isHidden(); }
    bool checked(const char* radio) const { return child<QRadioButton>(radio)->isChecked(); }
    int current(const char* chooser) const { return child<QComboBox>(chooser)->currentIndex(); }
    GridModel* grid(const char* name) const {
        return qobject_cast<GridModel*>(child<QTableView>(name)->model());
    }
    QString cell(const char* name, int col, int row) const {
        return grid(name)->cellText(col, row);
    }
    // A grid row from column `from` on, cells joined by '|'.
    QString gridRow(const char* name, int row, int from = 0) const {
        const GridModel* model = grid(name);
        QStringList cells;
        for (int c = from; model->grid() != nullptr && c < model->grid()->columnCount(); ++c) {
            cells << model->cellText(c, row);
        }
        return cells.join('|');
    }
    QAbstractItemModel* input() const { return child<QTableView>("inputgrid")->model(); }
    QString value(int col, int row) const {
        return input()->index(row - 1, col - 1).data().toString();
    }
    template <typename F> static QStringList collect(int n, F text) {
        QStringList out;
        for (int i = 0; i < n; ++i) {
            out << text(i);
        }
        return out;
    }
    QStringList names() const {
        return collect(input()->columnCount(),
                       [&](int c) { return input()->headerData(c, Qt::Horizontal).toString(); });
    }
    QStringList items(const char* chooser) const {
        auto* box = child<QComboBox>(chooser);
        return collect(box->count(), [&](int i) { return box->itemText(i); });
    }
    QStringList lines() const {
        auto* list = child<QListWidget>("selstrings");
        return collect(list->count(), [&](int i) { return list->item(i)->text(); });
    }
    // The data table's label, in its corner.
    QString corner() const {
        return child<QTableView>("inputgrid")->findChild<QAbstractButton*>()->accessibleName();
    }
    // The number of included cases: the sum of the summary's "number" row.
    int included() const {
        int n = 0;
        for (const QString& count : gridRow("npgrgrid", 1, 1).split('|')) {
            n += count.toInt();
        }
        return n;
    }
    int page() const { return pages()->currentIndex(); }
    QStringList shown() { return watcher_->take(); }
    QStringList files() const { return watcher_->files(); }

    // The details page: turned to (which computes them where that is quick), its tables as
    // shown (sorted as shown), and the batch tool's JSON for the same data and choices.
    void turnToDetails();
    // A choice of the details page, picked, and the details computed for it.
    void choose(const char* chooser, const QString& item) {
        pick(chooser, item);
        work()->waitForFinished();
    }
    QString detailsStatus() const { return label("detailsstatus"); }
    QAbstractItemModel* table(const char* name) const { return child<QTableView>(name)->model(); }
    QString tableCell(const char* name, int row, int col) const {
        return table(name)->index(row, col).data().toString();
    }
    QString tableHeader(const char* name, int col) const {
        return table(name)->headerData(col, Qt::Horizontal).toString();
    }
    QJsonObject batchJson(const QString& file, const QStringList& options);

    // The window with a spreadsheet held in memory: two books, the second one active.
    bool startWithSheets();
    // The dialog's line edit, typed into key by key.
    static void type(QWidget* dialog, const char* box, const QString& keys);
    QString sheetCell(const std::string& book, const std::string& sheet, const std::string& at);

    std::shared_ptr<MemoryLink> sheets_;
    MemoryLinks* links_ = nullptr; // the window's
    std::unique_ptr<Watcher> watcher_;
    std::unique_ptr<QTemporaryDir> dir_;
    QTemporaryDir settingsDir_;
};

void WindowTest::initTestCase() {
    QVERIFY(kw::test::ownSettings(settingsDir_));
}

void WindowTest::init() {
    kw::app::storeVersion("10.3"); // no notice at start unless a test asks for it
    watcher_ = std::make_unique<Watcher>();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void WindowTest::cleanup() {
    if (w_) {
        w_->close();
        w_.reset();
    }
    links_ = nullptr;
    sheets_.reset();
    watcher_.reset();
    dir_.reset();
}

// A new window, shown, its start steps run (they end by hiding "Save manual Input to text").
// Without a spreadsheet of the test's, the window has the link of this build.
bool WindowTest::start() {
    if (sheets_) {
        auto links = std::make_unique<MemoryLinks>(sheets_);
        links_ = links.get();
        w_ = std::make_unique<MainWindow>(std::move(links));
    } else {
        w_ = std::make_unique<MainWindow>();
    }
    return kw::test::showStarted(*w_);
}

bool WindowTest::startWithSheets() {
    sheets_ = std::make_shared<MemoryLink>();
    sheets_->addBook("first.ods");
    sheets_->addBook("data.ods").sheets.push_back({"Plants", {}, {}});
    return start();
}

void WindowTest::type(QWidget* dialog, const char* box, const QString& keys) {
    auto* edit = dialog->findChild<QLineEdit*>(box);
    QVERIFY(edit != nullptr);
    edit->clear();
    QTest::keyClicks(edit, keys);
}

QString WindowTest::sheetCell(const std::string& book, const std::string& sheet,
                              const std::string& at) {
    const auto& cells = sheets_->sheet(book, sheet).cells;
    int col = 0;
    std::size_t i = 0;
    for (; i < at.size() && std::isalpha(static_cast<unsigned char>(at[i])); ++i) {
        col = col * 26 + (at[i] - 'A' + 1);
    }
    const auto found = cells.find({std::stoi(at.substr(i)), col});
    if (found == cells.end()) {
        return "<empty>";
    }
    const kw::CellValue& v = found->second;
    switch (v.kind) {
    case kw::CellValue::Kind::integer:
        return "int " + QString::number(v.integer);
    case kw::CellValue::Kind::real:
        return "real " + QString::number(v.real);
    case kw::CellValue::Kind::text:
        return QString::fromStdString(v.text);
    default:
        return "<other>";
    }
}

void WindowTest::read(const QString& path) {
    watcher_->then(answerFile(path));
    action("Open1")->trigger();
    work()->waitForFinished();
}

void WindowTest::calculate() {
    child<QPushButton>("calculate")->click();
    work()->waitForFinished();
}

void WindowTest::addCondition(const QString& variable, int op, const QString& value) {
    pick("selchoice", variable);
    child<QComboBox>("operator")->setCurrentIndex(op);
    auto* values = child<QComboBox>("valuechoice");
    values->setCurrentIndex(values->findText(value));
    QVERIFY(values->currentIndex() >= 0);
    child<QPushButton>("addselect")->click();
}

void WindowTest::startStateAndVariablePicks() {
    QVERIFY(start());
    QCOMPARE(w_->windowTitle(), QString("Kruskal Wallis Nonparametric ANOVA:"));
    QCOMPARE(corner(), QString("no data"));
    QCOMPARE(page(), 0);
    for (const char* box : {"groupchoice", "testchoice", "selchoice", "valuechoice"}) {
        QCOMPARE(items(box), QStringList());
    }
    QCOMPARE(items("operator"), QStringList({" =", "<>"}));
    QCOMPARE(current("operator"), -1);
    QCOMPARE(child<QLineEdit>("inputalpha")->text(), QString("0.05"));
    QCOMPARE(child<QLineEdit>("missvals")->text(), QString());
    QVERIFY(checked("numbers"));
    QCOMPARE(lines(), QStringList());
    QVERIFY(hidden("multisort"));
    QVERIFY(hidden("SaveRegistryButton"));
    QVERIFY(!action("SaveInput1")->isVisible());
    for (const char* name : {"groupvar", "testvar", "chival", "dfnr", "pval"}) {
        QVERIFY2(label(name).startsWith("-----"), name);
    }

    const QString plants = examples + "/plantgrowth.txt";
    read(plants);
    QCOMPARE(files(), QStringList{openFiles});
    QCOMPARE(w_->windowTitle(), "Kruskal Wallis Nonparametric ANOVA: " + plants);
    QCOMPARE(corner(), QString("input"));
    QCOMPARE(names(), QStringList({"group", "weight"}));
    QCOMPARE(input()->rowCount(), 30);
    QCOMPARE(input()->headerData(29, Qt::Vertical).toString(), QString("30"));
    QCOMPARE(value(1, 1) + " " + value(2, 1) + " " + value(1, 30), QString("ctrl 4.17 trt2"));
    for (const char* box : {"groupchoice", "testchoice", "selchoice"}) {
        QCOMPARE(items(box), QStringList({"group", "weight"}));
        QCOMPARE(current(box), -1);
    }

    // A column of decimals is no grouping variable; a column of texts is, compared as texts.
    pick("groupchoice", "weight");
    QCOMPARE(shown(), QStringList{"WARNING: group variable must be discrete [Help]"});
    QCOMPARE(current("groupchoice"), -1);
    QVERIFY(checked("numbers"));
    calculate(); // the refused variable is not taken
    QCOMPARE(shown(), QStringList{"WARNING: first choose group and test variable [Help]"});
    pick("groupchoice", "group");
    QCOMPARE(child<QComboBox>("groupchoice")->currentText(), QString("group"));
    QVERIFY(checked("texts"));

    pick("testchoice", "group");
    QCOMPARE(shown(), QStringList{"WARNING: test variable must be numeric [Help]"});
    QCOMPARE(current("testchoice"), -1);
    QCOMPARE(child<QComboBox>("groupchoice")->currentText(), QString("group")); // untouched
    pick("testchoice", "weight");
    QCOMPARE(current("testchoice"), 1);
    QCOMPARE(shown(), QStringList());

    // Whole numbers group as numbers; one column may be both variables.
    read(examples + "/airquality.txt");
    QCOMPARE(names(), QStringList({"Month", "Day", "Ozone", "Temp"}));
    QCOMPARE(input()->rowCount(), 153);
    QCOMPARE(value(3, 5), QString("-99"));
    QCOMPARE(current("groupchoice"), -1); // a read resets the choices
    pick("groupchoice", "Month");
    QVERIFY(checked("numbers"));
    pick("testchoice", "Month");
    QCOMPARE(child<QComboBox>("testchoice")->currentText(), QString("Month"));

    // A cancelled file dialog keeps the table but clears the choices and the missing code.
    child<QLineEdit>("missvals")->setText("-99");
    read(QString());
    QCOMPARE(names(), QStringList({"Month", "Day", "Ozone", "Temp"}));
    QCOMPARE(current("groupchoice"), -1);
    QCOMPARE(current("testchoice"), -1);
    QCOMPARE(items("selchoice"), QStringList({"Month", "Day", "Ozone", "Temp"}));
    QCOMPARE(child<QLineEdit>("missvals")->text(), QString());
    QCOMPARE(shown(), QStringList());
}

void WindowTest::selectionConditions() {
    QVERIFY(start());
    read(examples + "/insectsprays.txt");

    // The three refusals of "add", in their order.
    auto* add = child<QPushButton>("addselect");
    add->click();
    pick("selchoice", "spray");
    QCOMPARE(items("valuechoice"), QStringList({"A", "B", "C", "D", "E", "F"}));
    QCOMPARE(current("valuechoice"), -1);
    add->click();
    child<QComboBox>("valuechoice")->setCurrentIndex(2);
    add->click();
    QCOMPARE(shown(),
             QStringList({"ERROR: no variable selected [Help]", "ERROR: no value selected [Help]",
                          "ERROR: no operator selected [Help]"}));
    QCOMPARE(lines(), QStringList());

    addCondition("spray", 1, "C");
    addCondition("spray", 1, "D");
    addCondition("spray", 1, "E");
    QCOMPARE(lines(), QStringList({"spray<>C", "spray<>D", "spray<>E"}));
    QCOMPARE(child<QComboBox>("selchoice")->currentText(), QString("spray")); // choices kept

    // "remove" without a highlighted line does nothing; with one, removes just that line.
    auto* list = child<QListWidget>("selstrings");
    list->clearSelection();
    child<QPushButton>("removeselect")->click();
    QCOMPARE(lines().size(), 3);
    list->setCurrentRow(1);
    child<QPushButton>("removeselect")->click();
    QCOMPARE(lines(), QStringList({"spray<>C", "spray<>E"}));
    addCondition("spray", 0, "A");
    QCOMPARE(lines().last(), QString("spray =A"));
    list->setCurrentRow(2);
    child<QPushButton>("removeselect")->click();

    // The remaining conditions decide which groups the test sees.
    pick("groupchoice", "spray");
    pick("testchoice", "count");
    calculate();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(gridRow("npgrgrid", 0), QString("spray|A|B|D|F"));
    QCOMPARE(lines(), QStringList({"spray<>C", "spray<>E", "count<>"}));

    child<QPushButton>("clearselect")->click();
    QCOMPARE(lines(), QStringList());
    for (const char* box : {"selchoice", "operator", "valuechoice"}) {
        QCOMPARE(current(box), -1);
    }
    QCOMPARE(items("valuechoice"), QStringList());

    // Values listed as texts in the locale's order, each once.
    read(examples + "/airquality.txt");
    pick("selchoice", "Day");
    const QStringList days = items("valuechoice");
    QCOMPARE(days.size(), 31);
    QCOMPARE(days.mid(0, 3), QStringList({"1", "10", "11"}));
    QCOMPARE(days.indexOf("2"), days.indexOf("19") + 1);

    // A selection variable whose first case holds a point is refused.
    read(examples + "/plantgrowth.txt");
    pick("selchoice", "weight");
    QCOMPARE(shown(), QStringList{"WARNING: group variable must be discrete [Help]"});
    QCOMPARE(current("selchoice"), -1);
    QCOMPARE(items("valuechoice"), QStringList());
}

void WindowTest::calculateAndResort() {
    QVERIFY(start());
    read(examples + "/insectsprays.txt");
    pick("groupchoice", "spray");
    pick("testchoice", "count");
    calculate();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(QStringList({label("groupvar"), label("testvar"), label("chival"), label("dfnr"),
                          label("pval")}),
             QStringList({"spray", "count", "54.691", "5", "1.51E-10"}));
    QCOMPARE(label("mulcomplabel"), QString("multiple comparison of groups:"));
    QCOMPARE(page(), 3);
    QCOMPARE(lines(), QStringList({"count<>"}));
    QVERIFY(!hidden("multisort"));
    QVERIFY(checked("grouping variable"));
    QVERIFY(!hidden("mulcompgrid"));

    // The comparison table row by row: group, median, then one mark per column ('-' the
    // diagonal, 'N' not significant, '*' significant); the summary grid in the same order.
    auto checkTable = [this](const QStringList& rows) {
        QStringList order;
        QStringList medians;
        for (const QString& r : rows) {
            order << r.section(' ', 0, 0);
            medians << r.section(' ', 1, 1);
        }
        QCOMPARE(gridRow("mulcompgrid", 0), "grouped_by|spray|" + order.join('|'));
        QCOMPARE(gridRow("mulcompgrid", 1), "spray|median|" + medians.join('|'));
        for (int j = 0; j < rows.size(); ++j) {
            QStringList cells = {order[j], medians[j]};
            for (QChar c : rows[j].section(' ', 2, 2)) {
                cells << (c == '-' ? "   -  " : c == 'N' ? "  NS  " : "   *  ");
            }
            QCOMPARE(gridRow("mulcompgrid", j + 2), cells.join('|'));
        }
        QCOMPARE(gridRow("npgrgrid", 0, 1), order.join('|'));
        QCOMPARE(gridRow("npgrgrid", 3, 1), medians.join('|'));
    };
    const QStringList byGroup = {"A 14 -N***N", "B 16.5 N-***N", "C 1.5 **-*N*",
                                 "D 5 ***-N*",  "E 3 **NN-*",    "F 15 NN***-"};
    checkTable(byGroup);
    QCOMPARE(gridRow("npgrgrid", 0, 0).section('|', 0, 0), QString("spray"));
    QCOMPARE(gridRow("npgrgrid", 1, 0), QString("number|12|12|12|12|12|12"));
    QCOMPARE(cell("npgrgrid", 0, 2) + " " + cell("npgrgrid", 0, 3), QString("ranksum median"));

    // The other result pages.
    const QString groups = "A|B|C|D|E|F";
    QCOMPARE(gridRow("groupgrid", 0), "spray|" + groups);
    QCOMPARE(gridRow("groupgrid", 1).section('|', 0, 1), QString("1|10"));
    QCOMPARE(cell("groupgrid", 0, 12), QString("12"));
    QCOMPARE(gridRow("rankgrid", 0, 1), groups);
    QCOMPARE(cell("countgrid", 0, 1) + " " + cell("countgrid", 1, 0), QString("values groups"));
    QCOMPARE(gridRow("countgrid", 1, 1), groups);
    QCOMPARE(cell("countgrid", 0, 2), QString("0"));

    // By group median: the table and the summary grid; the composition keeps group order.
    child<QRadioButton>("group median")->click();
    QCOMPARE(page(), 3);
    checkTable({"C 1.5 -N****", "E 3 N-N***", "D 5 *N-***", "A 14 ***-NN", "F 15 ***N-N",
                "B 16.5 ***NN-"});
    QCOMPARE(gridRow("groupgrid", 0, 1), groups);
    child<QRadioButton>("grouping variable")->click();
    checkTable(byGroup);

    // The menu entry calculates again: one more missing-value line, the order reset.
    child<QRadioButton>("group median")->click();
    action("Calculate1")->trigger();
    work()->waitForFinished();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(lines(), QStringList({"count<>", "count<>"}));
    QCOMPARE(label("chival"), QString("54.691"));
    QVERIFY(checked("grouping variable"));
    checkTable(byGroup);

    // A new file clears the results: short dashes, empty cells, the same grid sizes.
    const int rows = child<QTableView>("mulcompgrid")->model()->rowCount();
    read(examples + "/plantgrowth.txt");
    for (const char* name : {"groupvar", "testvar", "chival", "dfnr", "pval"}) {
        QCOMPARE(label(name), QString("-----"));
    }
    QCOMPARE(child<QTableView>("mulcompgrid")->model()->rowCount(), rows);
    QCOMPARE(gridRow("mulcompgrid", 2), QString("|||||||"));
    QVERIFY(hidden("multisort"));

    // Not significant at 0.01: no comparison.
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    child<QLineEdit>("inputalpha")->setText("0.01");
    calculate();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(label("chival") + " " + label("dfnr") + " " + label("pval"),
             QString("7.988 2 0.0184"));
    QCOMPARE(label("mulcomplabel"), QString("no multiple comparison of groups:"));
    QVERIFY(hidden("multisort"));
    QVERIFY(hidden("mulcompgrid"));
}

void WindowTest::manyGroupsAreWarnedAbout() {
    QVERIFY(start());
    for (int groups : {250, 251}) {
        QByteArray text = "g v\r\n";
        for (int i = 0; i < 2 * groups; ++i) {
            text += QByteArray::number(i % groups) + ' ' + QByteArray::number(i) + "\r\n";
        }
        const QString file = dir_->filePath(QString("groups%1.txt").arg(groups));
        QVERIFY(writeFile(file, text));
        read(file);
        pick("groupchoice", "g");
        pick("testchoice", "v");
        if (groups == 251) {
            watcher_->then([](QWidget* w) { press(w, "warninghelp"); });
        }
        calculate();
        QCOMPARE(label("dfnr"), QString::number(groups - 1)); // the calculation went on
        QCOMPARE(cell("npgrgrid", groups, 0), QString::number(groups - 1));
    }
    const QString warning = "WARNING: You have more then 250 groups. You can do a test but your "
                            "computer will crash when you attempt to save the results to Excel "
                            "[Help]";
    QCOMPARE(shown(), QStringList({warning, "help: Save to Excel file / counts (12)", warning}));

    // Saving 251 groups to a spreadsheet is refused before its dialog.
    action("SavetoExcel1")->trigger();
    QCOMPARE(shown(), QStringList{"WARNING: You have more then 250 groups. You can not save the "
                                  "results to Excel [Help]"});
}

void WindowTest::manualInputAndSave() {
    QVERIFY(start());
    read(examples + "/plantgrowth.txt");
    auto* manual = action("ManualInput1");

    // Cancelled: nothing changes, "Save manual Input to text" stays hidden.
    manual->trigger();
    QCOMPARE(shown(), QStringList{"manualInputDialog: manual input of data / 2 / ntotvalin"});
    QCOMPARE(names(), QStringList({"group", "weight"}));
    QVERIFY(!action("SaveInput1")->isVisible());

    auto fill = [](const QString& nvars, const QString& ncases) {
        return [nvars, ncases](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("nvarsin")->setText(nvars);
            dialog->findChild<QLineEdit*>("ntotvalin")->setText(ncases);
            kw::test::pressOk(dialog);
        };
    };
    watcher_->then(fill("x", "2"));
    manual->trigger();
    QCOMPARE(shown().value(1), QString("failure: 'x' is not a valid integer value"));
    QCOMPARE(names(), QStringList({"group", "weight"}));
    QVERIFY(!action("SaveInput1")->isVisible());

    watcher_->then(fill("3", "2"));
    manual->trigger();
    QCOMPARE(shown().size(), 1);
    QCOMPARE(names(), QStringList({"var1", "var2", "var3"}));
    QCOMPARE(input()->rowCount(), 2);
    QCOMPARE(corner(), QString("input"));
    QCOMPARE(page(), 0);
    for (const char* box : {"groupchoice", "testchoice", "selchoice"}) {
        QCOMPARE(items(box), QStringList({"var1", "var2", "var3"}));
    }
    QCOMPARE(value(1, 1), QString());
    QVERIFY(action("SaveInput1")->isVisible());

    // Typed values, saved: a blank before each cell, CR LF after each line.
    const QStringList typed = {"1", "5", "a", "2", "7", "b"};
    for (int i = 0; i < typed.size(); ++i) {
        QVERIFY(input()->setData(input()->index(i / 3, i % 3), typed[i], Qt::EditRole));
    }
    const QString saved = dir_->filePath("typed.txt");
    watcher_->then(answerFile(saved));
    action("SaveInput1")->trigger();
    QCOMPARE(files().last(), saveFiles);
    QCOMPARE(fileBytes(saved), QByteArray(" var1 var2 var3\r\n 1 5 a\r\n 2 7 b\r\n"));

    // The saved file reads back as the same table; the menu item stays.
    read(saved);
    QCOMPARE(shown(), QStringList());
    QCOMPARE(names(), QStringList({"var1", "var2", "var3"}));
    QCOMPARE(input()->rowCount(), 2);
    for (int i = 0; i < typed.size(); ++i) {
        QCOMPARE(value(i % 3 + 1, i / 3 + 1), typed[i]);
    }
    QVERIFY(action("SaveInput1")->isVisible());

    // An empty cell is written as its blank alone, over the file once the user agrees.
    QVERIFY(input()->setData(input()->index(1, 2), QString(), Qt::EditRole));
    watcher_->then(answerFile(saved));
    watcher_->then(press(QMessageBox::No));
    watcher_->then(answerFile(QString())); // the file dialog, back in front, is cancelled
    action("SaveInput1")->trigger();
    QCOMPARE(fileBytes(saved), QByteArray(" var1 var2 var3\r\n 1 5 a\r\n 2 7 b\r\n"));
    watcher_->then(answerFile(saved));
    watcher_->then(press(QMessageBox::Yes));
    action("SaveInput1")->trigger();
    QCOMPARE(fileBytes(saved), QByteArray(" var1 var2 var3\r\n 1 5 a\r\n 2 7 \r\n"));
    const QStringList asked = shown();
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[1].contains("typed.txt already exists."), qPrintable(asked[1]));
}

// The batch tool's options, replayed in the window in the batch tool's order of steps.
void WindowTest::reportMatchesBatchTool_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("options");
    QTest::newRow("insect sprays by median") << "insectsprays.txt"
                                             << "--group spray --test count --sort median";
    QTest::newRow("air quality, missing -99") << "airquality.txt"
                                              << "--missing -99 --group Month --test Ozone";
    QTest::newRow("insect sprays without C, alpha 0.01")
        << "insectsprays.txt"
        << "--group spray --test count --where spray<>C --alpha 0.01";
    QTest::newRow("plant growth, no comparison") << "plantgrowth.txt"
                                                 << "--group group --test weight --alpha 0.01";
}

void WindowTest::reportMatchesBatchTool() {
    QFETCH(QString, file);
    QFETCH(QString, options);
    const QString data = examples + "/" + file;
    const QStringList steps = options.split(' ');
    QVERIFY(start());
    read(data);
    for (int i = 0; i + 1 < steps.size(); i += 2) {
        const QString& arg = steps[i + 1];
        if (steps[i] == "--missing") {
            child<QLineEdit>("missvals")->setText(arg);
        } else if (steps[i] == "--group") {
            pick("groupchoice", arg);
        } else if (steps[i] == "--test") {
            pick("testchoice", arg);
        } else if (steps[i] == "--where") {
            const bool unequal = arg.contains("<>");
            const QStringList parts = arg.split(unequal ? "<>" : "=");
            addCondition(parts[0], unequal ? 1 : 0, parts[1]);
        } else if (steps[i] == "--alpha") {
            child<QLineEdit>("inputalpha")->setText(arg);
        }
    }
    calculate();
    if (options.contains("--sort median")) {
        child<QRadioButton>("group median")->click();
    }
    const QString fromWindow = dir_->filePath("window.txt");
    watcher_->then(answerFile(fromWindow));
    action("Save1")->trigger();
    QCOMPARE(files().last(), saveFiles);
    QCOMPARE(shown(), QStringList());

    const QString fromBatch = dir_->filePath("batch.txt");
    QProcess batch;
    batch.start(QStringLiteral(KWTEST_PATH), QStringList{data, "--report", fromBatch} + steps);
    QVERIFY(batch.waitForFinished(30000));
    QCOMPARE(batch.exitCode(), 0);
    const QByteArray report = fileBytes(fromWindow);
    QVERIFY(report.startsWith("KRUSKAL WALLIS NONPARAMETRIC ANOVA\r\nOVERALL TEST RESULTS\r\n"));
    QCOMPARE(report, fileBytes(fromBatch));
}

void WindowTest::versionSettingRoundTrip() {
    QSettings("Quindle Research", "KruskalWallis").remove("version");
    QCOMPARE(kw::app::storedVersion(), QString());
    const QString notice = "newVersionNotice: Updated version was detected / Previous version: ";

    // First start: the notice, with nothing after "Previous version:"; nothing written yet.
    QVERIFY(start());
    QCOMPARE(shown(), QStringList{notice + " / OKbut"});
    QCOMPARE(kw::app::storedVersion(), QString());
    action("Exit1")->trigger();
    QVERIFY(!w_->isVisible());
    QCOMPARE(kw::app::storedVersion(), QString("10.3"));

    // The next start shows no notice; the close box stores the version too.
    QVERIFY(start());
    QCOMPARE(shown(), QStringList());
    QSettings("Quindle Research", "KruskalWallis").remove("version");
    w_->close();
    QCOMPARE(kw::app::storedVersion(), QString("10.3"));

    // A version that differs only by a trailing zero shows the notice again; then Ctrl+E.
    kw::app::storeVersion("10.30");
    QVERIFY(start());
    QCOMPARE(shown(), QStringList{notice + "10.30 / OKbut"});
    QVERIFY(kw::test::activate(*w_));
    QTest::keyClick(w_.get(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(!w_->isVisible());
    QCOMPARE(kw::app::storedVersion(), QString("10.3"));
}

void WindowTest::helpWindowPages() {
    QVERIFY(start());
    auto* help = action("Help2");

    // Every opening is a new window at the requested page, "counts" in front under Practice.
    watcher_->then([](QWidget* w) {
        w->findChild<QTabWidget*>("helppages")->setCurrentIndex(1);
        w->findChild<QTabWidget*>("practicetabs")->setCurrentIndex(0);
        w->findChild<QTabWidget*>("helppages")->setCurrentIndex(3);
        press(w, "OKbut");
    });
    help->trigger();
    help->trigger();
    const QString general = "help: General Information / counts (12)";
    QCOMPARE(shown(), QStringList({general, general}));

    // "Help" of a warning opens its page over the warning, which is still there afterwards.
    read(examples + "/plantgrowth.txt");
    watcher_->then([](QWidget* w) { press(w, "warninghelp"); });
    pick("groupchoice", "weight");
    const QString discrete = "WARNING: group variable must be discrete [Help]";
    QCOMPARE(shown(),
             QStringList({discrete, "help: Grouping  and Test variables / counts (12)", discrete}));
    watcher_->then([](QWidget* w) { press(w, "warninghelp"); });
    child<QPushButton>("addselect")->click();
    QCOMPARE(shown().value(1), QString("help: Define Selection / counts (12)"));

    // Disclaimer, about box, and a warning without a help page whose caption is upper-cased.
    action("Disclaimer1")->trigger();
    action("About1")->trigger();
    kw::app::WarningDialog("caution", "a message", -1, w_.get()).exec();
    const QStringList dialogs = shown();
    QCOMPARE(dialogs.value(0).section(" / ", 0, 0), QString("disclaimerDialog: Disclaimer"));
    QCOMPARE(dialogs.mid(1),
             QStringList({"aboutDialog: About / Version: 10.3 (March, 2012) / OKbut",
                          "CAUTION: a message"}));
    QVERIFY(watcher_->answered());

    // Closing these dialogs does not run the start steps again.
    QCOMPARE(corner(), QString("input"));
    QCOMPARE(items("groupchoice"), QStringList({"group", "weight"}));
}

// Names and values that are not UTF-8 are shown with replacement characters, and a condition
// picked from the value list selects the cases holding the bytes as read.
void WindowTest::bytesThatAreNotUtf8() {
    QVERIFY(start());
    const QString path = dir_->filePath("bytes.txt");
    static const char bytes[] = "g\xff x\r\na\xc3( 1\r\nb 2\r\na\xc3( 3\r\nb 4\r\na\xc3( 5\r\n"
                                "b 6\r\na\xc3( 7\r\n";
    QVERIFY(writeFile(path, QByteArray(bytes, sizeof bytes - 1)));
    read(path);
    const QString replacement(QChar::ReplacementCharacter);
    QCOMPARE(names(), QStringList({"g" + replacement, "x"}));
    QCOMPARE(value(1, 1), "a" + replacement + "(");
    pick("groupchoice", "g" + replacement);
    pick("testchoice", "x");
    addCondition("g" + replacement, 0, "a" + replacement + "(");
    calculate();
    QCOMPARE(shown(), QStringList{"ERROR: all cases in one group"}); // the four 'a' cases
    child<QPushButton>("clearselect")->click();
    addCondition("g" + replacement, 1, "a" + replacement + "(");
    addCondition("x", 1, "2");
    calculate();
    QCOMPARE(shown(), QStringList{"ERROR: all cases in one group"}); // 'b' 4 and 6
    child<QPushButton>("clearselect")->click();
    calculate();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(included(), 7);
}

// A value of 50,000 characters shows its beginning and its length in the grid and the value
// list, and a condition picked from the list still holds the whole value.
void WindowTest::hugeValueIsShownShort() {
    QVERIFY(start());
    const QByteArray huge(50000, '7');
    const QString path = dir_->filePath("huge.txt");
    QVERIFY(writeFile(path, "g x\r\na " + huge + "\r\nb 2\r\na 3\r\nb 4\r\n"));
    read(path);
    const QString shown = QString(1000, '7') + "... (50000 characters)";
    QCOMPARE(value(2, 1), shown);
    QCOMPARE(input()->index(0, 1).data(Qt::EditRole).toString().size(), 50000);
    pick("groupchoice", "g");
    pick("testchoice", "x");
    addCondition("x", 1, shown);
    QCOMPARE(lines().size(), 1);
    calculate();
    QCOMPARE(included(), 3);
}

void WindowTest::badInputLeavesWindowUsable() {
    QVERIFY(start());
    calculate();
    QCOMPARE(shown(), QStringList{"WARNING: first choose group and test variable [Help]"});

    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    auto* alpha = child<QLineEdit>("inputalpha");
    alpha->setText("abc");
    calculate();
    QCOMPARE(shown(), QStringList{"failure: 'abc' is not a valid floating point value"});
    alpha->setText("2");
    calculate();
    QCOMPARE(shown().size(), 1); // refused, one way or the other
    QCOMPARE(label("chival"), QString("-----"));
    action("Save1")->trigger(); // no results to save
    QCOMPARE(shown(),
             QStringList{"ERROR: there are no results to save yet: press calculate first"});

    // One group only: an error without "Help".
    addCondition("group", 0, "ctrl");
    alpha->setText("0.05");
    calculate();
    QCOMPARE(shown(), QStringList{"ERROR: all cases in one group"});
    child<QPushButton>("clearselect")->click();
    calculate();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(label("chival"), QString("7.988"));

    // Files that cannot be read leave the data table as it was.
    const QString first = value(2, 1);
    read(dir_->filePath("absent.txt"));
    QCOMPARE(shown().value(0).section(':', 0, 0), QString("failure"));
    const QString shortLine = dir_->filePath("short.txt");
    QVERIFY(writeFile(shortLine, "g v\r\n1 2\r\n1\r\n2 3\r\n2 4\r\n"));
    read(shortLine);
    const QStringList failure = shown();
    QCOMPARE(failure.size(), 1);
    QVERIFY2(failure[0].startsWith("failure: ") && failure[0].contains("line 3"),
             qPrintable(failure[0]));
    QCOMPARE(names(), QStringList({"group", "weight"}));
    QCOMPARE(input()->rowCount(), 30);
    QCOMPARE(value(2, 1), first);
    QCOMPARE(items("groupchoice"), QStringList({"group", "weight"}));
    QCOMPARE(child<QComboBox>("groupchoice")->currentText(), QString("group"));

    // All test values equal: the statistic cannot be formed; the labels keep their texts.
    const QString equal = dir_->filePath("equal.txt");
    QVERIFY(writeFile(equal, "g v\r\n2 5\r\n1 5\r\n2 5\r\n1 5\r\n"));
    read(equal);
    pick("groupchoice", "g");
    pick("testchoice", "v");
    calculate();
    QCOMPARE(shown(), QStringList{"failure: Floating point division by zero"});
    QCOMPARE(label("chival"), QString("-----"));
    QCOMPARE(gridRow("npgrgrid", 1, 1), QString("2|2"));

    // Still usable: an edited cell, and the next calculation works on the sorted table.
    QCOMPARE(value(1, 1) + value(1, 2) + value(1, 3) + value(1, 4), QString("1122"));
    QVERIFY(input()->setData(input()->index(3, 1), QString("7"), Qt::EditRole));
    calculate();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(label("chival") + " " + label("dfnr") + " " + label("pval"), QString("1.000 1 0.317"));
}

void WindowTest::closeWhileCalculating() {
    QSettings("Quindle Research", "KruskalWallis").remove("version");
    QByteArray text = "g v\r\n";
    text.reserve(20'000'000);
    for (int i = 0; i < 2'000'000; ++i) {
        text +=
            QByteArray::number(i % 7) + ' ' + QByteArray::number((i * 7919LL) % 100003) + "\r\n";
    }
    const QString big = dir_->filePath("big.txt");
    QVERIFY(writeFile(big, text));
    text.clear();

    QVERIFY(start());
    QCOMPARE(shown().size(), 1); // the notice
    read(big);
    QCOMPARE(input()->rowCount(), 2'000'000);
    pick("groupchoice", "g");
    pick("testchoice", "v");

    child<QPushButton>("calculate")->click();
    QVERIFY(work()->running());
    w_->close();
    QVERIFY(!w_->isVisible());
    QVERIFY(!work()->running());
    QCOMPARE(kw::app::storedVersion(), QString("10.3"));
    QTest::qWait(50);
    QCOMPARE(shown(), QStringList()); // nothing is reported after the close
    w_.reset();
}

void WindowTest::readFromSpreadsheet() {
    QVERIFY(startWithSheets());
    // A block at B5:D9 of the sheet "Plants": names in row 5, one name cell empty, blank and
    // empty cells among the cases, a number and a text.
    const std::vector<std::pair<std::string, kw::CellValue>> block = {
        {"B5", kw::CellValue::makeText("group")},    {"C5", kw::CellValue::makeText("weight")},
        {"B6", kw::CellValue::makeText("ctrl")},     {"C6", kw::CellValue::makeReal(4.17)},
        {"D6", kw::CellValue::makeText(" 7 ")},      {"B7", kw::CellValue::makeText("trt1")},
        {"C7", kw::CellValue::makeInteger(5)},       {"D7", kw::CellValue::makeText("   ")},
        {"B8", kw::CellValue::makeText("trt1")},     {"C8", kw::CellValue::makeReal(2.5)},
        {"B9", kw::CellValue::makeText("ctrl")},     {"C9", kw::CellValue::makeInteger(6)},
        {"A1", kw::CellValue::makeText("not read")},
    };
    for (const auto& [at, v] : block) {
        sheets_->set("data.ods", "Plants", at, v);
    }
    // An earlier calculation, whose results stay until the next one.
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    QCOMPARE(label("chival"), QString("7.988"));
    child<QTabWidget>("datapages")->setCurrentIndex(4);

    QStringList listed;
    watcher_->then([&](QWidget* d) {
        QTest::qWait(30); // the lists are filled once the dialog is up
        auto* books = d->findChild<QComboBox*>("booksbox");
        auto* sheetsBox = d->findChild<QComboBox*>("sheetbox");
        listed << collect(books->count(), [&](int i) { return books->itemText(i); }).join(',') +
                      " [" + books->currentText() + "]";
        listed << collect(sheetsBox->count(), [&](int i) { return sheetsBox->itemText(i); })
                          .join(',') +
                      " [" + sheetsBox->currentText() + "]";
        listed << d->findChild<QLineEdit*>("missvalin")->text();
        // Letters turn upper case, anything else typed last is dropped.
        type(d, "startcolin", "b1");
        type(d, "stopcolin", "d");
        type(d, "startrowin", "5x");
        type(d, "stoprowin", "");
        listed << d->findChild<QLineEdit*>("startcolin")->text() + " " +
                      d->findChild<QLineEdit*>("startrowin")->text();
        // Incomplete: the first empty box (in the order of the check) gets the focus.
        d->findChild<QAbstractButton*>("OKbutton")->click();
        listed << d->focusWidget()->objectName();
        type(d, "stoprowin", "9");
        d->findChild<QLineEdit*>("missvalin")->clear();
        d->findChild<QAbstractButton*>("OKbutton")->click();
        listed << d->focusWidget()->objectName();
        type(d, "missvalin", "NA");
        sheetsBox->setCurrentIndex(sheetsBox->findText("Plants"));
        emit sheetsBox->activated(sheetsBox->currentIndex());
        press(d, "OKbutton");
    });
    action("ReadExcel1")->trigger();
    work()->waitForFinished();
    QCOMPARE(shown(), QStringList{"readSheetDialog: Read values from Excel /  / startcolin"});
    QCOMPARE(listed, QStringList({"first.ods,data.ods [data.ods]", "Sheet1,Plants [Sheet1]", "-99",
                                  "B 5", "stoprowin", "missvalin"}));

    QCOMPARE(names(), QStringList({"group", "weight", "NA"}));
    QCOMPARE(input()->rowCount(), 4);
    QCOMPARE(input()->headerData(3, Qt::Vertical).toString(), QString("4"));
    QCOMPARE(collect(4,
                     [&](int r) {
                         return value(1, r + 1) + ":" + value(2, r + 1) + ":" + value(3, r + 1);
                     }),
             QStringList({"ctrl:4.17: 7 ", "trt1:5:NA", "trt1:2.5:NA", "ctrl:6:NA"}));
    QCOMPARE(child<QLineEdit>("missvals")->text(), QString("NA"));
    for (const char* box : {"groupchoice", "testchoice", "selchoice"}) {
        QCOMPARE(items(box), QStringList({"group", "weight", "NA"}));
        QCOMPARE(current(box), -1);
    }
    // The page, the title and the earlier results stay.
    QCOMPARE(page(), 4);
    QCOMPARE(w_->windowTitle(),
             "Kruskal Wallis Nonparametric ANOVA: " + examples + "/plantgrowth.txt");
    QCOMPARE(label("chival"), QString("7.988"));
    QVERIFY(hidden("multisort"));

    // The read data calculate.
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(label("dfnr"), QString("1"));

    // A block whose last row comes before its first is refused; the table stays.
    watcher_->then([](QWidget* d) {
        QTest::qWait(30);
        type(d, "startcolin", "B");
        type(d, "stopcolin", "C");
        type(d, "startrowin", "9");
        type(d, "stoprowin", "5");
        press(d, "OKbutton");
    });
    action("ReadExcel1")->trigger();
    work()->waitForFinished();
    const QStringList seen = shown();
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[1], QString("ERROR: the last row comes before the first"));
    QCOMPARE(names(), QStringList({"group", "weight", "NA"}));
    QCOMPARE(child<QLineEdit>("missvals")->text(), QString("-99"));

    // Cancelled: nothing at all.
    action("ReadExcel1")->trigger();
    QCOMPARE(shown().size(), 1);
    QCOMPARE(names(), QStringList({"group", "weight", "NA"}));
}

void WindowTest::spreadsheetNotRunning() {
    QVERIFY(startWithSheets());
    read(examples + "/plantgrowth.txt");
    sheets_->running = false;
    const QString failure = "failure: no spreadsheet application is running";

    // The dialog shows the failure once and stays open with empty lists; "OK" fails again,
    // after the missing-value text was taken.
    int listed = -1;
    watcher_->then("readSheetDialog", [&listed](QWidget* d) {
        QTest::qWait(30);
        listed = d->findChild<QComboBox*>("booksbox")->count() +
                 d->findChild<QComboBox*>("sheetbox")->count();
        type(d, "startcolin", "A");
        type(d, "stopcolin", "B");
        type(d, "startrowin", "1");
        type(d, "stoprowin", "4");
        press(d, "OKbutton");
    });
    action("ReadExcel1")->trigger();
    work()->waitForFinished();
    // The dialog and the failure at its start come in either order.
    QStringList seen = shown();
    QCOMPARE(seen.count(failure), 2);
    QCOMPARE(seen.size(), 3);
    QCOMPARE(seen.last(), failure);
    QCOMPARE(listed, 0);
    QCOMPARE(names(), QStringList({"group", "weight"}));
    QCOMPARE(child<QLineEdit>("missvals")->text(), QString("-99"));

    // Saving: the same at the dialog and at "OK"; the counts at once.
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    watcher_->then("saveSheetDialog", [](QWidget* d) {
        QTest::qWait(30);
        type(d, "colout", "A");
        type(d, "rowout", "1");
        press(d, "OKbut");
    });
    action("SavetoExcel1")->trigger();
    work()->waitForFinished();
    seen = shown();
    QCOMPARE(seen.count(failure), 2);
    QCOMPARE(seen.size(), 3);
    QCOMPARE(seen.last(), failure);
    child<QPushButton>("SaveCountsToExcelButton")->click();
    work()->waitForFinished();
    QCOMPARE(shown(), QStringList{failure});
    QCOMPARE(label("chival"), QString("7.988"));
}

// When no spreadsheet answers, the window offers to start one, where its link factory can;
// other failures of the spreadsheet offer nothing.
void WindowTest::spreadsheetStartIsOffered() {
    QVERIFY(startWithSheets());
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    sheets_->running = false;
    links_->question = "Start the spreadsheet?";
    // One box says that nothing answered and offers to start the spreadsheet.
    const QString offer =
        "startspreadsheet: no spreadsheet application is running\n\nStart the spreadsheet?";
    auto saveCounts = [this] {
        child<QPushButton>("SaveCountsToExcelButton")->click();
        work()->waitForFinished();
    };

    // Declined: nothing starts.
    saveCounts();
    QCOMPARE(shown(), QStringList({offer}));
    QCOMPARE(links_->starts, 0);

    // Accepted, but the start fails: its reason is shown.
    links_->startable = false;
    watcher_->then("startspreadsheet", press(QMessageBox::Yes));
    saveCounts();
    QCOMPARE(shown(), QStringList({offer, "failure: soffice cannot be started"}));
    QCOMPARE(links_->starts, 1);

    // Accepted: started, with a word on what to expect; then the counts go over.
    links_->startable = true;
    watcher_->then("startspreadsheet", press(QMessageBox::Yes));
    saveCounts();
    QCOMPARE(shown(), QStringList({offer, "spreadsheetstarted: The spreadsheet starts."}));
    QCOMPARE(links_->starts, 2);
    saveCounts();
    QCOMPARE(shown(), QStringList());

    // The spreadsheet answers but refuses: its message, no offer.
    sheets_->maxColumns = 1;
    saveCounts();
    const QStringList refused = shown();
    QCOMPARE(refused.size(), 1);
    QVERIFY2(refused[0].startsWith("failure: "), qPrintable(refused[0]));
    QCOMPARE(links_->starts, 2);
}

void WindowTest::saveResultsToSpreadsheet() {
    QVERIFY(startWithSheets());
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();

    // The check boxes: "new sheet" cleared shows the warning and offers the sheets; "new
    // book" checks and locks "new sheet"; clearing it lists the books again.
    QStringList states;
    auto state = [&states](QWidget* d) {
        auto* books = d->findChild<QComboBox*>("booksbox");
        auto* sheetsBox = d->findChild<QComboBox*>("sheetbox");
        auto* newSheet = d->findChild<QCheckBox*>("newsheetcheck");
        states << QString("books %1%2 sheets %3%4 new sheet %5%6 warning %7")
                      .arg(books->count())
                      .arg(books->isEnabled() ? "" : " off")
                      .arg(sheetsBox->count())
                      .arg(sheetsBox->isEnabled() ? "" : " off")
                      .arg(newSheet->isChecked() ? "on" : "off")
                      .arg(newSheet->isEnabled() ? "" : " locked")
                      .arg(d->findChild<QLabel*>("sheetwarning")->isVisible() ? "shown" : "hidden");
    };
    watcher_->then([&](QWidget* d) {
        QTest::qWait(30);
        auto* newBook = d->findChild<QCheckBox*>("newbookcheck");
        auto* newSheet = d->findChild<QCheckBox*>("newsheetcheck");
        state(d);
        newSheet->click();
        state(d);
        newBook->click();
        state(d);
        newBook->click();
        state(d);
        newSheet->click();
        auto* books = d->findChild<QComboBox*>("booksbox");
        books->setCurrentIndex(books->findText("first.ods"));
        emit books->activated(books->currentIndex());
        state(d);
        type(d, "colout", "c");
        d->findChild<QAbstractButton*>("OKbut")->click();
        states << d->focusWidget()->objectName();
        type(d, "rowout", "1o0");
        states << d->findChild<QLineEdit*>("rowout")->text();
        press(d, "OKbut");
    });
    action("SavetoExcel1")->trigger();
    work()->waitForFinished();
    QCOMPARE(shown(), QStringList{"saveSheetDialog: Save corrected values to Excel /  / colout"});
    QCOMPARE(states, QStringList({"books 2 sheets 2 off new sheet on warning hidden",
                                  "books 2 sheets 2 new sheet off warning shown",
                                  "books 0 off sheets 0 off new sheet on locked warning hidden",
                                  "books 2 sheets 0 off new sheet on warning hidden",
                                  "books 2 sheets 1 new sheet off warning shown", "rowout", "10"}));
    // Written into Sheet1 of first.ods, the chosen book, at C10; p >= alpha at 0.01 is not
    // the case here (p = 0.0184 < 0.05): the comparison follows.
    QCOMPARE(sheetCell("first.ods", "Sheet1", "C10"),
             QString("KRUSKAL WALLIS NONPARAMETRIC ANOVA"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "H10"), QString("version:10.3"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "C13"), QString("group: group"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "C15"), QString("Chi2: 7.988"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "C17"), QString("p: 1.84E-002"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "C19"), QString("MULTIPLE COMPARISON OF GROUPS "));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "C20"), QString("* = significant at p<0.0500"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "D21"), QString("group"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "C22"), QString("group"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "D22"), QString("median"));
    QCOMPARE(sheetCell("first.ods", "Sheet1", "B10"), QString("<empty>"));

    // A new book gets a new sheet; the block starts at the cell given.
    watcher_->then([](QWidget* d) {
        QTest::qWait(30);
        d->findChild<QCheckBox*>("newbookcheck")->click();
        type(d, "colout", "A");
        type(d, "rowout", "1");
        press(d, "OKbut");
    });
    const std::size_t before = sheets_->books.size();
    action("SavetoExcel1")->trigger();
    work()->waitForFinished();
    QCOMPARE(shown().size(), 1);
    QCOMPARE(sheets_->books.size(), before + 1);
    const auto& fresh = sheets_->books.back();
    QCOMPARE(sheetCell(fresh.name, fresh.sheets.back().name, "A1"),
             QString("KRUSKAL WALLIS NONPARAMETRIC ANOVA"));

    // Cancelled: nothing written.
    const std::size_t books = sheets_->books.size();
    action("SavetoExcel1")->trigger();
    QCOMPARE(shown().size(), 1);
    QCOMPARE(sheets_->books.size(), books);
}

void WindowTest::saveCountsToSpreadsheet() {
    QVERIFY(startWithSheets());
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    const auto& book = sheets_->books[static_cast<std::size_t>(sheets_->activeBook)];
    const std::size_t before = book.sheets.size();
    child<QPushButton>("SaveCountsToExcelButton")->click();
    work()->waitForFinished();
    QCOMPARE(shown(), QStringList());
    QCOMPARE(book.sheets.size(), before + 1);
    // A new sheet before the active one, the grid from A1 (its corner cell included).
    const std::string name = book.sheets[static_cast<std::size_t>(book.activeSheet)].name;
    // Texts stay texts, counts and values become numbers.
    QCOMPARE(sheetCell("data.ods", name, "A1"), QString("<empty>"));
    QCOMPARE(sheetCell("data.ods", name, "B1"), QString("groups"));
    QCOMPARE(sheetCell("data.ods", name, "A2"), QString("values"));
    QCOMPARE(sheetCell("data.ods", name, "B2"), QString("ctrl"));
    QCOMPARE(sheetCell("data.ods", name, "A3"), "real " + cell("countgrid", 0, 2));
    QCOMPARE(sheetCell("data.ods", name, "B3"), "int " + cell("countgrid", 1, 2));
    QVERIFY(!sheets_->connected); // let go at the end
}

namespace {

// A number as the details page shows it (six significant digits) is the batch tool's value.
bool sameNumber(const QString& shown, const QJsonValue& value) {
    bool ok = false;
    const double x = shown.toDouble(&ok);
    const double y = value.toDouble();
    return ok && std::abs(x - y) <= 5e-6 * std::abs(y);
}

} // namespace

void WindowTest::turnToDetails() {
    child<QTabWidget>("datapages")->setCurrentIndex(5);
    work()->waitForFinished();
}

QJsonObject WindowTest::batchJson(const QString& file, const QStringList& options) {
    const QString json = dir_->filePath("details.json");
    QProcess batch;
    batch.start(QStringLiteral(KWTEST_PATH), QStringList{file, "--json", json} + options);
    const bool finished = batch.waitForFinished(30000);
    if (!finished || batch.exitCode() != 0) {
        qWarning("kwtest failed: %s", batch.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(fileBytes(json)).object();
}

// The details of the insect sprays as the batch tool gives them, for the default choices and
// for others picked on the page; each change of a chooser computes them again.
void WindowTest::detailsMatchBatchTool() {
    const QString sprays = examples + "/insectsprays.txt";
    QVERIFY(start());
    read(sprays);
    pick("groupchoice", "spray");
    pick("testchoice", "count");
    calculate();
    QCOMPARE(page(), 3);
    QVERIFY(detailsStatus().startsWith("Not computed"));
    turnToDetails(); // 72 cases: computed at once
    QCOMPARE(page(), 5);
    QCOMPARE(shown(), QStringList());
    QCOMPARE(detailsStatus(), QString("count by spray, 72 cases."));

    QJsonObject batch = batchJson(sprays, {"--group", "spray", "--test", "count"});
    QVERIFY(!batch.isEmpty());
    // The descriptives, letters beside the groups.
    const QJsonArray groups = batch["descriptives"].toArray();
    QCOMPARE(table("descriptives")->rowCount(), 6);
    const char* keys[] = {"n", "median", "q1", "q3", "min", "max", "meanrank", "ranksum"};
    for (int g = 0; g < 6; ++g) {
        const QJsonObject d = groups[g].toObject();
        QCOMPARE(tableCell("descriptives", g, 0), d["group"].toString());
        QCOMPARE(
            tableCell("descriptives", g, 1),
            batch["pairwise"].toObject()["letters"].toObject()[d["group"].toString()].toString());
        for (int c = 0; c < 8; ++c) {
            QVERIFY2(sameNumber(tableCell("descriptives", g, c + 2), d[keys[c]]),
                     qPrintable(tableCell("descriptives", g, c + 2)));
        }
    }
    QCOMPARE(tableCell("descriptives", 2, 1) + " " + tableCell("descriptives", 2, 3) + " " +
                 tableCell("descriptives", 2, 4) + " " + tableCell("descriptives", 2, 8),
             QString("b 1.5 1 11.4583"));
    // The over-all test and the effect sizes: Monte Carlo here, 10,000 relabellings.
    const QJsonObject p = batch["pvalue_h"].toObject();
    QCOMPARE(p["method"].toString(), QString("montecarlo"));
    QCOMPARE(QStringList({label("hvalue"), label("dfvalue"), label("casecount"),
                          label("pasymptotic"), label("presampledcaption")}),
             QStringList({"54.6913", "5", "72", "1.51084e-10", "p, Monte Carlo:"}));
    QVERIFY(sameNumber(label("presampled"), p["p"]));
    const QStringList interval = label("pinterval").mid(1).chopped(1).split(", ");
    QCOMPARE(interval.size(), 2);
    QVERIFY(sameNumber(interval[0], p["ci"].toArray()[0]));
    QVERIFY(sameNumber(interval[1], p["ci"].toArray()[1]));
    QCOMPARE(label("relabellings"), QString("10,000 (seed 1)"));
    const QJsonObject e = batch["effectsize"].toObject();
    QVERIFY(sameNumber(label("epsilon2"), e["epsilon2"]));
    QVERIFY(sameNumber(label("eta2h"), e["eta2h"]));
    QCOMPARE(label("epsilon2interval"),
             QString("[%1, %2]")
                 .arg(e["epsilon2_ci"].toArray()[0].toDouble(), 0, 'g', 6)
                 .arg(e["epsilon2_ci"].toArray()[1].toDouble(), 0, 'g', 6));
    QCOMPARE(label("bootstrap"), QString("percentile, 2,000 resamples within groups (seed 1)"));
    QCOMPARE(child<QLineEdit>("apaline")->text(), batch["apa"].toString());
    QCOMPARE(child<QPlainTextEdit>("methods")->toPlainText(), batch["methods"].toString());
    child<QPushButton>("copyapa")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), batch["apa"].toString());

    // The pairs, in the batch tool's order until sorted; every number of every pair.
    auto comparePairs = [this](const QJsonObject& json, const QString& statistic) {
        const QJsonArray pairs = json["pairwise"].toObject()["pairs"].toArray();
        QCOMPARE(table("pairs")->rowCount(), pairs.size());
        QCOMPARE(tableHeader("pairs", 2), statistic);
        const char* columns[] = {"statistic", "df", "p", "padj", "meanrankdiff", "r"};
        for (int i = 0; i < pairs.size(); ++i) {
            const QJsonObject pair = pairs[i].toObject();
            QCOMPARE(tableCell("pairs", i, 0) + "-" + tableCell("pairs", i, 1),
                     pair["group1"].toString() + "-" + pair["group2"].toString());
            for (int c = 0; c < 6; ++c) {
                const QString cell = tableCell("pairs", i, c + 2);
                QVERIFY2(pair.contains(columns[c]) ? sameNumber(cell, pair[columns[c]])
                                                   : cell.isEmpty(),
                         qPrintable(columns[c] + (": " + cell)));
            }
        }
        auto* view = child<QTableView>("pairs");
        QCOMPARE(view->isColumnHidden(3), !pairs[0].toObject().contains("df"));
        QCOMPARE(view->isColumnHidden(7), !pairs[0].toObject().contains("r"));
    };
    comparePairs(batch, "z");
    QCOMPARE(tableCell("pairs", 1, 4), QString("1.80533e-6")); // A-C: p that small

    // Other choices: each chooser computes again.
    choose("pairmethod", "Conover-Iman");
    QCOMPARE(shown(), QStringList());
    choose("adjustment", "Bonferroni");
    child<QLineEdit>("seed")->setText("7");
    emit child<QLineEdit>("seed")->editingFinished();
    work()->waitForFinished();
    child<QSpinBox>("resamples")->setValue(500);
    work()->waitForFinished();
    QVERIFY(child<QLabel>("detailsstatus")->text().startsWith("count by spray"));
    batch = batchJson(sprays, {"--group", "spray", "--test", "count", "--pairwise", "conover",
                               "--adjust", "bonferroni", "--seed", "7", "--resamples", "500"});
    comparePairs(batch, "t");
    QVERIFY(sameNumber(label("epsilon2interval").section(", ", 1).chopped(1),
                       batch["effectsize"].toObject()["epsilon2_ci"].toArray()[1]));
    QCOMPARE(label("relabellings"), QString("500 (seed 7)"));
    QCOMPARE(child<QLineEdit>("apaline")->text(), batch["apa"].toString());

    // Each group against a control: no letters.
    choose("pairmethod", "Dunn");
    choose("controlgroup", "C");
    batch = batchJson(sprays, {"--group", "spray", "--test", "count", "--adjust", "bonferroni",
                               "--control", "C", "--seed", "7", "--resamples", "500"});
    comparePairs(batch, "z");
    QVERIFY(child<QTableView>("descriptives")->isColumnHidden(1));
    QVERIFY(label("lettersnote").startsWith("No letters"));
    // DSCF compares all pairs with p adjusted for the family: no control, no adjustment.
    choose("pairmethod", "Dwass-Steel-Critchlow-Fligner");
    QVERIFY(!child<QComboBox>("controlgroup")->isEnabled());
    QVERIFY(!child<QComboBox>("adjustment")->isEnabled());
    QCOMPARE(child<QComboBox>("controlgroup")->currentIndex(), 0);
    batch = batchJson(sprays, {"--group", "spray", "--test", "count", "--pairwise", "dscf",
                               "--seed", "7", "--resamples", "500"});
    comparePairs(batch, "W*");
    QVERIFY(!child<QTableView>("descriptives")->isColumnHidden(1));
    QCOMPARE(shown(), QStringList());
    QCOMPARE(page(), 5); // the computations leave the page in front
}

// Sorting the pairs by a column's header, numbers as numbers; what clears the page.
void WindowTest::detailsSortAndClear() {
    QVERIFY(start());
    read(examples + "/insectsprays.txt");
    pick("groupchoice", "spray");
    pick("testchoice", "count");
    calculate();
    turnToDetails();
    auto* view = child<QTableView>("pairs");
    auto clickHeader = [view](int column) {
        QHeaderView* header = view->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 4, 4));
    };
    auto columnValues = [this](int column) {
        QList<double> values;
        for (int r = 0; r < table("pairs")->rowCount(); ++r) {
            values << tableCell("pairs", r, column).toDouble();
        }
        return values;
    };
    // By the mean rank difference (-44.1667 ... 43.375, negatives sorted as numbers), then
    // the other way round, then by p, a column of small numbers written with exponents.
    clickHeader(6);
    QList<double> differences = columnValues(6);
    QVERIFY(std::is_sorted(differences.begin(), differences.end()));
    QCOMPARE(tableCell("pairs", 0, 0) + tableCell("pairs", 0, 1), QString("CF"));
    clickHeader(6);
    differences = columnValues(6);
    QVERIFY(std::is_sorted(differences.rbegin(), differences.rend()));
    QCOMPARE(tableCell("pairs", 0, 0) + tableCell("pairs", 0, 1), QString("BC"));
    clickHeader(4);
    const QList<double> p = columnValues(4);
    QVERIFY(std::is_sorted(p.begin(), p.end()));
    QCOMPARE(tableCell("pairs", 0, 4), QString("2.22297e-7"));
    // Recomputed, the pairs stay sorted by p.
    choose("adjustment", "none");
    QCOMPARE(tableCell("pairs", 0, 4), QString("2.22297e-7"));
    QCOMPARE(tableCell("pairs", 0, 5), tableCell("pairs", 0, 4));

    // A new calculation clears the page until it is computed for it; a failed one too.
    calculate();
    QCOMPARE(page(), 3);
    QCOMPARE(table("descriptives")->rowCount(), 0);
    QCOMPARE(label("hvalue"), QString("-----"));
    turnToDetails();
    QCOMPARE(table("descriptives")->rowCount(), 6);
    addCondition("spray", 0, "A");
    calculate();
    QCOMPARE(shown(), QStringList{"ERROR: all cases in one group"});
    QVERIFY(detailsStatus().startsWith("No completed calculation"));
    child<QPushButton>("clearselect")->click();
    calculate();
    turnToDetails();
    QCOMPARE(table("pairs")->rowCount(), 15);

    // A new load clears it; "compute" has nothing to compute then.
    read(examples + "/plantgrowth.txt");
    QCOMPARE(page(), 0);
    turnToDetails();
    QVERIFY(detailsStatus().startsWith("No completed calculation"));
    QCOMPARE(table("descriptives")->rowCount(), 0);
    QCOMPARE(table("pairs")->rowCount(), 0);
    QCOMPARE(child<QLineEdit>("apaline")->text(), QString());
    child<QPushButton>("computedetails")->click();
    QVERIFY(!work()->running());
    QCOMPARE(shown(), QStringList());
}

// Long details wait for "compute" and stop on Cancel, the one control that takes input while
// they run; a failure of the computation is shown as the window shows failures.
void WindowTest::detailsCancelAndFailure() {
    QVERIFY(start());
    read(examples + "/insectsprays.txt");
    pick("groupchoice", "spray");
    pick("testchoice", "count");
    calculate();
    turnToDetails();
    QCOMPARE(table("pairs")->rowCount(), 15);

    // Five million resamples: not started by the change, which clears the page.
    child<QSpinBox>("resamples")->setValue(5'000'000);
    QVERIFY(!work()->running());
    QVERIFY(detailsStatus().startsWith("Not computed for these choices"));
    QCOMPARE(label("hvalue"), QString("-----"));
    child<QPushButton>("computedetails")->click();
    QVERIFY(work()->running());
    auto* cancel = w_->findChild<QPushButton*>("cancelwork");
    QVERIFY(cancel != nullptr);
    QVERIFY(QTest::qWaitFor([cancel] { return cancel->isVisible(); }, 5000));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!work()->running(), 5000);
    QVERIFY(!cancel->isVisible());
    QCOMPARE(detailsStatus(), QString("Cancelled: nothing computed for these choices."));
    QCOMPARE(table("pairs")->rowCount(), 0);
    QCOMPARE(shown(), QStringList());
    // Escape stops it too.
    child<QPushButton>("computedetails")->click();
    QVERIFY(QTest::qWaitFor([cancel] { return cancel->isVisible(); }, 5000));
    QTest::keyClick(child<QComboBox>("pairmethod"), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!work()->running(), 5000);
    QCOMPARE(detailsStatus(), QString("Cancelled: nothing computed for these choices."));
    child<QSpinBox>("resamples")->setValue(0);
    work()->waitForFinished();
    QCOMPARE(table("pairs")->rowCount(), 15);

    // Conover-Iman without variance within the groups: refused, shown, nothing computed.
    const QString separate = dir_->filePath("separate.txt");
    QVERIFY(writeFile(separate, "g v\r\n1 1\r\n1 1\r\n2 2\r\n2 2\r\n3 3\r\n3 3\r\n"));
    read(separate);
    pick("groupchoice", "g");
    pick("testchoice", "v");
    calculate();
    turnToDetails();
    QCOMPARE(table("pairs")->rowCount(), 3);
    choose("pairmethod", "Conover-Iman");
    QCOMPARE(shown(), QStringList{"failure: every group holds a single value: the Conover-Iman "
                                  "comparison has no variance within the groups (choose Dunn "
                                  "or Dwass-Steel-Critchlow-Fligner)"});
    QCOMPARE(detailsStatus(), QString("Nothing computed for these choices."));
    QCOMPARE(table("pairs")->rowCount(), 0);
    QCOMPARE(page(), 5);
    // Not tried again by turning back to the page; "compute" tries again.
    child<QTabWidget>("datapages")->setCurrentIndex(3);
    turnToDetails();
    QCOMPARE(shown(), QStringList());
    child<QPushButton>("computedetails")->click();
    work()->waitForFinished();
    QCOMPARE(shown().size(), 1);
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
