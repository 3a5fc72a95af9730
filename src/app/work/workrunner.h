#pragma once

#include "core/base/failure.h"
#include "core/base/feedback.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QMainWindow;
class QProgressBar;
class QPushButton;

namespace kw::app {

class ResponseClock;
class WorkFeedback;

// Runs long work (a function of the core: reading a file, the analysis, the spreadsheet) on a
// thread of the pool, one piece at a time, and hands back on the interface thread what the
// work found. While it runs the window takes no input; after 250 ms the wait cursor shows, and
// the stage and a progress bar in the window's status bar. Work that the user may stop shows a
// "Cancel" button beside the bar, the one control that takes input meanwhile (Escape does the
// same); other work stops only when the window closes.
//
// The work gets a Feedback (progress, warnings, the request to stop) and returns what is to be
// applied on the interface thread, a handback that may throw the failure to report after it.
//
// With KW_TIMING set, each piece of work writes to standard error the core's stages, its own
// time on the worker, the time its result took to be applied and the window refreshed, and the
// time from the user's input that started it to the window showing the result (see
// ResponseClock).
class WorkRunner final : public QObject {
    Q_OBJECT
public:
    using Handback = std::function<void()>;
    using Work = std::function<Handback(Feedback&)>;

    // How the work ended: what it handed back (none when it failed or stopped), its failure,
    // whether it stopped on request, and the warnings it gave on its way.
    struct Ending {
        Handback handback;
        std::optional<Failure> failure;
        bool cancelled = false;
        std::vector<Failure> warnings;
    };
    using Finish = std::function<void(Ending)>;

    // Who may stop the work: only the window's close, or the user too.
    enum class Stop { withWindow, byUser };

    explicit WorkRunner(QMainWindow* window);
    ~WorkRunner() override;

    bool running() const { return running_; }

    // Starts `work` unless work runs already (then false); `finish` gets its ending on the
    // interface thread.
    bool start(Work work, Finish finish, Stop stop = Stop::withWindow);
    // The name of the next work started in its timing lines ("read file", "calculate"); a
    // literal.
    void nameNext(const char* name) { nextName_ = name; }
    // Asks the work under way to stop at its next step.
    void cancel();
    // Waits for the work under way, and finishes it now.
    void waitForFinished();

signals:
    // The wait cursor and the progress appear (after the delay) or go.
    void busyShown(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showBusy();
    void showProgress();
    void finish();

    QMainWindow* window_;
    ResponseClock* clock_;
    const char* nextName_ = nullptr;
    const char* name_ = "work";
    std::chrono::steady_clock::time_point actionAt_{};
    bool running_ = false;
    bool busyShown_ = false;
    bool userStops_ = false;
    std::shared_ptr<WorkFeedback> feedback_;
    Finish finish_;
    QFutureWatcher<Ending> watcher_;
    QTimer busyTimer_;
    QTimer progressTimer_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    QLabel* stage_;
};

} // namespace kw::app
