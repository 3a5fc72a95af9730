#include "app/work/workrunner.h"

#include "app/work/responseclock.h"
#include "app/work/workfeedback.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtConcurrent/QtConcurrentRun>

#include <string>
#include <utility>

namespace kw::app {

namespace {

constexpr int busyDelay = 250;      // ms before work shows itself
constexpr int progressPeriod = 100; // ms between looks at its progress

} // namespace

WorkRunner::WorkRunner(QMainWindow* window)
    : QObject(window), window_(window), clock_(ResponseClock::of(window)) {
    setObjectName("work");
    progress_ = new QProgressBar(window);
    progress_->setObjectName("progress");
    progress_->setRange(0, 1000);
    progress_->setMaximumWidth(240);
    cancel_ = new QPushButton(tr("Cancel"), window);
    cancel_->setObjectName("cancelwork");
    cancel_->setFocusPolicy(Qt::NoFocus); // the window's focus stays where it was
    connect(cancel_, &QPushButton::clicked, this, &WorkRunner::cancel);
    stage_ = new QLabel(window);
    window->statusBar()->addWidget(stage_);
    window->statusBar()->addPermanentWidget(progress_);
    window->statusBar()->addPermanentWidget(cancel_);
    progress_->hide();
    cancel_->hide();

    busyTimer_.setSingleShot(true);
    connect(&busyTimer_, &QTimer::timeout, this, &WorkRunner::showBusy);
    progressTimer_.setInterval(progressPeriod);
    connect(&progressTimer_, &QTimer::timeout, this, &WorkRunner::showProgress);
    connect(&watcher_, &QFutureWatcher<Ending>::finished, this, [this] {
        // Work already finished by waitForFinished, or a signal of earlier work: nothing.
        if (running_ && watcher_.isFinished()) {
            finish();
        }
    });
}

WorkRunner::~WorkRunner() {
    if (running_) {
        // The window goes: the work stops, and nothing of it is applied.
        feedback_->cancel();
        watcher_.waitForFinished();
        if (busyShown_) {
            QApplication::restoreOverrideCursor();
        }
        qApp->removeEventFilter(this);
    }
}

bool WorkRunner::start(Work work, Finish finish, Stop stop) {
    const char* name = std::exchange(nextName_, nullptr);
    if (running_) {
        return false;
    }
    running_ = true;
    name_ = name != nullptr ? name : "work";
    if (clock_ != nullptr) {
        actionAt_ = clock_->claimAction();
        writeTimingLine(std::string(name_) + ": started",
                        std::chrono::steady_clock::now() - actionAt_);
    }
    userStops_ = stop == Stop::byUser;
    finish_ = std::move(finish);
    feedback_ = std::make_shared<WorkFeedback>();
    qApp->installEventFilter(this);
    busyTimer_.start(busyDelay);
    if (clock_ != nullptr) {
        // The whole work, as kwtest times its stages.
        work = [work = std::move(work), name = name_](Feedback& feedback) {
            const StageTimer timer(&feedback, name);
            return work(feedback);
        };
    }
    watcher_.setFuture(QtConcurrent::run([work = std::move(work), feedback = feedback_] {
        Ending ending;
        try {
            ending.handback = work(*feedback);
        } catch (const Cancelled&) {
            ending.cancelled = true;
        } catch (...) {
            ending.failure = caughtFailure();
        }
        return ending;
    }));
    return true;
}

void WorkRunner::cancel() {
    if (running_) {
        feedback_->cancel();
        cancel_->setEnabled(false); // asked once; the work stops at its next step
    }
}

void WorkRunner::waitForFinished() {
    if (running_) {
        watcher_.waitForFinished();
        finish();
    }
}

bool WorkRunner::eventFilter(QObject* watched, QEvent* event) {
    // Nothing may start in the window while the work runs; work that the user may stop takes
    // its Cancel button and Escape.
    if (running_ && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
        if (userStops_ && watched == cancel_) {
            return QObject::eventFilter(watched, event);
        }
        if (userStops_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            cancel();
            return true;
        }
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WorkRunner::showBusy() {
    busyShown_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    progress_->setValue(0);
    progress_->show();
    cancel_->setVisible(userStops_);
    cancel_->setEnabled(true);
    progressTimer_.start();
    emit busyShown(true);
}

void WorkRunner::showProgress() {
    if (feedback_) {
        progress_->setValue(static_cast<int>(feedback_->fraction() * 1000));
        stage_->setText(feedback_->stage());
    }
}

void WorkRunner::finish() {
    busyTimer_.stop();
    progressTimer_.stop();
    qApp->removeEventFilter(this);
    if (busyShown_) {
        busyShown_ = false;
        QApplication::restoreOverrideCursor();
        progress_->hide();
        cancel_->hide();
        stage_->clear();
        emit busyShown(false);
    }
    Ending ending = watcher_.result();
    ending.warnings = feedback_->takeWarnings();
    feedback_.reset();
    running_ = false;
    const Finish finish = std::exchange(finish_, nullptr);
    if (clock_ == nullptr) {
        finish(std::move(ending));
        return;
    }
    // Kept here: what `finish` does may start the next work.
    const std::string name = name_;
    const auto actionAt = actionAt_;
    const auto finishing = std::chrono::steady_clock::now();
    if (ending.handback) {
        ending.handback = [handback = std::move(ending.handback), name] {
            const auto start = std::chrono::steady_clock::now();
            try {
                handback();
            } catch (...) {
                writeTimingLine(name + ": applied", std::chrono::steady_clock::now() - start);
                throw; // the stop the session reports
            }
            writeTimingLine(name + ": applied", std::chrono::steady_clock::now() - start);
        };
    }
    finish(std::move(ending));
    writeTimingLine(name + ": refreshed", std::chrono::steady_clock::now() - finishing);
    clock_->whenIdle([name, actionAt] {
        writeTimingLine(name + ": shown", std::chrono::steady_clock::now() - actionAt);
    });
}

} // namespace kw::app
