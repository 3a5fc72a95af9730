// The window's timings (KW_TIMING), offscreen: with the variable set, reading a file, a
// calculation and a page turned write their stages and response times to standard error in
// kwtest's line format; without it the window writes none and watches no input.

#include "app/mainwindow.h"
#include "app/settings.h"
#include "app/work/responseclock.h"
#include "app/work/workrunner.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <unistd.h>

using kw::app::MainWindow;

namespace {

const QString examples = QStringLiteral(KW_EXAMPLES_DIR);

// Standard error into a file while it lives.
class CapturedStderr {
public:
    explicit CapturedStderr(const QString& path) : path_(path) {
        std::fflush(stderr);
        saved_ = dup(2);
        std::FILE* f = std::fopen(qPrintable(path), "w");
        dup2(fileno(f), 2);
        std::fclose(f);
    }
    ~CapturedStderr() { restore(); }
    void restore() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, 2);
            close(saved_);
            saved_ = -1;
        }
    }
    QStringList lines() const {
        std::fflush(stderr);
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private:
    QString path_;
    int saved_ = -1;
};

// "stage   12.3 ms   45 MB resident": the stage and its milliseconds, for the lines of that form.
QMap<QString, double> timings(const QStringList& lines) {
    static const QRegularExpression line(R"(^(.+?) +(\d+\.\d) ms +(\d+) MB resident$)");
    QMap<QString, double> found;
    for (const QString& text : lines) {
        const auto match = line.match(text);
        if (match.hasMatch()) {
            found.insert(match.captured(1), match.captured(2).toDouble());
        }
    }
    return found;
}

} // namespace

class TimingTest final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void timingsGoToStandardError();
    void withoutTimingNothingIsWritten();

private:
    // Reads plantgrowth.txt at the start, calculates by pressing "calculate" from the keyboard
    // (Space held for 60 ms) and turns to the next page with Ctrl+PgDown, within `captured`.
    void session(const CapturedStderr& captured);
    template <typename T> T* child(const char* name) {
        return w_->findChild<T*>(QString::fromLatin1(name));
    }

    std::unique_ptr<MainWindow> w_;
    QTemporaryDir settingsDir_;
    QTemporaryDir dir_;
};

void TimingTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(settingsDir_.isValid());
    QVERIFY(dir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    QApplication::setQuitOnLastWindowClosed(false);
}

void TimingTest::init() {
    kw::app::storeVersion("10.3"); // no notice at start
}

void TimingTest::cleanup() {
    w_.reset();
    qunsetenv("KW_TIMING");
}

void TimingTest::session(const CapturedStderr& captured) {
    w_ = std::make_unique<MainWindow>();
    w_->openAtStart(examples + "/plantgrowth.txt");
    w_->show();
    QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
    auto* work = w_->findChild<kw::app::WorkRunner*>("work");
    QVERIFY(QTest::qWaitFor([&] { return w_->windowTitle().endsWith("plantgrowth.txt"); }));
    work->waitForFinished();
    for (auto [name, item] : {std::pair{"groupchoice", "group"}, {"testchoice", "weight"}}) {
        auto* box = child<QComboBox>(name);
        box->setCurrentIndex(box->findText(item));
        emit box->activated(box->currentIndex());
    }
    auto* calculate = child<QPushButton>("calculate");
    calculate->setFocus();
    // Held a while: the button acts on the release, the answer counts from the press.
    QTest::keyPress(calculate, Qt::Key_Space);
    QTest::qWait(60);
    QTest::keyRelease(calculate, Qt::Key_Space);
    work->waitForFinished();
    auto* pages = child<QTabWidget>("datapages");
    QCOMPARE(pages->currentIndex(), 3); // the output
    QTest::keyClick(calculate, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(pages->currentIndex(), 4);
    // The lines of the answers come when the window is idle again.
    if (qEnvironmentVariableIsSet("KW_TIMING")) {
        QVERIFY(QTest::qWaitFor([&] { return timings(captured.lines()).contains("page counts"); },
                                20000));
    } else {
        QTest::qWait(200);
    }
}

void TimingTest::timingsGoToStandardError() {
    qputenv("KW_TIMING", "1");
    CapturedStderr captured(dir_.filePath("timed.txt"));
    session(captured);
    captured.restore();
    const QStringList lines = captured.lines();
    const QMap<QString, double> found = timings(lines);
    // The core's stages as kwtest names them, the work's parts, the answers to the inputs.
    for (const char* stage :
         {"  read bytes", "  split values", "read file", "read file: shown", "sort keys",
          "rank and count", "calculate: started", "calculate", "calculate: applied",
          "calculate: refreshed", "calculate: shown", "key Space", "page counts"}) {
        QVERIFY2(found.contains(stage), qPrintable(stage + QString(" in:\n") + lines.join('\n')));
    }
    // Measured from the key that started it: the whole answer takes at least the time the
    // key was held, the work and the refresh of the window after it.
    QVERIFY(found["calculate: started"] >= 50);
    QVERIFY(found["calculate: shown"] >= found["calculate"]);
    QVERIFY(found["calculate: shown"] >= found["calculate: refreshed"]);
    QVERIFY(found["calculate: refreshed"] >= found["calculate: applied"]);
    // kwtest's columns: the stage in 20, the milliseconds in 8, the megabytes in 7.
    for (const char* stage : {"sort keys", "calculate: shown"}) {
        const QRegularExpression format(QString(R"(^%1 [ \d]{5}\d\.\d ms [ \d]{6}\d MB resident$)")
                                            .arg(QString(stage).leftJustified(20)));
        QCOMPARE(lines.filter(format).size(), 1);
    }
}

void TimingTest::withoutTimingNothingIsWritten() {
    qunsetenv("KW_TIMING");
    CapturedStderr captured(dir_.filePath("untimed.txt"));
    session(captured);
    captured.restore();
    QVERIFY(timings(captured.lines()).isEmpty());
    QCOMPARE(kw::app::ResponseClock::of(w_.get()), nullptr);
    QVERIFY(w_->findChild<kw::app::ResponseClock*>() == nullptr);
}

QTEST_MAIN(TimingTest)
#include "timing_test.moc"
