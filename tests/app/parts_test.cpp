// The window's parts on their own, offscreen: the spreadsheet dialogs and what they return,
// the book-and-sheet chooser they share, the cell-address boxes, the manual-input dialog, the
// help window's pages, the link of a build without one, and the runner of background work.

#include "app/dialogs/booksheetchooser.h"
#include "app/dialogs/celladdressbox.h"
#include "app/dialogs/helpwindow.h"
#include "app/dialogs/manualinputdialog.h"
#include "app/dialogs/readsheetdialog.h"
#include "app/dialogs/savesheetdialog.h"
#include "app/sheets/absentlink.h"
#include "app/texts.h"
#include "app/work/workrunner.h"
#include "support/memorylink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <new>

using kw::Failure;
using kw::test::MemoryLink;

namespace {

// Two books, the second one active with the sheets "Sheet1" and "Plants".
std::shared_ptr<MemoryLink> twoBooks() {
    auto link = std::make_shared<MemoryLink>();
    link->addBook("first.ods");
    link->addBook("data.ods").sheets.push_back({"Plants", {}, {}});
    return link;
}

QStringList items(QWidget* parent, const char* box) {
    auto* combo = parent->findChild<QComboBox*>(box);
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) {
        out << combo->itemText(i);
    }
    return out << "[" + combo->currentText() + "]";
}

void choose(QWidget* parent, const char* box, const QString& item) {
    auto* combo = parent->findChild<QComboBox*>(box);
    combo->setCurrentIndex(combo->findText(item));
    emit combo->activated(combo->currentIndex());
}

void type(QWidget* parent, const char* box, const QString& keys) {
    auto* edit = parent->findChild<QLineEdit*>(box);
    edit->clear();
    QTest::keyClicks(edit, keys);
}

void click(QWidget* parent, const char* button) {
    parent->findChild<QAbstractButton*>(button)->click();
}

QString focus(QWidget* dialog) {
    return dialog->focusWidget() != nullptr ? dialog->focusWidget()->objectName() : QString();
}

// Shows a dialog and lets it list the books and sheets, as it does once it is on the screen.
void open(QDialog& dialog) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();
}

} // namespace

class PartsTest final : public QObject {
    Q_OBJECT

private slots:
    void cellAddressBoxesFilterWhatIsTyped();
    void chooserListsOnceAndSelectsTheBook();
    void chooserReportsOneFailureWhenNothingAnswers();
    void readDialogReturnsTheRange();
    void readDialogOpensItsHelpPage();
    void saveDialogReturnsTheTarget();
    void dialogsKeepTheirKeyboardOrder();
    void manualInputDialogReturnsTheTexts();
    void helpWindowHasItsPages();
    void absentLinkFailsForNoSpreadsheet();
    void workHandsBackOnTheInterfaceThread();
    void workFailuresAndStops();
    void workStoppedByTheUser();
};

void PartsTest::cellAddressBoxesFilterWhatIsTyped() {
    kw::app::CellAddressBox column(kw::app::CellAddressBox::Part::column, "column");
    kw::app::CellAddressBox row(kw::app::CellAddressBox::Part::row, "row");
    QTest::keyClicks(&column, "a1b-");
    QTest::keyClicks(&row, "1x0 7");
    QCOMPARE(column.text(), QString("AB"));
    QCOMPARE(row.text(), QString("107"));
    QCOMPARE(column.cursorPosition(), 2);
    // Only the last character is looked at: a pasted text keeps what comes before it.
    row.setText("12a3");
    QCOMPARE(row.text(), QString("12a3"));
    row.setText("12a3b");
    QCOMPARE(row.text(), QString("12a3"));
}

void PartsTest::chooserListsOnceAndSelectsTheBook() {
    const auto link = twoBooks();
    QStringList failures;
    QWidget window;
    kw::app::BookSheetChooser chooser(
        link.get(), [&](const Failure& f) { failures << QString::fromStdString(f.message()); },
        "sheet:", &window);
    QSignalSpy listed(&chooser, &kw::app::BookSheetChooser::listed);
    QSignalSpy chosen(&chooser, &kw::app::BookSheetChooser::bookChosen);
    window.show();
    QVERIFY(listed.wait(1000));
    QCOMPARE(items(&chooser, "booksbox"), QStringList({"first.ods", "data.ods", "[data.ods]"}));
    QCOMPARE(items(&chooser, "sheetbox"), QStringList({"Sheet1", "Plants", "[Sheet1]"}));
    window.hide();
    window.show();
    QTest::qWait(20);
    QCOMPARE(listed.count(), 1); // once per opening

    // A book chosen becomes the active one; the sheets are listed when asked for.
    choose(&chooser, "booksbox", "first.ods");
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(link->activeBook, 0);
    QVERIFY(chooser.listSheets());
    QCOMPARE(items(&chooser, "sheetbox"), QStringList({"Sheet1", "[Sheet1]"}));
    QCOMPARE(chooser.book() + "/" + chooser.sheet(), QString("first.ods/Sheet1"));
    chooser.clearBooks();
    QCOMPARE(items(&chooser, "booksbox"), QStringList({"[]"}));

    // A failure empties the box it was to fill and goes to the display.
    link->running = false;
    QVERIFY(!chooser.listSheets());
    QCOMPARE(items(&chooser, "sheetbox"), QStringList({"[]"}));
    QCOMPARE(failures, QStringList{"no spreadsheet application is running"});
}

void PartsTest::chooserReportsOneFailureWhenNothingAnswers() {
    const auto link = twoBooks();
    link->running = false;
    int failures = 0;
    QWidget window;
    kw::app::BookSheetChooser chooser(
        link.get(),
        [&](const Failure& f) {
            QCOMPARE(f.reason(), Failure::Reason::noSpreadsheet);
            ++failures;
        },
        "sheet:", &window);
    QSignalSpy listed(&chooser, &kw::app::BookSheetChooser::listed);
    window.show();
    QVERIFY(listed.wait(1000));
    QCOMPARE(failures, 1); // the sheets are not asked for as well
    QCOMPARE(items(&chooser, "booksbox"), QStringList({"[]"}));
    QCOMPARE(items(&chooser, "sheetbox"), QStringList({"[]"}));
}

void PartsTest::readDialogReturnsTheRange() {
    const auto link = twoBooks();
    kw::app::ReadSheetDialog dialog(link.get(), nullptr);
    open(dialog);
    QCOMPARE(focus(&dialog), QString("startcolin"));
    QCOMPARE(dialog.findChild<QLineEdit*>("missvalin")->text(), QString("-99"));
    choose(&dialog, "sheetbox", "Plants");
    QCOMPARE(focus(&dialog), QString("startcolin"));

    // "OK" with a box empty: the first empty one, in the order of the check, gets the focus.
    type(&dialog, "startcolin", "b");
    type(&dialog, "stopcolin", "ad");
    type(&dialog, "stoprowin", "12");
    click(&dialog, "OKbutton");
    QCOMPARE(focus(&dialog), QString("startrowin"));
    type(&dialog, "startrowin", "3");
    dialog.findChild<QLineEdit*>("missvalin")->clear();
    click(&dialog, "OKbutton");
    QCOMPARE(focus(&dialog), QString("missvalin"));
    QVERIFY(dialog.isVisible());
    type(&dialog, "missvalin", "NA");
    click(&dialog, "OKbutton");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    const kw::SheetRange range = dialog.range();
    QCOMPARE(QString::fromStdString(range.sheet), QString("Plants"));
    QCOMPARE(QString::fromStdString(range.firstColumn + ":" + range.lastColumn), QString("B:AD"));
    QCOMPARE(QString::fromStdString(range.firstRow + ":" + range.lastRow), QString("3:12"));
    QCOMPARE(QString::fromStdString(range.missingCode), QString("NA"));

    // Choosing a book lists its sheets.
    kw::app::ReadSheetDialog again(link.get(), nullptr);
    open(again);
    choose(&again, "booksbox", "first.ods");
    QCOMPARE(items(&again, "sheetbox"), QStringList({"Sheet1", "[Sheet1]"}));
    QCOMPARE(focus(&again), QString("startcolin"));
}

void PartsTest::readDialogOpensItsHelpPage() {
    const auto link = twoBooks();
    kw::app::ReadSheetDialog dialog(link.get(), nullptr);
    open(dialog);
    QString page;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        auto* help = qobject_cast<kw::app::HelpWindow*>(QApplication::activeModalWidget());
        if (help != nullptr) {
            auto* pages = help->findChild<QTabWidget*>("helppages");
            page = pages->tabText(pages->currentIndex());
            help->reject();
        }
    });
    poll.start(10);
    click(&dialog, "helpbut");
    QCOMPARE(page, QString("Read Excel file"));
    QVERIFY(dialog.isVisible());
}

void PartsTest::saveDialogReturnsTheTarget() {
    const auto link = twoBooks();
    kw::app::SaveSheetDialog dialog(link.get(), nullptr);
    open(dialog);
    QCOMPARE(focus(&dialog), QString("colout"));
    auto* newBook = dialog.findChild<QCheckBox*>("newbookcheck");
    auto* newSheet = dialog.findChild<QCheckBox*>("newsheetcheck");
    auto* warning = dialog.findChild<QLabel*>("sheetwarning");

    // At first: an open book and a new sheet.
    kw::SheetTarget target = dialog.target();
    QVERIFY(!target.newBook && target.newSheet);
    QCOMPARE(QString::fromStdString(target.book), QString("data.ods"));
    QVERIFY(warning->isHidden());

    // An existing sheet of another book, with the warning; the dialog keeps its size.
    const QSize size = dialog.size();
    newSheet->click();
    QVERIFY(warning->isVisible());
    QCOMPARE(dialog.size(), size);
    choose(&dialog, "booksbox", "first.ods");
    QCOMPARE(items(&dialog, "sheetbox"), QStringList({"Sheet1", "[Sheet1]"}));
    click(&dialog, "OKbut");
    QCOMPARE(focus(&dialog), QString("colout"));
    type(&dialog, "colout", "c");
    click(&dialog, "OKbut");
    QCOMPARE(focus(&dialog), QString("rowout"));
    type(&dialog, "rowout", "10");
    click(&dialog, "OKbut");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    target = dialog.target();
    QVERIFY(!target.newBook && !target.newSheet);
    QCOMPARE(
        QString::fromStdString(target.book + "/" + target.sheet + "/" + target.column + target.row),
        QString("first.ods/Sheet1/C10"));

    // A new book always gets a new sheet.
    newBook->click();
    QVERIFY(newSheet->isChecked() && !newSheet->isEnabled());
    QVERIFY(warning->isHidden());
    target = dialog.target();
    QVERIFY(target.newBook && target.newSheet);
    QCOMPARE(QString::fromStdString(target.book + target.sheet), QString());
}

// The controls that Tab visits, from the one with the focus, once round.
QStringList tabOrder(QDialog& dialog) {
    dialog.activateWindow();
    if (!QTest::qWaitForWindowActive(&dialog)) {
        return {"not active"};
    }
    const QString first = focus(&dialog);
    QStringList order{first};
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
        if (focus(&dialog) == first) {
            return order;
        }
        order << focus(&dialog);
    }
    return order << "...";
}

void PartsTest::dialogsKeepTheirKeyboardOrder() {
    const auto link = twoBooks();
    kw::app::ReadSheetDialog reading(link.get(), nullptr);
    open(reading);
    QCOMPARE(tabOrder(reading),
             QStringList({"startcolin", "stopcolin", "startrowin", "stoprowin", "OKbutton",
                          "CancelButton", "missvalin", "helpbut", "booksbox", "sheetbox"}));
    reading.reject();
    kw::app::SaveSheetDialog saving(link.get(), nullptr);
    open(saving);
    // The sheet box, after "Cancel", is skipped while "new sheet" is checked.
    QCOMPARE(tabOrder(saving), QStringList({"colout", "rowout", "OKbut", "cancelbut", "booksbox",
                                            "newbookcheck", "newsheetcheck"}));
    saving.findChild<QCheckBox*>("newsheetcheck")->click();
    saving.findChild<QWidget*>("colout")->setFocus();
    QCOMPARE(tabOrder(saving), QStringList({"colout", "rowout", "OKbut", "cancelbut", "sheetbox",
                                            "booksbox", "newbookcheck", "newsheetcheck"}));
}

void PartsTest::manualInputDialogReturnsTheTexts() {
    kw::app::ManualInputDialog dialog;
    dialog.show();
    QCOMPARE(focus(&dialog), QString("ntotvalin"));
    QCOMPARE(dialog.variablesText(), QString("2"));
    type(&dialog, "nvarsin", "3");
    type(&dialog, "ntotvalin", "12x");
    QCOMPARE(dialog.variablesText() + "/" + dialog.casesText(), QString("3/12x"));
}

void PartsTest::helpWindowHasItsPages() {
    kw::app::HelpWindow help(9);
    auto* pages = help.findChild<QTabWidget*>("helppages");
    auto* practice = help.findChild<QTabWidget*>("practicetabs");
    QStringList captions;
    for (int p = 0; p < pages->count(); ++p) {
        captions << pages->tabText(p);
    }
    QCOMPARE(captions,
             QStringList({"General Information", "Practice", "Manual Input", "Read Text file",
                          "Read Excel file", "Grouping  and Test variables", "Define Selection",
                          "Missing Values", "Save to Text file", "Save to Excel file", "References",
                          "Open other files"}));
    QCOMPARE(pages->currentIndex(), 9);
    QStringList inner;
    for (int p = 0; p < practice->count(); ++p) {
        inner << practice->tabText(p);
    }
    QCOMPARE(inner, QStringList({"input", "groups", "ranked", "output", "counts"}));
    QCOMPARE(practice->currentIndex(), 4);

    // Every text is there, rendered: its words, none of its markup.
    const QList<QTextBrowser*> texts = help.findChildren<QTextBrowser*>();
    QCOMPARE(texts.size(), 12 + 5);
    for (QTextBrowser* text : texts) {
        const QString plain = text->toPlainText();
        QVERIFY(plain.size() > 300);
        QVERIFY2(!plain.contains(QRegularExpression("</?(p|li|ul|ol|h3|pre|br)\\b")),
                 qPrintable(plain.left(80)));
        QVERIFY(!plain.contains("&amp;") && !plain.contains("&lt;"));
    }
    auto* general = qobject_cast<QTextBrowser*>(pages->widget(0));
    QVERIFY(general->toPlainText().startsWith("The Kruskal-Wallis test is a rank-based"));
    QVERIFY(kw::app::resourceText("disclaimer.html").contains("cannot be held responsible"));
    QVERIFY(kw::app::resourceText("about.html").contains("John Wiley &amp; Sons"));
}

void PartsTest::absentLinkFailsForNoSpreadsheet() {
    kw::app::AbsentLink link;
    const std::vector<std::function<void()>> operations = {
        [&] { link.listBooks(); },
        [&] { link.listSheets(); },
        [&] { link.newBook(); },
        [&] { link.newSheet(std::nullopt); },
        [&] { link.appendSheet(std::string("x")); },
        [&] { link.selectBook("x"); },
        [&] { link.selectSheet("x"); },
        [&] { link.useActiveSheet(); },
        [&] { link.readRange(1, 1, 1, 1); },
        [&] { link.writeRange(1, 1, 1, 1, kw::ValueTable(1, 1), '.'); },
    };
    for (const auto& operation : operations) {
        try {
            operation();
            QFAIL("an operation of the absent link did not fail");
        } catch (const Failure& f) {
            QCOMPARE(f.reason(), Failure::Reason::noSpreadsheet);
            QCOMPARE(QString::fromStdString(f.message()),
                     QString("This program was built without a link to a spreadsheet "
                             "application: LibreOffice and its SDK (libreoffice-dev) were not "
                             "found when it was built."));
        }
    }
    link.disconnect(); // nothing to let go
}

void PartsTest::workHandsBackOnTheInterfaceThread() {
    QMainWindow window;
    kw::app::WorkRunner runner(&window);
    QThread* worker = nullptr;
    QThread* applied = nullptr;
    kw::app::WorkRunner::Ending ending;
    bool finished = false;
    const bool started = runner.start(
        [&](kw::Feedback& feedback) -> kw::app::WorkRunner::Handback {
            worker = QThread::currentThread();
            feedback.warning(Failure::warning("first", 9));
            feedback.warning(Failure::warning("second", -1));
            return [&] { applied = QThread::currentThread(); };
        },
        [&](kw::app::WorkRunner::Ending e) {
            ending = std::move(e);
            ending.handback();
            finished = true;
        });
    QVERIFY(started);
    QVERIFY(runner.running());
    // One piece of work at a time.
    QVERIFY(!runner.start([](kw::Feedback&) { return kw::app::WorkRunner::Handback(); },
                          [](kw::app::WorkRunner::Ending) {}));
    QVERIFY(QTest::qWaitFor([&] { return finished; }, 5000));
    QVERIFY(!runner.running());
    QVERIFY(worker != nullptr && worker != QThread::currentThread());
    QCOMPARE(applied, QThread::currentThread());
    QVERIFY(!ending.failure && !ending.cancelled);
    QCOMPARE(ending.warnings.size(), std::size_t{2});
    QCOMPARE(QString::fromStdString(ending.warnings[1].message()), QString("second"));
}

void PartsTest::workFailuresAndStops() {
    QMainWindow window;
    kw::app::WorkRunner runner(&window);
    kw::app::WorkRunner::Ending ending;
    auto keep = [&](kw::app::WorkRunner::Ending e) { ending = std::move(e); };

    // What the work throws becomes a failure with its reason.
    runner.start([](kw::Feedback&) -> kw::app::WorkRunner::Handback { throw std::bad_alloc(); },
                 keep);
    runner.waitForFinished(); // finished at once
    QVERIFY(!runner.running());
    QVERIFY(ending.failure && !ending.handback);
    QCOMPARE(ending.failure->reason(), Failure::Reason::outOfMemory);
    runner.start(
        [](kw::Feedback&) -> kw::app::WorkRunner::Handback {
            throw Failure(Failure::Reason::fileAccess, "gone");
        },
        keep);
    runner.waitForFinished();
    QCOMPARE(QString::fromStdString(ending.failure->message()), QString("gone"));

    // Asked to stop, the work stops at its next look at the feedback.
    QAtomicInt begun = 0;
    runner.start(
        [&](kw::Feedback& feedback) -> kw::app::WorkRunner::Handback {
            begun = 1;
            while (!feedback.cancelled()) {
                QThread::msleep(1);
            }
            throw kw::Cancelled();
        },
        keep);
    QVERIFY(QTest::qWaitFor([&] { return begun.loadRelaxed() == 1; }, 5000));
    runner.cancel();
    runner.waitForFinished();
    QVERIFY(ending.cancelled && !ending.failure);

    // The wait cursor and the progress show after a moment, and go with the work.
    QSignalSpy busy(&runner, &kw::app::WorkRunner::busyShown);
    begun = 0;
    runner.start(
        [&](kw::Feedback& feedback) -> kw::app::WorkRunner::Handback {
            while (!feedback.cancelled()) {
                QThread::msleep(1);
            }
            return {};
        },
        keep);
    QVERIFY(busy.wait(2000));
    QCOMPARE(busy.takeFirst().at(0).toBool(), true);
    runner.cancel();
    runner.waitForFinished();
    QCOMPARE(busy.takeFirst().at(0).toBool(), false);
}

// Work that the user may stop shows Cancel beside the progress, which takes a click while the
// rest of the window takes none, and stops on Escape; other work shows no Cancel.
void PartsTest::workStoppedByTheUser() {
    QMainWindow window;
    auto* field = new QLineEdit(&window);
    window.setCentralWidget(field);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    kw::app::WorkRunner runner(&window);
    auto* cancel = window.findChild<QPushButton*>("cancelwork");
    QVERIFY(cancel != nullptr && cancel->isHidden());
    kw::app::WorkRunner::Ending ending;
    auto keep = [&](kw::app::WorkRunner::Ending e) { ending = std::move(e); };
    auto untilStopped = [](kw::Feedback& feedback) -> kw::app::WorkRunner::Handback {
        while (!feedback.cancelled()) {
            QThread::msleep(1);
        }
        throw kw::Cancelled();
    };
    QSignalSpy busy(&runner, &kw::app::WorkRunner::busyShown);

    runner.start(untilStopped, keep, kw::app::WorkRunner::Stop::byUser);
    QVERIFY(busy.wait(2000));
    QVERIFY(!cancel->isHidden() && cancel->isEnabled());
    QTest::keyClicks(field, "x"); // held back
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!runner.running(), 5000);
    QVERIFY(ending.cancelled);
    QVERIFY(cancel->isHidden());
    QCOMPARE(field->text(), QString());

    runner.start(untilStopped, keep, kw::app::WorkRunner::Stop::byUser);
    QVERIFY(busy.wait(2000));
    QTest::keyClick(field, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!runner.running(), 5000);
    QVERIFY(ending.cancelled);

    // Work that only the window's close stops: no Cancel, Escape held back.
    runner.start(untilStopped, keep);
    QVERIFY(busy.wait(2000));
    QVERIFY(cancel->isHidden());
    QTest::keyClick(field, Qt::Key_Escape);
    QTest::qWait(50);
    QVERIFY(runner.running());
    runner.cancel();
    runner.waitForFinished();
    QVERIFY(ending.cancelled);
}

QTEST_MAIN(PartsTest)
#include "parts_test.moc"
