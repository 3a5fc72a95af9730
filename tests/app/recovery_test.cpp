// Typed data is never lost, offscreen through the real window: the unsaved state and the
// title; the question before each way of closing or replacing the table, with each answer;
// the copy on disk (written whole, removed when saved or discarded, one per running program),
// offered back at start or put aside when it cannot be read; and the program killed after
// typing and started again (through kwcrashtyping, the window in a process of its own).

#include "memorylinks.h"
#include "windowsteps.h"

#include "app/mainwindow.h"
#include "app/pages/datatableview.h"
#include "app/recovery/recoverykeeper.h"
#include "app/recovery/recoveryslot.h"
#include "app/recovery/recoverytable.h"
#include "app/settings.h"
#include "app/work/workrunner.h"
#include "core/base/version.h"
#include "core/io/textwriter.h"
#include "support/memorylink.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWindow>

#include <atomic>
#include <memory>
#include <sstream>
#include <thread>

using kw::app::MainWindow;
using kw::app::RecoveryKeeper;
using kw::app::RecoverySlot;
using kw::test::Answerer;
using kw::test::answerFile;
using kw::test::MemoryLinks;
using kw::test::press;
using kw::test::pressOk;

namespace {

const QString examples = QStringLiteral(KW_EXAMPLES_DIR);
const QString caption = "Kruskal Wallis Nonparametric ANOVA:";
const QString question = "unsavededits: The data table has changes that were not saved.\n\n"
                         "Do you want to save them?";

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray writerBytes(const kw::DataTable& table) {
    std::ostringstream out;
    kw::writeTextTable(out, table);
    return QByteArray::fromStdString(out.str());
}

// The table's names, then each case, every cell followed by '|'.
QStringList rowsOf(const kw::DataTable& table) {
    QStringList rows{QString()};
    for (const std::string& name : table.names()) {
        rows[0] += QString::fromStdString(name) + "|";
    }
    for (int r = 1; r <= table.caseCount(); ++r) {
        QString row;
        for (int c = 1; c <= table.variableCount(); ++c) {
            row += QString::fromStdString(std::string(table.value(c, r))) + "|";
        }
        rows << row;
    }
    return rows;
}

// The typed table of the tests, 2 variables by 2 cases, as the writer writes it.
const QStringList typed = {"1", "4.5", "2", "7"};
const QByteArray typedBytes = " var1 var2\r\n 1 4.5\r\n 2 7\r\n";

} // namespace

class RecoveryTest final : public QObject, kw::test::WindowSteps {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void unsavedStateAndTitle();
    void eachWayOfReplacingAsks_data();
    void eachWayOfReplacingAsks();
    void saveThatFailsKeepsEverything();
    void copyOfferedAtStart();
    void unreadableCopyIsSetAside();
    void oneCopyPerRunningProgram();
    void copyReadsBackExactly();
    void copyIsWrittenWhole();
    void killedAfterTypingOffersTheTable();

private:
    bool start(bool withSheets = false);
    void manualInput(int variables, int cases);
    void typeTable(); // `typed`, then waits for its copy
    void settle();
    QString copy() const { return RecoverySlot::filePath(0); }

    QTableView* grid() const { return child<QTableView>("inputgrid"); }
    RecoveryKeeper* keeper() const { return child<RecoveryKeeper>("recovery"); }
    QStringList table() const { return kw::test::gridRows(grid()); }

    std::shared_ptr<kw::test::MemoryLink> sheets_;
    std::unique_ptr<Answerer> answers_;
    std::unique_ptr<QTemporaryDir> dir_;
    QTemporaryDir settingsDir_;
};

void RecoveryTest::initTestCase() {
    QVERIFY(kw::test::ownSettings(settingsDir_)); // the copies too in test locations
}

void RecoveryTest::init() {
    kw::app::storeVersion(kw::programVersion);
    QDir(RecoverySlot::folder()).removeRecursively();
    answers_ = std::make_unique<Answerer>();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void RecoveryTest::cleanup() {
    w_.reset();
    sheets_.reset();
    answers_.reset();
    dir_.reset();
    QDir(RecoverySlot::folder()).removeRecursively();
}

bool RecoveryTest::start(bool withSheets) {
    if (withSheets) {
        sheets_ = std::make_shared<kw::test::MemoryLink>();
        sheets_->addBook("data.ods");
        for (const auto& [at, text] : {std::pair{"A1", "dose"},
                                       {"B1", "weight"},
                                       {"A2", "low"},
                                       {"B2", "4"},
                                       {"A3", "high"},
                                       {"B3", "6"}}) {
            sheets_->set("data.ods", "Sheet1", at, kw::CellValue::makeText(text));
        }
        w_ = std::make_unique<MainWindow>(std::make_unique<MemoryLinks>(sheets_));
    } else {
        w_ = std::make_unique<MainWindow>();
    }
    const bool started = kw::test::showStartedAnswered(*w_, *answers_);
    QCoreApplication::processEvents();
    keeper()->setDelays(20, 60); // copies written at once
    return started;
}

void RecoveryTest::settle() {
    QVERIFY(QTest::qWaitFor([this] { return answers_->idle() && !work()->running(); }));
    QCoreApplication::processEvents();
}

void RecoveryTest::manualInput(int variables, int cases) {
    answers_->then([=](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("nvarsin")->setText(QString::number(variables));
        dialog->findChild<QLineEdit*>("ntotvalin")->setText(QString::number(cases));
        pressOk(dialog);
    });
    action("ManualInput1")->trigger();
    settle();
}

void RecoveryTest::typeTable() {
    QSignalSpy written(keeper(), &RecoveryKeeper::written);
    for (int i = 0; i < typed.size(); ++i) {
        QVERIFY(kw::test::typeCell(grid(), i / 2, i % 2, typed[i]));
    }
    QVERIFY(written.wait(5000));
    QTRY_COMPARE(fileBytes(copy()), typedBytes);
}

// --- The state

void RecoveryTest::unsavedStateAndTitle() {
    QVERIFY(start());
    manualInput(2, 2);
    QCOMPARE(w_->windowTitle(), caption);
    QVERIFY(!w_->isWindowModified());

    // Typed: marked the Qt way, and a copy of the table as the program's text writes it.
    typeTable();
    QVERIFY(w_->isWindowModified());
    QCOMPARE(w_->windowTitle(), caption + "[*]");
    QCOMPARE(w_->windowHandle()->title(), caption + "*");

    // Saved: the title as before, the copy gone, the file the copy's bytes.
    const QString saved = dir_->filePath("typed.txt");
    answers_->then(answerFile(saved));
    action("SaveInput1")->trigger();
    settle();
    QCOMPARE(fileBytes(saved), typedBytes);
    QVERIFY(!w_->isWindowModified());
    QCOMPARE(w_->windowTitle(), caption);
    QCOMPARE(w_->windowHandle()->title(), caption);
    QVERIFY(!QFile::exists(copy()));

    // A value typed over with itself, choices, a calculation: nothing new to save.
    QVERIFY(kw::test::typeCell(grid(), 0, 0, "1"));
    auto* group = child<QComboBox>("groupchoice");
    group->setCurrentIndex(0);
    emit group->activated(0);
    auto* test = child<QComboBox>("testchoice");
    test->setCurrentIndex(1);
    emit test->activated(1);
    child<QPushButton>("calculate")->click();
    settle();
    QVERIFY(!w_->isWindowModified());
    QCOMPARE(answers_->take().mid(0, 2), QStringList({"manualInputDialog", "files"}));

    // An emptied cell is an edit, and so is a renamed variable.
    child<QTabWidget>("datapages")->setCurrentIndex(0);
    QVERIFY(kw::test::typeCell(grid(), 1, 1, QString()));
    QVERIFY(w_->isWindowModified());
    QTRY_COMPARE(fileBytes(copy()), QByteArray(" var1 var2\r\n 1 4.5\r\n 2 \r\n"));
    answers_->then(answerFile(saved));
    answers_->then(press(QMessageBox::Yes)); // over the file saved before
    action("SaveInput1")->trigger();
    settle();
    QVERIFY(!w_->isWindowModified());
    child<kw::app::DataTableView>("inputgrid")->editName(1);
    auto* name = grid()->findChild<QLineEdit*>("nameeditor");
    QVERIFY(name != nullptr);
    name->setText("dose");
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(w_->isWindowModified());
    QTRY_COMPARE(fileBytes(copy()), QByteArray(" var1 dose\r\n 1 4.5\r\n 2 \r\n"));

    // A cell of a file's table typed over: the file's caption with the mark.
    const QString plants = examples + "/plantgrowth.txt";
    answers_->then(press(QMessageBox::Discard));
    answers_->then(answerFile(plants));
    action("Open1")->trigger();
    settle();
    QVERIFY(!w_->isWindowModified());
    QVERIFY(!QFile::exists(copy()));
    QVERIFY(kw::test::typeCell(grid(), 0, 1, "4.25"));
    QCOMPARE(w_->windowTitle(), caption + " " + plants + "[*]");
    QCOMPARE(table().value(1), QString("ctrl|4.25|"));
}

// --- The question

// Every way of closing or replacing the table, with nothing typed and with each answer.
void RecoveryTest::eachWayOfReplacingAsks_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("answer");
    for (const char* way :
         {"Exit", "close box", "text file", "other file", "sheet", "manual input", "paste"}) {
        for (const char* answer : {"nothing typed", "save", "discard", "cancel"}) {
            QTest::addRow("%s, %s", way, answer) << QString(way) << QString(answer);
        }
    }
}

void RecoveryTest::eachWayOfReplacingAsks() {
    QFETCH(QString, way);
    QFETCH(QString, answer);
    QVERIFY(start(true));
    manualInput(2, 2);
    answers_->take();
    const bool typing = answer != "nothing typed";
    if (typing) {
        typeTable();
    }
    const QStringList before = table();
    QSettings("Quindle Research", "KruskalWallis").remove("version");

    const QString saved = dir_->filePath("saved.txt");
    if (typing) {
        answers_->then(press(answer == "save"      ? QMessageBox::Save
                             : answer == "discard" ? QMessageBox::Discard
                                                   : QMessageBox::Cancel));
        if (answer == "save") {
            answers_->then(answerFile(saved));
        }
    }
    // Answered only where the way goes on.
    const auto then = [&](kw::test::Answer act) {
        if (answer != "cancel") {
            answers_->then(std::move(act));
        }
    };
    // The way's own dialogs, where it goes on; and the table it leaves.
    QStringList after;
    QStringList dialogs;
    const QString csv = dir_->filePath("data.csv");
    QVERIFY(writeFile(csv, "g,x\n1,2\n2,3\n"));
    std::function<void()> go;
    if (way == "Exit") {
        go = [this] { action("Exit1")->trigger(); };
    } else if (way == "close box") {
        go = [this] { w_->close(); };
    } else if (way == "text file") {
        then(answerFile(examples + "/plantgrowth.txt"));
        dialogs << "files";
        after = QStringList{"group|weight|"};
        go = [this] { action("Open1")->trigger(); };
    } else if (way == "other file") {
        then(answerFile(csv));
        then(pressOk);
        dialogs << "files"
                << "textimportdialog";
        after = QStringList{"g|x|", "1|2|", "2|3|"};
        go = [this] { action("OpenData1")->trigger(); };
    } else if (way == "sheet") {
        then([](QWidget* d) {
            QTest::qWait(30); // the lists are filled once the dialog is up
            for (auto [box, text] : {std::pair{"startcolin", "A"},
                                     {"stopcolin", "B"},
                                     {"startrowin", "1"},
                                     {"stoprowin", "3"}}) {
                auto* edit = d->findChild<QLineEdit*>(box);
                edit->clear();
                QTest::keyClicks(edit, text);
            }
            kw::test::clickLater(d->findChild<QAbstractButton*>("OKbutton"));
        });
        dialogs << "readSheetDialog";
        after = QStringList{"dose|weight|", "low|4|", "high|6|"};
        go = [this] { action("ReadExcel1")->trigger(); };
    } else if (way == "manual input") {
        then([](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("nvarsin")->setText("3");
            dialog->findChild<QLineEdit*>("ntotvalin")->setText("1");
            pressOk(dialog);
        });
        dialogs << "manualInputDialog";
        after = QStringList{"var1|var2|var3|", "|||"};
        go = [this] { action("ManualInput1")->trigger(); };
    } else if (way == "paste") {
        QGuiApplication::clipboard()->setText("g\tx\na\t1\n");
        then(pressOk);
        dialogs << "textimportdialog";
        after = QStringList{"g|x|", "a|1|"};
        go = [this] {
            grid()->setFocus();
            action("Paste1")->trigger();
        };
    }
    go();
    settle();

    const QStringList seen = answers_->take();
    const bool closing = way == "Exit" || way == "close box";
    if (!typing) {
        QCOMPARE(seen, dialogs);
    } else if (answer == "cancel") {
        // Nothing else happens: the table, its mark and its copy stay, the setting unwritten.
        QCOMPARE(seen, QStringList{question});
        QCOMPARE(table(), before);
        QVERIFY(w_->isWindowModified());
        QCOMPARE(fileBytes(copy()), typedBytes);
        QVERIFY(w_->isVisible());
        QCOMPARE(kw::app::storedVersion(), QString());
        return;
    } else {
        QCOMPARE(seen, QStringList{question} +
                           (answer == "save" ? QStringList{"files"} : QStringList{}) + dialogs);
    }
    // Gone on: saved first where asked, the copy removed, the new table unmarked.
    if (answer == "save") {
        QCOMPARE(fileBytes(saved), typedBytes);
    }
    QVERIFY(!QFile::exists(copy()));
    QVERIFY(!w_->isWindowModified());
    if (closing) {
        QVERIFY(!w_->isVisible());
        QCOMPARE(kw::app::storedVersion(), QString(kw::programVersion));
    } else {
        QCOMPARE(table().mid(0, after.size()), after);
        QVERIFY(w_->isVisible());
    }
}

// A save that does not happen (its dialog cancelled, or the file not written) stops what
// asked for it.
void RecoveryTest::saveThatFailsKeepsEverything() {
    QVERIFY(start());
    manualInput(2, 2);
    typeTable();
    QSettings("Quindle Research", "KruskalWallis").remove("version");
    answers_->take();

    answers_->then(press(QMessageBox::Save));
    answers_->then(answerFile(QString()));
    action("Exit1")->trigger();
    settle();
    QCOMPARE(answers_->take(), QStringList({question, "files"}));

    // A folder that is not there takes no file: the save's failure is shown, the window stays.
    answers_->then(press(QMessageBox::Save));
    answers_->then(answerFile(dir_->filePath("missing/typed.txt")));
    w_->close();
    settle();
    const QStringList seen = answers_->take();
    QCOMPARE(seen.size(), 3);
    QVERIFY2(seen[2].startsWith("failuremessage: "), qPrintable(seen.join('\n')));

    QVERIFY(w_->isVisible());
    QVERIFY(w_->isWindowModified());
    QCOMPARE(kw::app::storedVersion(), QString());
    QCOMPARE(fileBytes(copy()), typedBytes);
    QCOMPARE(table(), QStringList({"var1|var2|", "1|4.5|", "2|7|"}));

    // Without unsaved edits, Exit is immediate and stores the version.
    answers_->then(press(QMessageBox::Discard));
    action("Exit1")->trigger();
    settle();
    QCOMPARE(answers_->take(), QStringList{question});
    QVERIFY(!w_->isVisible());
    QVERIFY(!QFile::exists(copy()));
    QCOMPARE(kw::app::storedVersion(), QString(kw::programVersion));
}

// --- The copy at start

void RecoveryTest::copyOfferedAtStart() {
    // Empty cells, a row of them, a text of two bytes: as they were.
    const QByteArray kept = " g v\r\n a 1\r\n  2\r\n  \r\n b ä\r\n";
    QVERIFY(writeFile(copy(), kept));
    const QDateTime written = QFileInfo(copy()).lastModified();
    answers_->then(kw::test::pressText("Restore"));
    QVERIFY(start());
    const QStringList seen = answers_->take();
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen[0].startsWith("restorecopy: When the program last ended, the data table had "
                                "changes that were not saved."),
             qPrintable(seen[0]));
    QVERIFY2(seen[0].contains(QLocale().toString(written, QLocale::ShortFormat)),
             qPrintable(seen[0]));
    QCOMPARE(table(), QStringList({"g|v|", "a|1|", "|2|", "||", "b|ä|"}));
    // Still unsaved, saved as typed input, its names editable; the copy kept meanwhile.
    QVERIFY(w_->isWindowModified());
    QVERIFY(action("SaveInput1")->isVisible());
    QVERIFY(grid()
                ->model()
                ->headerData(0, Qt::Horizontal, Qt::ToolTipRole)
                .toString()
                .contains("rename"));
    QCOMPARE(fileBytes(copy()), kept);
    QVERIFY(kw::test::typeCell(grid(), 0, 0, "c"));
    QTRY_COMPARE(fileBytes(copy()), QByteArray(" g v\r\n c 1\r\n  2\r\n  \r\n b ä\r\n"));
    const QString saved = dir_->filePath("kept.txt");
    answers_->then(answerFile(saved));
    action("SaveInput1")->trigger();
    settle();
    QCOMPARE(fileBytes(saved), QByteArray(" g v\r\n c 1\r\n  2\r\n  \r\n b ä\r\n"));
    QVERIFY(!QFile::exists(copy()));
    w_.reset();

    // Discarded: deleted, the window as at any start.
    QVERIFY(writeFile(copy(), kept));
    answers_->take();
    answers_->then(press(QMessageBox::Discard));
    QVERIFY(start());
    QCOMPARE(answers_->take().size(), 1);
    QVERIFY(!QFile::exists(copy()));
    QCOMPARE(table(), QStringList{QString()});
    QVERIFY(!w_->isWindowModified());
    QCOMPARE(w_->windowTitle(), caption);
    w_.reset();
    QVERIFY(start());
    QCOMPARE(answers_->take(), QStringList());
}

void RecoveryTest::unreadableCopyIsSetAside() {
    // A line with fewer values than names, as no write of the program leaves it.
    QVERIFY(writeFile(copy(), "x y\r\n1\r\n"));
    QVERIFY(start());
    const QStringList seen = answers_->take();
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen[0].startsWith("failuremessage: The copy of the data table kept when the "
                                "program last ended cannot be read: "),
             qPrintable(seen[0]));
    QVERIFY(!QFile::exists(copy()));
    const QStringList aside = QDir(RecoverySlot::folder()).entryList({"recovery.txt.*.bad"});
    QCOMPARE(aside.size(), 1);
    QVERIFY2(
        seen[0].endsWith("It was renamed to " +
                         QDir::toNativeSeparators(QDir(RecoverySlot::folder()).filePath(aside[0])) +
                         " and is not offered again."),
        qPrintable(seen[0]));
    QCOMPARE(fileBytes(QDir(RecoverySlot::folder()).filePath(aside[0])),
             QByteArray("x y\r\n1\r\n"));
    QCOMPARE(table(), QStringList{QString()});
    w_.reset();
    QVERIFY(start());
    QCOMPARE(answers_->take(), QStringList());
}

// Two programs at once: neither offers nor writes the other's copy.
void RecoveryTest::oneCopyPerRunningProgram() {
    QVERIFY(writeFile(copy(), typedBytes));
    {
        // The first slot held as by another program that is running.
        QLockFile other(copy() + ".lock");
        other.setStaleLockTime(0);
        QVERIFY(other.tryLock(0));
        QVERIFY(start());
        QCOMPARE(answers_->take(), QStringList());
        manualInput(2, 1);
        QSignalSpy written(keeper(), &RecoveryKeeper::written);
        QVERIFY(kw::test::typeCell(grid(), 0, 0, "5"));
        QVERIFY(written.wait(5000));
        QCOMPARE(keeper()->copyPath(), RecoverySlot::filePath(1));
        QCOMPARE(fileBytes(RecoverySlot::filePath(1)), QByteArray(" var1 var2\r\n 5 \r\n"));
        QCOMPARE(fileBytes(copy()), typedBytes);
        answers_->then(press(QMessageBox::Discard));
        w_->close();
        settle();
        QVERIFY(!QFile::exists(RecoverySlot::filePath(1)));
        QCOMPARE(fileBytes(copy()), typedBytes);
        w_.reset();
    }
    // That program gone, its copy is offered.
    answers_->take();
    answers_->then(press(QMessageBox::Discard));
    QVERIFY(start());
    QCOMPARE(answers_->take().size(), 1);
    QVERIFY(!QFile::exists(copy()));
}

// --- The copy's file

// Whatever the table, the copy reads back cell for cell.
void RecoveryTest::copyReadsBackExactly() {
    const QString path = dir_->filePath("copy.txt");
    std::mutex cells;
    const std::atomic<bool> stop{false};
    auto roundTrip = [&](const kw::DataTable& table) {
        QVERIFY(kw::app::writeRecoveryTable(path, table, cells, stop));
        QCOMPARE(fileBytes(path), writerBytes(table));
        QCOMPARE(rowsOf(kw::app::readRecoveryTable(path)), rowsOf(table));
    };
    kw::DataTable table = kw::DataTable::blank({"a", "b", "c"}, 4);
    roundTrip(table); // all empty
    table.setValue(1, 1, "x");
    table.setValue(3, 2, "-99");
    table.setValue(2, 4, "\xc3\xa4\xe2\x82\xac"); // UTF-8
    roundTrip(table);
    table.setValue(2, 3, std::string(70'000, '9')); // longer than a block of the write
    roundTrip(table);
    roundTrip(kw::DataTable::blank({"only"}, 1));

    // A value holding a blank cannot be told from the separator: read as the program's
    // reader reads the file.
    table = kw::DataTable::blank({"g", "v"}, 1);
    table.setValue(1, 1, "a b");
    table.setValue(2, 1, "1");
    QVERIFY(kw::app::writeRecoveryTable(path, table, cells, stop));
    QCOMPARE(rowsOf(kw::app::readRecoveryTable(path)), QStringList({"g|v|", "a|b|"}));

    // Stopped, nothing is written; a file that cannot be read throws.
    const std::atomic<bool> stopped{true};
    QVERIFY(QFile::remove(path));
    QVERIFY(!kw::app::writeRecoveryTable(path, table, cells, stopped));
    QVERIFY(!QFile::exists(path));
    QVERIFY_THROWS_EXCEPTION(kw::Failure, kw::app::readRecoveryTable(path));
}

// Written again and again from another thread while the table changes: whenever the copy is
// there, it is whole.
void RecoveryTest::copyIsWrittenWhole() {
    constexpr int rows = 200'000;
    kw::DataTable table = kw::DataTable::blank({"g", "v"}, rows);
    for (int r = 1; r <= rows; ++r) {
        table.setValue(1, r, std::to_string(r % 7));
        table.setValue(2, r, std::to_string(r));
    }
    RecoveryKeeper keeper([&table] { return table; });
    keeper.setDelays(0, 0);
    QSignalSpy written(&keeper, &RecoveryKeeper::written);

    std::atomic<bool> done{false};
    std::atomic<int> whole{0};
    std::atomic<int> broken{0};
    const QString path = copy();
    std::thread reader([&] {
        while (!done) {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) {
                continue; // not there (yet)
            }
            const QByteArray bytes = f.readAll();
            const bool ok = bytes.startsWith(" g v\r\n") && bytes.endsWith("\r\n") &&
                            bytes.count("\r\n") == rows + 1;
            (ok ? whole : broken)++;
        }
    });
    for (int i = 0; i < 12; ++i) {
        {
            // An edit as the window makes it, beside a write that may be under way.
            std::lock_guard<std::mutex> lock(keeper.cellsLock());
            table.setValue(2, 1 + i * 1000, "edited" + std::to_string(i));
        }
        keeper.tableChanged();
        QVERIFY(written.wait(10000));
    }
    QTRY_VERIFY(!keeper.pending());
    done = true;
    reader.join();
    QCOMPARE(broken.load(), 0);
    QVERIFY(whole.load() > 0);
    QCOMPARE(fileBytes(path), writerBytes(table));

    // Discarded while a write is under way: the copy does not come back.
    table.setValue(1, 1, "last");
    keeper.tableChanged();
    QTest::qWait(5);
    keeper.discard();
    QVERIFY(!QFile::exists(path));
    QTest::qWait(100);
    QVERIFY(!QFile::exists(path));
}

// --- A crash

// The program (the window in a process of its own) killed once its copy is written after a
// table was typed; started again, it offers the table back, cell for cell.
void RecoveryTest::killedAfterTypingOffersTheTable() {
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString helper = QStringLiteral(KWCRASHTYPING_PATH);

    QProcess typing;
    typing.setProcessEnvironment(env);
    typing.start(helper, {"type"});
    QVERIFY(typing.waitForStarted());
    QByteArray said;
    QVERIFY(QTest::qWaitFor(
        [&] {
            typing.waitForReadyRead(100);
            said += typing.readAllStandardOutput();
            return said.contains("written\n") || typing.state() == QProcess::NotRunning;
        },
        20000));
    QVERIFY2(said.contains("written\n"), said.constData());
    typing.kill(); // SIGKILL: no destructor, no close
    QVERIFY(typing.waitForFinished(5000));
    QCOMPARE(typing.exitStatus(), QProcess::CrashExit);

    const QString kept = home.filePath("data/Kruskal-Wallis/recovery.txt");
    const QByteArray expected = " var1 var2\r\n 1 4,5\r\n 2 ä\r\n  7\r\n";
    QCOMPARE(fileBytes(kept), expected);

    QProcess restoring;
    restoring.setProcessEnvironment(env);
    restoring.start(helper, {"restore"});
    QVERIFY(restoring.waitForFinished(20000));
    QCOMPARE(restoring.exitStatus(), QProcess::NormalExit);
    QCOMPARE(restoring.exitCode(), 0);
    const QJsonObject shown = QJsonDocument::fromJson(restoring.readAllStandardOutput()).object();
    QVERIFY2(shown.value("offer").toString().startsWith(
                 "When the program last ended, the data table had changes that were not saved."),
             qPrintable(shown.value("offer").toString()));
    QCOMPARE(shown.value("title").toString(), caption + "[*]");
    QCOMPARE(shown.value("table").toArray().toVariantList(),
             QVariantList({"var1|var2|", "1|4,5|", "2|ä|", "|7|"}));
}

QTEST_MAIN(RecoveryTest)
#include "recovery_test.moc"
