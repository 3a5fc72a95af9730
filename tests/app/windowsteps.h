#pragma once

// The steps the window's tests take in the main window: its settings kept apart, the window
// shown and started, a file read through File > Open as typed at the keyboard, a choice picked,
// a calculation, a page turned to.

#include "answering.h"

#include "app/mainwindow.h"
#include "app/work/workrunner.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <utility>

namespace kw::test {

// The program's settings in `dir`, of this run's own; English numbers; the program going on
// when its last window closes, as the tests close one window and open the next.
inline bool ownSettings(const QTemporaryDir& dir) {
    QStandardPaths::setTestModeEnabled(true);
    if (!dir.isValid()) {
        return false;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication::setQuitOnLastWindowClosed(false);
    return true;
}

// Makes `window` the active window (none is after a dialog closed).
inline bool activate(QWidget& window) {
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Shows the window and waits for its start steps (they end by hiding "Save manual Input to
// text").
inline bool showStarted(QWidget& window) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return false;
    }
    auto* saveInput = window.findChild<QAction*>("SaveInput1");
    const bool started = QTest::qWaitFor([saveInput] { return !saveInput->isVisible(); });
    QCoreApplication::processEvents();
    return started;
}

// Shows the window and makes it the active one, then waits for its start steps, an offer of a
// copy of typed data among them, and for `answers` to be done with what they showed. A
// restored table shows "Save manual Input to text" again.
inline bool showStartedAnswered(QWidget& window, const Answerer& answers) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !activate(window)) {
        return false;
    }
    auto* saveInput = window.findChild<QAction*>("SaveInput1");
    return QTest::qWaitFor([&] { return !saveInput->isVisible() || window.isWindowModified(); }) &&
           QTest::qWaitFor([&] { return answers.idle(); });
}

// Answers the next file dialog as a user does by keyboard: the filter chosen from its list
// (where given), the file's name typed into the box with the focus, then Return. The dialog is
// first shown the file's folder (a whole path typed into the box makes the dialog select each
// folder on the way and open the first of them, "/", on Return).
class FileTyper final : public QObject {
public:
    explicit FileTyper(const QString& path, QString filter = {})
        : file_(path), filter_(std::move(filter)) {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, &FileTyper::poll);
        timer_.start();
    }
    QString title;     // of the dialog answered
    QString typedInto; // the object name of the box typed into

private:
    void poll() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog == seen_ || dialog->focusWidget() == nullptr) {
            return;
        }
        seen_ = dialog;
        title = dialog->windowTitle();
        QWidget* focus = dialog->focusWidget();
        dialog->setDirectory(file_.absolutePath());
        if (!filter_.isEmpty()) {
            // Down in the list of file types, as a user chooses one.
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            for (int i = 0; i < types->count() && types->currentText() != filter_; ++i) {
                QTest::keyClick(types, Qt::Key_Down);
            }
            focus = dialog->findChild<QLineEdit*>("fileNameEdit");
        }
        typedInto = focus->objectName();
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_Delete);
        QTest::keyClicks(focus, file_.fileName());
        if (QWidget* popup = QApplication::activePopupWidget()) {
            QTest::keyClick(popup, Qt::Key_Escape); // the completer's list
        }
        QTest::keyClick(focus, Qt::Key_Return);
    }

    QFileInfo file_;
    QString filter_;
    QTimer timer_;
    QPointer<QFileDialog> seen_;
};

// The main window of a test, its parts found by name, and the steps of a session in it.
class WindowSteps {
protected:
    template <typename T> T* child(const char* name) const {
        T* c = w_->findChild<T*>(name);
        if (c == nullptr) {
            qFatal("the window has no %s", name);
        }
        return c;
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    kw::app::WorkRunner* work() const { return w_->findChild<kw::app::WorkRunner*>(); }
    QTabWidget* pages() const { return child<QTabWidget>("datapages"); }

    // `item` picked in the chooser as a user does.
    void pick(const char* chooser, const QString& item) {
        auto* box = child<QComboBox>(chooser);
        const int position = box->findText(item);
        QVERIFY2(position >= 0, qPrintable(item));
        box->setCurrentIndex(position);
        emit box->activated(position);
    }

    // The file read through File > Open, typed at the keyboard; the window active again.
    void read(const QString& path) {
        FileTyper typer(path);
        action("Open1")->trigger();
        work()->waitForFinished();
        QCoreApplication::processEvents();
        QVERIFY(activate(*w_));
    }

    void calculate() {
        child<QPushButton>("calculate")->click();
        work()->waitForFinished();
        QCoreApplication::processEvents();
    }

    void turnTo(int page) {
        pages()->setCurrentIndex(page);
        work()->waitForFinished(); // the details page computes when it is turned to
        QCoreApplication::processEvents();
    }

    std::unique_ptr<kw::app::MainWindow> w_;
};

} // namespace kw::test
