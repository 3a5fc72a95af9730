// The shareable report through the window, offscreen: File > Save report as HTML, Print
// report and Export report as PDF are there after "Save results to Text", refuse before a
// calculation without asking for a file, and afterwards write the report (the extension added
// to a name typed without one); with the details page computed the HTML holds the same tables
// as kwtest's --html; a file that cannot be written is said in the failure box.

#include "windowsteps.h"

#include "app/mainwindow.h"
#include "app/settings.h"
#include "app/work/workrunner.h"
#include "core/base/version.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using kw::app::MainWindow;

namespace {

const QString examples = QStringLiteral(KW_EXAMPLES_DIR);

// Answers the modal dialogs as they come: a file dialog gets `file` typed into its name box
// and accepted, the print dialog is cancelled, a
// message box is recorded and closed.
class Answerer final : public QObject {
public:
    explicit Answerer(QString file = {}) : file_(std::move(file)) {
        timer_.setInterval(15);
        connect(&timer_, &QTimer::timeout, this, &Answerer::poll);
        timer_.start();
    }
    QStringList seen;

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr || w == current_) {
            return;
        }
        current_ = w;
        if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
            seen << "save: " + dialog->nameFilters().join(";;");
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(file_);
            QTimer::singleShot(0, dialog, &QDialog::accept);
        } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen << box->objectName() + ": " + box->text();
            QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Ok)->click(); });
        } else {
            seen << w->objectName();
            QTimer::singleShot(0, w, [w] { static_cast<QDialog*>(w)->reject(); });
        }
    }

    QString file_;
    QTimer timer_;
    QPointer<QWidget> current_;
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The report less what differs between two runs of the same calculation: the day, the data
// source as named, and the plots' pictures (compared by the plots' own tests).
QString comparable(const QByteArray& html) {
    QString s = QString::fromUtf8(html);
    s.remove(QRegularExpression("<p class=\"meta\">[^<]*</p>"));
    s.remove(QRegularExpression("<tr><th scope=\"row\">Data source</th><td>[^<]*</td></tr>"));
    s.replace(QRegularExpression("base64,[A-Za-z0-9+/=]+"), "base64,");
    return s;
}

} // namespace

class ReportTest final : public QObject, kw::test::WindowSteps {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandsFollowSaveResultsToText();
    void refusedBeforeACalculation();
    void htmlAsKwtestWritesIt();
    void pdfHasPagesAndPrintAsks();
    void unwritableFileIsSaid();

private:
    void startWithPlants();
    // The command triggered with the dialogs answered; what they showed.
    QStringList run(const char* command, const QString& file = {});

    std::unique_ptr<QTemporaryDir> dir_;
    QTemporaryDir settingsDir_;
};

void ReportTest::initTestCase() {
    QVERIFY(kw::test::ownSettings(settingsDir_));
}

void ReportTest::init() {
    kw::app::storeVersion(kw::programVersion); // no notice at start
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    w_ = std::make_unique<MainWindow>();
    w_->show();
    QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
}

void ReportTest::cleanup() {
    w_->close();
    w_.reset();
    dir_.reset();
}

void ReportTest::startWithPlants() {
    {
        Answerer answer(examples + "/plantgrowth.txt");
        action("Open1")->trigger();
        work()->waitForFinished();
        QCoreApplication::processEvents();
    }
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
}

QStringList ReportTest::run(const char* command, const QString& file) {
    Answerer answer(file);
    action(command)->trigger();
    QCoreApplication::processEvents();
    return answer.seen;
}

void ReportTest::commandsFollowSaveResultsToText() {
    auto* file = w_->findChild<QMenu*>("File1");
    QVERIFY(file != nullptr);
    QStringList names;
    for (QAction* a : file->actions()) {
        names << a->objectName();
    }
    const qsizetype save = names.indexOf("Save1");
    const qsizetype html = names.indexOf("SaveHtmlReport1");
    QVERIFY(save >= 0);
    QVERIFY(html > save);
    QVERIFY(names.indexOf("PrintReport1") > html);
    QVERIFY(names.indexOf("ExportReportPdf1") > names.indexOf("PrintReport1"));
    QVERIFY(names.indexOf("Exit1") > names.indexOf("ExportReportPdf1"));
    QCOMPARE(action("SaveHtmlReport1")->text(), QString("Save report as HTML..."));
    QCOMPARE(action("PrintReport1")->text(), QString("Print report..."));
    QCOMPARE(action("ExportReportPdf1")->text(), QString("Export report as PDF..."));
}

void ReportTest::refusedBeforeACalculation() {
    const QString refusal =
        "failuremessage: There are no results to report yet: press calculate first.";
    for (const char* command : {"SaveHtmlReport1", "PrintReport1", "ExportReportPdf1"}) {
        // No file is asked for: the refusal comes first.
        QCOMPARE(run(command, dir_->filePath("r")), QStringList{refusal});
    }
    QVERIFY(QDir(dir_->path()).isEmpty());
}

void ReportTest::htmlAsKwtestWritesIt() {
    startWithPlants();
    // The details page computes (quickly, for 30 cases) when it is turned to.
    auto* pages = w_->findChild<QTabWidget*>("datapages");
    pages->setCurrentWidget(w_->findChild<QWidget*>("detailspage"));
    work()->waitForFinished();
    QCoreApplication::processEvents();

    const QStringList seen = run("SaveHtmlReport1", dir_->filePath("plants"));
    QCOMPARE(seen, QStringList{"save: HTML files (*.html *.htm);;all files (*.*)"});
    const QByteArray html = fileBytes(dir_->filePath("plants.html"));
    QVERIFY(html.startsWith("<!DOCTYPE html>"));
    QVERIFY(html.contains("plantgrowth.txt</td>"));

    QProcess kwtest;
    kwtest.start(KWTEST_PATH, {examples + "/plantgrowth.txt", "--group", "group", "--test",
                               "weight", "--html", dir_->filePath("kwtest.html")});
    QVERIFY(kwtest.waitForFinished(30000));
    QCOMPARE(kwtest.exitCode(), 0);
    QCOMPARE(comparable(html), comparable(fileBytes(dir_->filePath("kwtest.html"))));
}

void ReportTest::pdfHasPagesAndPrintAsks() {
    startWithPlants();
    // Without the details page: the comparisons and letters all the same.
    QCOMPARE(run("ExportReportPdf1", dir_->filePath("plants")),
             QStringList{"save: PDF files (*.pdf);;all files (*.*)"});
    const QByteArray pdf = fileBytes(dir_->filePath("plants.pdf"));
    QVERIFY(pdf.startsWith("%PDF-"));
    const qsizetype pages =
        QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]"));
    QVERIFY2(pages >= 2 && pages <= 6, qPrintable(QString::number(pages)));

    QCOMPARE(run("SaveHtmlReport1", dir_->filePath("letters.html")).size(), 1);
    const QByteArray html = fileBytes(dir_->filePath("letters.html"));
    QVERIFY(html.contains("<th scope=\"col\">Letters</th>"));
    QVERIFY(html.contains("once the details are computed"));

    // Printing asks for the printer; cancelled, nothing more happens.
    QCOMPARE(run("PrintReport1"), QStringList{"printdialog"});
}

void ReportTest::unwritableFileIsSaid() {
    startWithPlants();
    const QString path = dir_->filePath("missing/folder/r.html");
    const QStringList seen = run("SaveHtmlReport1", path);
    QCOMPARE(seen.size(), 2);
    QVERIFY2(seen[1].startsWith("failuremessage: The report could not be written to " + path),
             qPrintable(seen.join('\n')));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(ReportTest)
#include "report_test.moc"
