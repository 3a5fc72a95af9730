// Importing data through the window, offscreen: File > Open and its routing by kind and
// filter, the import dialogs and what they return, the recent files, Edit > Paste, a file
// dropped onto the window, and the names of a typed table edited in the grid. Modal dialogs
// are answered by a watcher that records what came to the front.
//
// Cases that need a reader of the core (delimited text, workbooks, statistics files) are
// skipped while that reader is a stand-in that cannot read yet.

#include "windowsteps.h"

#include "app/dialogs/filedialogs.h"
#include "app/dialogs/importparts.h"
#include "app/dialogs/textimportdialog.h"
#include "app/mainwindow.h"
#include "app/settings.h"
#include "app/work/workrunner.h"
#include "core/base/failure.h"
#include "core/io/delimitedtext.h"
#include "core/io/statisticsfile.h"
#include "core/io/workbook.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>

using kw::DataFileKind;
using kw::app::MainWindow;

namespace {

const QString examples = QStringLiteral(KW_EXAMPLES_DIR);
const QString importData = QStringLiteral(KW_IMPORT_DATA_DIR);

// Whether a reader of the core reads already (its stand-in says "... cannot be read yet").
bool ready(const std::function<void()>& read) {
    try {
        read();
    } catch (const kw::Failure& failure) {
        return failure.message().find("cannot be read yet") == std::string::npos;
    }
    return true;
}
bool delimitedReady() {
    return ready([] { kw::readDelimitedData("a,b\n1,2\n", {}, '.'); });
}

#define REQUIRE_READER(isReady, what)                                                              \
    if (!(isReady)) {                                                                              \
        QSKIP(what " cannot be read yet in this build");                                           \
    }

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

using kw::test::pressOk;

// A File > Open answer: the filter picked (all data files unless another is given), then the
// file typed as its full name and accepted.
kw::test::Answer answerFile(const QString& path, const QString& filter = kw::app::dataFilesFilter,
                            QString* folderShown = nullptr) {
    return kw::test::answerFile(path, filter, folderShown);
}

// Records each modal dialog in one line: "failure: message" for a plain failure, "CAPTION:
// message" for a notice, "files: filters" for a file dialog, "objectName: title" for the
// others; one that no answer is for gets OK (or Yes) of a message box, Cancel of a dialog with
// a button box.
class Watcher final : public kw::test::Answerer {
protected:
    void record(QWidget* w) override {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen_ << (w->objectName() == "failuremessage" ? "failure: " : w->objectName() + ": ") +
                         box->text();
        } else if (w->objectName() == "warningDialog") {
            seen_ << w->windowTitle() + ": " +
                         w->findChild<QPlainTextEdit*>("message")->toPlainText();
        } else if (auto* files = qobject_cast<QFileDialog*>(w)) {
            seen_ << "files: " + files->nameFilters().join(";;");
        } else {
            seen_ << w->objectName() + ": " + w->windowTitle();
        }
    }

    void close(QWidget* w) override {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            kw::test::clickLater(box->buttons().value(0));
        } else if (auto* buttons = w->findChild<QDialogButtonBox*>()) {
            kw::test::clickLater(buttons->button(QDialogButtonBox::Cancel));
        } else if (auto* files = qobject_cast<QFileDialog*>(w)) {
            QTimer::singleShot(0, files, &QDialog::reject);
        } else {
            kw::test::press(w, "OKbut");
        }
    }
};

QStringList previewRow(QWidget* dialog, int row) {
    auto* table = dialog->findChild<QTableWidget*>("preview");
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c) {
        if (row < 0) {
            cells << table->horizontalHeaderItem(c)->text();
        } else {
            cells << (table->item(row, c) != nullptr ? table->item(row, c)->text() : "<none>");
        }
    }
    return cells;
}

template <typename T> T* find(QWidget* dialog, const char* name) {
    T* found = dialog->findChild<T*>(name);
    if (found == nullptr) {
        qFatal("the dialog has no %s", name);
    }
    return found;
}

} // namespace

class ImportTest final : public QObject, kw::test::WindowSteps {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void kindByNameContentAndFilter_data();
    void kindByNameContentAndFilter();
    void openRoutesByKindAndRemembersFolder();
    void textImportDialogChoices();
    void textImportDetectsAndPreviews();
    void delimitedFileIsRead();
    void refusedFilesLeaveTheData();
    void recentFilesSetting();
    void recentFilesMenu();
    void pasteRouting();
    void pastedBlockIsRead();
    void typedNamesAreEditable();
    void droppedFileOpens();
    void workbookAndStatisticsFiles();
    void longReadCanBeCancelled();

private:
    bool start();
    void openFile(const QString& path, const QString& filter = kw::app::dataFilesFilter);
    void settle(); // every step of the work (an import may take two) finished

    QTableView* grid() const { return child<QTableView>("inputgrid"); }
    QStringList names() const {
        QStringList out;
        for (int c = 0; c < grid()->model()->columnCount(); ++c) {
            out << grid()->model()->headerData(c, Qt::Horizontal).toString();
        }
        return out;
    }
    int rows() const { return grid()->model()->rowCount(); }
    QString value(int col, int row) const {
        return grid()->model()->index(row - 1, col - 1).data().toString();
    }
    QStringList items(const char* chooser) const {
        auto* box = child<QComboBox>(chooser);
        QStringList out;
        for (int i = 0; i < box->count(); ++i) {
            out << box->itemText(i);
        }
        return out;
    }
    QString missingField() const { return child<QLineEdit>("missvals")->text(); }
    QStringList shown() { return watcher_->take(); }
    QString path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<Watcher> watcher_;
    std::unique_ptr<QTemporaryDir> dir_;
    QTemporaryDir settingsDir_;
};

void ImportTest::initTestCase() {
    QVERIFY(kw::test::ownSettings(settingsDir_));
}

void ImportTest::init() {
    QSettings("Quindle Research", "KruskalWallis").clear();
    kw::app::storeVersion("10.3"); // no notice at start
    watcher_ = std::make_unique<Watcher>();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void ImportTest::cleanup() {
    if (w_) {
        w_->close();
        w_.reset();
    }
    watcher_.reset();
    dir_.reset();
}

bool ImportTest::start() {
    w_ = std::make_unique<MainWindow>();
    return kw::test::showStarted(*w_);
}

void ImportTest::settle() {
    while (work()->running()) {
        work()->waitForFinished();
    }
}

void ImportTest::openFile(const QString& file, const QString& filter) {
    watcher_->then(answerFile(file, filter));
    action("OpenData1")->trigger();
    settle();
}

// --- File > Open

void ImportTest::kindByNameContentAndFilter_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("kind");
    using namespace kw::app;
    const QByteArray text = "g x\n1 2\n";
    const auto delimited = static_cast<int>(DataFileKind::delimitedText);
    const auto own = static_cast<int>(DataFileKind::spaceText);
    const auto book = static_cast<int>(DataFileKind::workbook);
    const auto stats = static_cast<int>(DataFileKind::statistics);
    QTest::newRow("csv") << "a.CSV" << text << dataFilesFilter << delimited;
    QTest::newRow("txt: the program's own") << "a.txt" << text << dataFilesFilter << own;
    QTest::newRow("txt under delimited text")
        << "a.txt" << text << delimitedTextFilter << delimited;
    QTest::newRow("dat under delimited text")
        << "a.dat" << text << delimitedTextFilter << delimited;
    QTest::newRow("txt under own text") << "a.txt" << text << ownTextFilter << own;
    QTest::newRow("xlsx under delimited text") << "a.xlsx" << text << delimitedTextFilter << book;
    QTest::newRow("zip without extension")
        << "data" << QByteArray("PK\x03\x04rest", 8) << allFilesFilter << book;
    QTest::newRow("zip named .txt")
        << "data.txt" << QByteArray("PK\x03\x04rest", 8) << delimitedTextFilter << book;
    QTest::newRow("sav") << "a.sav" << text << statisticsFilesFilter << stats;
    QTest::newRow("dta named .dat")
        << "a.dat" << QByteArray("<stata_dta><header>") << ownTextFilter << stats;
}

void ImportTest::kindByNameContentAndFilter() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, filter);
    QFETCH(int, kind);
    QVERIFY(writeFile(path(name), bytes));
    QCOMPARE(static_cast<int>(kw::app::chosenFileKind(path(name), filter)), kind);
}

void ImportTest::openRoutesByKindAndRemembersFolder() {
    QVERIFY(start());
    QVERIFY(QFile::copy(examples + "/plantgrowth.txt", path("plants.txt")));

    // The program's own text as "Read data from Text file" reads it: caption, table, and the
    // missing-value code cleared.
    child<QLineEdit>("missvals")->setText("-1");
    openFile(path("plants.txt"));
    const QStringList filters = {kw::app::dataFilesFilter, kw::app::delimitedTextFilter,
                                 kw::app::workbooksFilter, kw::app::statisticsFilesFilter,
                                 kw::app::ownTextFilter,   kw::app::allFilesFilter};
    QCOMPARE(shown(), QStringList{"files: " + filters.join(";;")});
    QCOMPARE(names(), QStringList({"group", "weight"}));
    QCOMPARE(w_->windowTitle(), "Kruskal Wallis Nonparametric ANOVA: " + path("plants.txt"));
    QCOMPARE(missingField(), QString());
    QCOMPARE(kw::app::lastFolder(), dir_->path());

    // The same .txt under the delimited-text filter goes to the import dialog (cancelled:
    // nothing changes); the dialog opened in the folder remembered.
    QString folder;
    watcher_->then(answerFile(path("plants.txt"), kw::app::delimitedTextFilter, &folder));
    action("OpenData1")->trigger();
    settle();
    QCOMPARE(folder, dir_->path());
    QCOMPARE(shown().value(1), QString("textimportdialog: Import delimited text"));
    QCOMPARE(names(), QStringList({"group", "weight"}));

    // A statistics file by its extension (its dialog cancelled).
    QVERIFY(writeFile(path("x.sav"), "not spss"));
    openFile(path("x.sav"));
    QCOMPARE(shown().value(1), QString("statisticsimportdialog: Import SPSS or Stata file"));

    // A cancelled file dialog changes nothing, the missing-value code included.
    child<QLineEdit>("missvals")->setText("-1");
    watcher_->then(
        [](QWidget* w) { QTimer::singleShot(0, w, [w] { qobject_cast<QDialog*>(w)->reject(); }); });
    action("OpenData1")->trigger();
    QCOMPARE(missingField(), QString("-1"));
    QCOMPARE(names(), QStringList({"group", "weight"}));
}

// --- The delimited-text dialog

void ImportTest::textImportDialogChoices() {
    QVERIFY(writeFile(path("a.csv"), "g,x\na,1\n"));
    kw::app::TextImportDialog dialog(kw::app::fileHead(path("a.csv")), path("a.csv"), '.');
    QCOMPARE(dialog.windowTitle(), QString("Import delimited text"));
    QVERIFY(find<QLabel>(&dialog, "source")->text().contains("a.csv"));

    // The defaults: NA counts as missing, missing cells receive -99, long layout.
    kw::ImportOptions options = dialog.options();
    QCOMPARE(options.naCodes, std::vector<std::string>{"NA"});
    QCOMPARE(options.missingCode, std::string("-99"));
    QVERIFY(!options.wide);
    QVERIFY(options.delimiter && options.decimal && !options.encoding.empty());

    // Every control into the options.
    auto* separator = find<QComboBox>(&dialog, "separator");
    separator->setCurrentIndex(separator->findText("Semicolon"));
    find<QComboBox>(&dialog, "decimalmark")->setCurrentIndex(1);
    find<QComboBox>(&dialog, "encoding")->setCurrentText("ISO-8859-15");
    find<QLineEdit>(&dialog, "nacodes")->setText(" NA, .  n/a,NA ");
    find<QLineEdit>(&dialog, "missingcode")->setText("-9");
    find<QCheckBox>(&dialog, "wide")->setChecked(true);
    options = dialog.options();
    QCOMPARE(*options.delimiter, ';');
    QCOMPARE(*options.decimal, ',');
    QCOMPARE(options.encoding, std::string("ISO-8859-15"));
    QCOMPARE(options.naCodes, (std::vector<std::string>{"NA", ".", "n/a"}));
    QCOMPARE(options.missingCode, std::string("-9"));
    QVERIFY(options.wide);
    for (const char* name : {"Tab", "Comma", "Vertical bar"}) {
        separator->setCurrentIndex(separator->findText(name));
        QCOMPARE(*dialog.options().delimiter, name[0] == 'T' ? '\t' : name[0] == 'C' ? ',' : '|');
    }

    // "Other": the character typed (one of ASCII, not the quote); none left: no separator.
    auto* other = find<QLineEdit>(&dialog, "otherseparator");
    QVERIFY(!other->isEnabled());
    separator->setCurrentIndex(separator->findText("Other:"));
    QVERIFY(other->isEnabled());
    QCOMPARE(*dialog.options().delimiter, '\0');
    QTest::keyClicks(other, "\"");
    QCOMPARE(other->text(), QString());
    QTest::keyClicks(other, ":");
    QCOMPARE(*dialog.options().delimiter, ':');

    // OK refuses an empty missing-value code or encoding, putting the focus there.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    find<QLineEdit>(&dialog, "missingcode")->setText("  ");
    ok->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.focusWidget()->objectName(), QString("missingcode"));
    find<QLineEdit>(&dialog, "missingcode")->setText("-9");
    find<QComboBox>(&dialog, "encoding")->setCurrentText("");
    ok->click();
    QVERIFY(dialog.isVisible());
    find<QComboBox>(&dialog, "encoding")->setCurrentText("UTF-8");
    ok->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    // Pasted text is UTF-8: no encoding to choose.
    kw::app::TextImportDialog pasted("g\tx\na\t1\n", QString(), '.');
    QCOMPARE(pasted.windowTitle(), QString("Paste data"));
    QVERIFY(pasted.findChild<QComboBox*>("encoding") == nullptr);
    QCOMPARE(pasted.options().encoding, std::string("UTF-8"));

    // The head of a file ends after its last whole line, of UTF-16 after both bytes of it.
    QCOMPARE(kw::app::textHead("ab\ncd\nef", 7), std::string("ab\ncd\n"));
    QCOMPARE(kw::app::textHead("ab\ncd\nef", 100), std::string("ab\ncd\nef"));
    const std::string utf16("\xFF\xFE"
                            "a\0\n\0b\0\n\0c\0",
                            12);
    QCOMPARE(kw::app::textHead(utf16, 9), utf16.substr(0, 10));
    QVERIFY_THROWS_EXCEPTION(kw::Failure, kw::app::fileHead(path("absent.csv")));
}

void ImportTest::textImportDetectsAndPreviews() {
    REQUIRE_READER(delimitedReady(), "delimited text");
    QVERIFY(writeFile(path("semi.csv"), "group;weight;note\nctrl;4,17;NA\ntrt1;;x\ntrt2;5,5;.\n"));
    kw::app::TextImportDialog dialog(kw::app::fileHead(path("semi.csv")), path("semi.csv"), '.');

    // The format found from the file.
    QCOMPARE(find<QComboBox>(&dialog, "separator")->currentText(), QString("Semicolon"));
    QCOMPARE(find<QComboBox>(&dialog, "decimalmark")->currentIndex(), 1);
    QCOMPARE(find<QComboBox>(&dialog, "encoding")->currentText(), QString("UTF-8"));

    // The preview: names as headers, missing cells as the text they receive.
    QCOMPARE(previewRow(&dialog, -1), QStringList({"group", "weight", "note"}));
    QCOMPARE(previewRow(&dialog, 0), QStringList({"ctrl", "4.17", "-99"}));
    QCOMPARE(previewRow(&dialog, 1), QStringList({"trt1", "-99", "x"}));
    QCOMPARE(previewRow(&dialog, 2), QStringList({"trt2", "5.5", "."}));

    // ... following every choice; numbers with the program's decimal mark, and one column
    // per group as group and value.
    find<QLineEdit>(&dialog, "nacodes")->setText("NA .");
    QCOMPARE(previewRow(&dialog, 2), QStringList({"trt2", "5.5", "-99"}));
    find<QCheckBox>(&dialog, "wide")->setChecked(true);
    QCOMPARE(previewRow(&dialog, -1), QStringList({"group", "value"}));
    QCOMPARE(previewRow(&dialog, 3), QStringList({"weight", "4.17"}));
    QCOMPARE(previewRow(&dialog, 5), QStringList({"note", "x"}));
    find<QCheckBox>(&dialog, "wide")->setChecked(false);
    find<QLineEdit>(&dialog, "missingcode")->setText("-1");
    QCOMPARE(previewRow(&dialog, 1), QStringList({"trt1", "-1", "x"}));
    auto* separator = find<QComboBox>(&dialog, "separator");
    separator->setCurrentIndex(separator->findText("Comma"));
    QCOMPARE(previewRow(&dialog, -1).value(0), QString("group;weight;note"));
    separator->setCurrentIndex(separator->findText("Other:"));
    QTest::keyClicks(find<QLineEdit>(&dialog, "otherseparator"), ";");
    QCOMPARE(previewRow(&dialog, -1), QStringList({"group", "weight", "note"}));
    find<QComboBox>(&dialog, "encoding")->setCurrentText("NO-SUCH-ENCODING");
    QCOMPARE(find<QTableWidget>(&dialog, "preview")->columnCount(), 0);
    QVERIFY(find<QLabel>(&dialog, "previewstatus")->text().startsWith("Nothing to preview"));
}

void ImportTest::delimitedFileIsRead() {
    REQUIRE_READER(delimitedReady(), "delimited text");
    QVERIFY(start());
    QVERIFY(writeFile(path("plants.txt"), "group,weight\nctrl,4.17\ntrt1,NA\ntrt2,\ntrt1,5.5\n"));

    // A .txt under the delimited-text filter, missing cells given -5.
    watcher_->then(answerFile(path("plants.txt"), kw::app::delimitedTextFilter));
    watcher_->then([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("missingcode")->setText("-5");
        pressOk(dialog);
    });
    action("OpenData1")->trigger();
    settle();
    QCOMPARE(shown().size(), 2);
    QCOMPARE(names(), QStringList({"group", "weight"}));
    QCOMPARE(rows(), 4);
    QCOMPARE(value(2, 1) + " " + value(2, 2) + " " + value(2, 3), QString("4.17 -5 -5"));
    QCOMPARE(missingField(), QString("-5"));
    QCOMPARE(w_->windowTitle(), "Kruskal Wallis Nonparametric ANOVA: " + path("plants.txt"));
    QCOMPARE(items("groupchoice"), QStringList({"group", "weight"}));
    QCOMPARE(child<QComboBox>("groupchoice")->currentIndex(), -1);

    // Remembered as delimited text: opened again from the recent files the same way.
    QCOMPARE(kw::app::recentFiles().value(0), path("plants.txt"));
    QVERIFY(kw::app::recentAsDelimited(path("plants.txt")));
    child<QMenu>("OpenRecent1")->aboutToShow();
    action("RecentFile1")->trigger();
    settle();
    QCOMPARE(shown(), QStringList{"textimportdialog: Import delimited text"});
}

// A file that cannot be read is reported with the reader's message, and nothing of the data,
// the choices, the caption or the missing-value code changes.
void ImportTest::refusedFilesLeaveTheData() {
    QVERIFY(start());
    watcher_->then(answerFile(examples + "/plantgrowth.txt", kw::app::ownTextFilter));
    action("OpenData1")->trigger();
    settle();
    child<QLineEdit>("missvals")->setText("-99");
    auto* group = child<QComboBox>("groupchoice");
    group->setCurrentIndex(0);
    emit group->activated(0);
    shown();
    const QString caption = w_->windowTitle();

    auto unchanged = [&] {
        QCOMPARE(names(), QStringList({"group", "weight"}));
        QCOMPARE(rows(), 30);
        QCOMPARE(value(2, 1), QString("4.17"));
        QCOMPARE(w_->windowTitle(), caption);
        QCOMPARE(missingField(), QString("-99"));
        QCOMPARE(group->currentText(), QString("group"));
    };
    // Line 3 holds one field too few.
    QVERIFY(writeFile(path("short.csv"), "g,v\n1,2\n3\n4,5\n"));
    watcher_->then(answerFile(path("short.csv")));
    watcher_->then(pressOk);
    action("OpenData1")->trigger();
    settle();
    QStringList failure = shown();
    QCOMPARE(failure.size(), 3);
    QVERIFY2(failure[2].startsWith("failure: "), qPrintable(failure[2]));
    if (delimitedReady()) {
        QVERIFY2(failure[2].contains("line 3"), qPrintable(failure[2]));
    }
    unchanged();

    // A workbook and a statistics file that are not what they say.
    QVERIFY(writeFile(path("bad.xlsx"), QByteArray("PK\x03\x04 broken", 11)));
    openFile(path("bad.xlsx"));
    failure = shown();
    QCOMPARE(failure.size(), 2);
    QVERIFY2(failure[1].startsWith("failure: "), qPrintable(failure[1]));
    unchanged();
    QVERIFY(writeFile(path("bad.sav"), "$FL2 broken"));
    watcher_->then(answerFile(path("bad.sav")));
    watcher_->then(pressOk);
    action("OpenData1")->trigger();
    settle();
    failure = shown();
    QCOMPARE(failure.size(), 3);
    QVERIFY2(failure[2].startsWith("failure: "), qPrintable(failure[2]));
    unchanged();
    QCOMPARE(kw::app::recentFiles(), QStringList{examples + "/plantgrowth.txt"});
}

// --- The recent files

void ImportTest::recentFilesSetting() {
    using namespace kw::app;
    QSettings settings("Quindle Research", "KruskalWallis");
    QCOMPARE(recentFiles(), QStringList());

    // Newest first, each once, at most ten, stored absolute.
    for (int i = 1; i <= 12; ++i) {
        addRecentFile(path(QString("f%1.csv").arg(i)));
    }
    QStringList expected;
    for (int i = 12; i >= 3; --i) {
        expected << path(QString("f%1.csv").arg(i));
    }
    QCOMPARE(recentFiles(), expected);
    addRecentFile(path("f5.csv"));
    expected.removeAll(path("f5.csv"));
    expected.prepend(path("f5.csv"));
    QCOMPARE(recentFiles(), expected);
    QDir::setCurrent(dir_->path());
    addRecentFile("sub/../f9.csv", true);
    QCOMPARE(recentFiles().value(0), path("f9.csv"));
    QCOMPARE(recentFiles().size(), 10);
    QVERIFY(recentAsDelimited(path("f9.csv")));
    QVERIFY(!recentAsDelimited(path("f5.csv")));
    // Read once more in the program's own format: no longer delimited.
    addRecentFile(path("f9.csv"), false);
    QVERIFY(!recentAsDelimited(path("f9.csv")));

    removeRecentFile(path("f12.csv"));
    QVERIFY(!recentFiles().contains(path("f12.csv")));
    QCOMPARE(recentFiles().size(), 9);

    // A list edited by hand: repeats and empty entries are dropped.
    settings.setValue("recentFiles", QStringList({"/a.csv", "", "/a.csv", "/b.csv"}));
    QCOMPARE(recentFiles(), QStringList({"/a.csv", "/b.csv"}));

    // The version value is never touched; clearing takes only the list.
    clearRecentFiles();
    storeLastFolder(dir_->path());
    QCOMPARE(recentFiles(), QStringList());
    QCOMPARE(settings.value("version").toString(), QString("10.3"));
    QCOMPARE(storedVersion(), QString("10.3"));
    QCOMPARE(lastFolder(), dir_->path());
}

void ImportTest::recentFilesMenu() {
    QVERIFY(writeFile(path("a&b.txt"), "g x\n1 2\n2 3\n"));
    QVERIFY(writeFile(path("gone.txt"), "g x\n1 2\n"));
    kw::app::addRecentFile(path("gone.txt"));
    kw::app::addRecentFile(path("a&b.txt"));
    QVERIFY(start());
    auto* menu = child<QMenu>("OpenRecent1");
    emit menu->aboutToShow();
    QVERIFY(action("RecentFile1")->isVisible());
    QCOMPARE(action("RecentFile1")->text(), "&1 " + QString(path("a&b.txt")).replace("&", "&&"));
    QCOMPARE(action("RecentFile2")->text(), "&2 " + path("gone.txt"));
    QVERIFY(!action("RecentFile3")->isVisible());
    QVERIFY(action("ClearRecent1")->isEnabled());

    // A recent file read; one no longer there is said so and taken off.
    action("RecentFile1")->trigger();
    settle();
    QCOMPARE(names(), QStringList({"g", "x"}));
    QVERIFY(QFile::remove(path("gone.txt")));
    action("RecentFile2")->trigger();
    settle();
    QCOMPARE(shown(), QStringList{"failure: the file " + path("gone.txt") +
                                  " is no longer there; it is taken off the recent files"});
    QCOMPARE(kw::app::recentFiles(), QStringList{path("a&b.txt")});
    QVERIFY(!action("RecentFile2")->isVisible());
    QCOMPARE(names(), QStringList({"g", "x"}));

    // "Clear" empties the list and is then disabled.
    action("ClearRecent1")->trigger();
    QCOMPARE(kw::app::recentFiles(), QStringList());
    QVERIFY(!action("RecentFile1")->isVisible());
    QVERIFY(!action("ClearRecent1")->isEnabled());
}

// --- Paste

void ImportTest::pasteRouting() {
    QVERIFY(start());
    QVERIFY(kw::test::activate(*w_));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("g\tx\na\t1\nb\t2\n");
    auto* paste = action("Paste1");
    QCOMPARE(paste->shortcut(), QKeySequence(QKeySequence::Paste));
    QCOMPARE(paste->text(), QString("&Paste"));

    // Ctrl+V on the input page: the import dialog for the block (cancelled: nothing changes).
    grid()->setFocus();
    QVERIFY(paste->isEnabled());
    QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(shown(), QStringList{"textimportdialog: Paste data"});
    QCOMPARE(rows(), 0);

    // An empty clipboard is said so.
    clipboard->clear();
    paste->trigger();
    QCOMPARE(shown(), QStringList{"failure: the clipboard holds no text to paste"});

    // A cell being edited takes the text as text, as do the boxes of the window.
    watcher_->then([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("nvarsin")->setText("2");
        dialog->findChild<QLineEdit*>("ntotvalin")->setText("2");
        pressOk(dialog);
    });
    action("ManualInput1")->trigger();
    shown();
    QVERIFY(kw::test::activate(*w_));
    clipboard->setText("12.5");
    grid()->setCurrentIndex(grid()->model()->index(0, 1));
    grid()->edit(grid()->currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor != nullptr);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor->text(), QString("12.5"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(value(2, 1), QString("12.5"));
    auto* alpha = child<QLineEdit>("inputalpha");
    alpha->setFocus();
    alpha->clear();
    paste->trigger(); // from the menu
    QCOMPARE(alpha->text(), QString("12.5"));
    QCOMPARE(shown(), QStringList());

    // Another page in front: Paste does nothing there.
    auto* pages = child<QTabWidget>("datapages");
    pages->setCurrentIndex(1);
    pages->setFocus();
    QVERIFY(!paste->isEnabled());
    paste->trigger();
    QCOMPARE(shown(), QStringList());
    pages->setCurrentIndex(0);
    grid()->setFocus();
    QVERIFY(paste->isEnabled());
}

void ImportTest::pastedBlockIsRead() {
    REQUIRE_READER(delimitedReady(), "delimited text");
    QVERIFY(start());
    // As a spreadsheet copies a block: tabs between the cells, an empty cell.
    QGuiApplication::clipboard()->setText("dose\tweight\nlow\t4.5\nhigh\t\nlow\t3\n");
    watcher_->then([](QWidget* dialog) {
        QCOMPARE(dialog->findChild<QComboBox*>("separator")->currentText(), QString("Tab"));
        pressOk(dialog);
    });
    action("Paste1")->trigger();
    settle();
    QCOMPARE(shown().size(), 1);
    QCOMPARE(names(), QStringList({"dose", "weight"}));
    QCOMPARE(rows(), 3);
    QCOMPARE(value(2, 2), QString("-99"));
    QCOMPARE(missingField(), QString("-99"));
    QCOMPARE(w_->windowTitle(), QString("Kruskal Wallis Nonparametric ANOVA: (pasted)"));
    QCOMPARE(kw::app::recentFiles(), QStringList());
}

// --- Typed names

void ImportTest::typedNamesAreEditable() {
    QVERIFY(start());
    auto* header = grid()->horizontalHeader();
    auto rename = [&](int section, const QString& name, Qt::Key key = Qt::Key_Return) {
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, at);
        QLineEdit* editor = nullptr;
        for (auto* open : grid()->findChildren<QLineEdit*>("nameeditor")) {
            editor = open->isVisible() ? open : editor; // not one that is done and going
        }
        if (editor == nullptr) {
            return false;
        }
        editor->setText(name);
        QTest::keyClick(editor, key);
        return true;
    };

    // Names of a file are not edited in the grid.
    watcher_->then(answerFile(examples + "/plantgrowth.txt"));
    action("OpenData1")->trigger();
    settle();
    QVERIFY(!rename(1, "x"));
    QCOMPARE(names(), QStringList({"group", "weight"}));

    watcher_->then([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("nvarsin")->setText("3");
        dialog->findChild<QLineEdit*>("ntotvalin")->setText("2");
        pressOk(dialog);
    });
    action("ManualInput1")->trigger();
    shown();
    QVERIFY(grid()->model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
    auto* group = child<QComboBox>("groupchoice");
    group->setCurrentIndex(0);
    emit group->activated(0);

    // Taken: the grid and the choosers show it, the choices start again.
    QVERIFY(rename(1, "dose"));
    QCOMPARE(names(), QStringList({"var1", "dose", "var3"}));
    QCOMPARE(items("groupchoice"), QStringList({"var1", "dose", "var3"}));
    QCOMPARE(items("testchoice"), QStringList({"var1", "dose", "var3"}));
    QCOMPARE(group->currentIndex(), -1);
    QCOMPARE(shown(), QStringList());

    // Refused with the session's warning; the old name stays.
    QVERIFY(rename(2, "var1"));
    QCOMPARE(shown(), QStringList{"ERROR: there is already a variable named 'var1'"});
    QVERIFY(rename(0, "two words"));
    QCOMPARE(shown(), QStringList{"ERROR: a variable name must not be empty or hold blanks"});
    QVERIFY(rename(0, ""));
    QCOMPARE(shown().size(), 1);
    QCOMPARE(names(), QStringList({"var1", "dose", "var3"}));

    // Escape keeps the name; the same name is no change.
    QVERIFY(rename(2, "other", Qt::Key_Escape));
    QVERIFY(rename(2, "var3"));
    QCOMPARE(names(), QStringList({"var1", "dose", "var3"}));
    QCOMPARE(shown(), QStringList());
}

// --- Drop

void ImportTest::droppedFileOpens() {
    QVERIFY(start());
    QVERIFY(QFile::copy(examples + "/plantgrowth.txt", path("plants.txt")));
    QVERIFY(writeFile(path("data.csv"), "g,x\n1,2\n"));
    auto drop = [this](const QUrl& url) {
        QMimeData mime;
        mime.setUrls({url});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &dropped);
        return dropped.isAccepted();
    };
    QVERIFY(w_->acceptDrops());

    // The program's own text is read at once, a CSV goes to its import dialog.
    QVERIFY(drop(QUrl::fromLocalFile(path("plants.txt"))));
    QTRY_COMPARE(names(), QStringList({"group", "weight"}));
    settle();
    QCOMPARE(kw::app::recentFiles(), QStringList{path("plants.txt")});
    QVERIFY(drop(QUrl::fromLocalFile(path("data.csv"))));
    QStringList seen;
    QTRY_VERIFY((seen += shown(), !seen.isEmpty()));
    QCOMPARE(seen, QStringList{"textimportdialog: Import delimited text"});
    QCOMPARE(names(), QStringList({"group", "weight"}));

    // Neither a web address nor a folder is taken.
    QVERIFY(!drop(QUrl("https://example.org/data.csv")));
    QVERIFY(!drop(QUrl::fromLocalFile(dir_->path())));
}

// --- Workbooks and statistics files

void ImportTest::workbookAndStatisticsFiles() {
    const QString book = importData + "/workbook/books.xlsx";
    const QString spss = importData + "/statistics/groups.sav";
    if (!QFileInfo::exists(book)) {
        QSKIP("no workbook to read in tests/data/import");
    }
    REQUIRE_READER(ready([&] { kw::Workbook::load(book.toStdString()); }), "workbooks");
    QVERIFY(start());

    // The sheet chooser lists the sheets; the block is the sheet's used range.
    const kw::Workbook reference = kw::Workbook::load(book.toStdString());
    const std::vector<std::string> sheets = reference.sheetNames();
    QVERIFY(!sheets.empty());
    watcher_->then(answerFile(book));
    watcher_->then([&](QWidget* dialog) {
        auto* sheet = find<QComboBox>(dialog, "sheet");
        QCOMPARE(sheet->count(), int(sheets.size()));
        QCOMPARE(sheet->currentText(), QString::fromStdString(sheets[0]));
        QCOMPARE(find<QLineEdit>(dialog, "block")->text(),
                 QString::fromStdString(reference.usedRange(sheets[0])));
        find<QLineEdit>(dialog, "missingcode")->setText("-7");
        pressOk(dialog);
    });
    action("OpenData1")->trigger();
    settle();
    QCOMPARE(shown().size(), 2);
    kw::ImportOptions options;
    options.missingCode = "-7";
    options.naCodes = {"NA"};
    const kw::DataTable table = reference.table(options, '.');
    QCOMPARE(names().size(), table.variableCount());
    QCOMPARE(names().value(0), QString::fromStdString(table.name(1)));
    QCOMPARE(rows(), table.caseCount());
    QCOMPARE(missingField(), QString("-7"));
    QCOMPARE(w_->windowTitle(), "Kruskal Wallis Nonparametric ANOVA: " + book);

    // A block that is not on the sheet is refused, naming it; the data stay.
    watcher_->then(answerFile(book));
    watcher_->then([](QWidget* dialog) {
        find<QLineEdit>(dialog, "block")->setText("C3:A1x");
        pressOk(dialog);
    });
    action("OpenData1")->trigger();
    settle();
    const QStringList refused = shown();
    QCOMPARE(refused.size(), 3);
    QVERIFY2(refused[2].startsWith("failure: "), qPrintable(refused[2]));
    QCOMPARE(rows(), table.caseCount());

    // A statistics file: the missing-value code and the layout only.
    if (!QFileInfo::exists(spss) ||
        !ready([&] { kw::readStatisticsFile(spss.toStdString(), {}, '.'); })) {
        return;
    }
    watcher_->then(answerFile(spss));
    watcher_->then([](QWidget* dialog) {
        QVERIFY(dialog->findChild<QLineEdit*>("nacodes") == nullptr);
        find<QLineEdit>(dialog, "missingcode")->setText("-8");
        pressOk(dialog);
    });
    action("OpenData1")->trigger();
    settle();
    QCOMPARE(shown().size(), 2);
    kw::ImportOptions statistics;
    statistics.missingCode = "-8";
    const kw::DataTable read = kw::readStatisticsFile(spss.toStdString(), statistics, '.');
    QCOMPARE(rows(), read.caseCount());
    QCOMPARE(names().value(0), QString::fromStdString(read.name(1)));
    QCOMPARE(missingField(), QString("-8"));
}

// A read of a million rows may be stopped by the user (Escape, as the Cancel button beside
// its progress); stopped, nothing changes. Left to run, it ends in seconds.
void ImportTest::longReadCanBeCancelled() {
    REQUIRE_READER(delimitedReady(), "delimited text");
    QByteArray text = "g,v\n";
    text.reserve(14'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        text +=
            QByteArray::number(i % 7) + ',' + QByteArray::number((i * 7919LL) % 100003) + ".25\n";
    }
    QVERIFY(writeFile(path("big.csv"), text));
    text.clear();
    QVERIFY(start());
    auto open = [this] {
        watcher_->then(answerFile(path("big.csv")));
        watcher_->then(pressOk);
        action("OpenData1")->trigger();
    };
    open();
    QVERIFY(work()->running());
    QTest::keyClick(grid(), Qt::Key_Escape);
    settle();
    QCOMPARE(rows(), 0);
    QCOMPARE(shown().size(), 2); // the file dialog and the import dialog, nothing after
    QCOMPARE(w_->windowTitle(), QString("Kruskal Wallis Nonparametric ANOVA:"));
    QCOMPARE(kw::app::recentFiles(), QStringList());

    QElapsedTimer clock;
    clock.start();
    open();
    settle();
    QCOMPARE(rows(), 1'000'000);
    QVERIFY2(clock.elapsed() < 20'000, qPrintable(QString::number(clock.elapsed())));
}

QTEST_MAIN(ImportTest)
#include "import_test.moc"
