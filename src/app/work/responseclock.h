#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include <tuple>

class QTabWidget;
class QWidget;

namespace kw::app {

// Whether the user asked for timings: the environment variable KW_TIMING is set, as for kwtest.
bool timingWanted();

// Writes one timing line to standard error in kwtest's format: the stage, how long it took,
// and how much memory the program holds at its end.
void writeTimingLine(std::string_view stage, std::chrono::steady_clock::duration took);

// How long the window takes to answer the user, for tuning it at scale (KW_TIMING set): for
// each key press, click or turn of the wheel, the time from the moment the window gets it to
// the event loop being idle again (what it started done and painted), one line per input, named
// by the key ("key PgDown") or by the page it turned to ("page ranked"). Long work asks it for
// the time of the input that started it (claimAction) and waits for the window to be idle after
// its result (whenIdle). Without KW_TIMING there is no clock and nothing is written.
class ResponseClock final : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    // The clock of `window`, made at the first call; none unless timings are wanted.
    static ResponseClock* of(QWidget* window);

    // The time of the input being answered (the work starts from its press or its release),
    // claimed once; now where there is none.
    Clock::time_point claimAction();
    // Names the line of an input that turns `pages` after the page it turns to.
    void watchPages(QTabWidget* pages);
    // Calls `then` once the events pending now are handled and what they changed is laid out
    // and painted: at the first turn of the event loop, after the first, that saw no layout,
    // paint request or paint.
    void whenIdle(std::function<void()> then);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    explicit ResponseClock(QWidget* window);

    // One input: its line's name, when the window got it, what it was (kind, key or button,
    // time stamp), whether it turns the pages (a key that does, a click on the tabs), whether
    // work claimed it, whether its line is written, how many of its answers (to the press, to
    // the release) are under way.
    struct Input {
        QString name;
        Clock::time_point at;
        std::tuple<int, int, unsigned long long> seen;
        bool turnsPages = false;
        bool claimed = false;
        bool done = false;
        bool released = false;
        int answering = 0;
    };
    void released(int kind, int code);
    void turn(std::function<void()> then, int turns);

    // The last input: each is taken once, though Qt hands it to the window and then to each
    // widget it passes.
    std::shared_ptr<Input> latest_;
    // Layouts, paint requests and paints so far: a turn of the event loop without one is idle.
    unsigned long long changes_ = 0;
};

} // namespace kw::app
