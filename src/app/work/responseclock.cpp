#include "app/work/responseclock.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QWheelEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace kw::app {

namespace {

// Turns of the event loop a wait for idleness takes at most: a window that keeps painting (an
// animation) is taken as idle then.
constexpr int maxTurns = 200;

// The resident memory in MB, as kwtest reports it.
double residentMegabytes() {
    long pages = 0;
#if defined(__linux__)
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        long size = 0;
        if (std::fscanf(f, "%ld %ld", &size, &pages) != 2) {
            pages = 0;
        }
        std::fclose(f);
    }
#endif
    return static_cast<double>(pages) * 4096 / (1 << 20);
}

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_unknown:
        return true;
    default:
        return false;
    }
}

// The keys that turn the pages from anywhere in the window or from the tabs.
bool turnsPagesKey(QKeyCombination key) {
    const Qt::KeyboardModifiers mods = key.keyboardModifiers() & ~Qt::KeypadModifier;
    switch (key.key()) {
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return mods.testFlag(Qt::ControlModifier);
    default:
        return false;
    }
}

// What the window does to show a change: lay out, ask for a paint, paint.
bool showsChange(const QEvent* event) {
    switch (event->type()) {
    case QEvent::LayoutRequest:
    case QEvent::UpdateRequest:
    case QEvent::UpdateLater:
    case QEvent::Paint:
        return true;
    default:
        return false;
    }
}

// A turn of the event loop, and what to do then.
class TurnEvent final : public QEvent {
public:
    explicit TurnEvent(std::function<void()> step) : QEvent(kind()), step_(std::move(step)) {}
    static Type kind() {
        static const Type type = static_cast<Type>(registerEventType());
        return type;
    }
    void step() { step_(); }

private:
    std::function<void()> step_;
};

} // namespace

bool timingWanted() {
    return std::getenv("KW_TIMING") != nullptr;
}

void writeTimingLine(std::string_view stage, std::chrono::steady_clock::duration took) {
    std::fprintf(stderr, "%-20.*s %8.1f ms %7.0f MB resident\n", static_cast<int>(stage.size()),
                 stage.data(), std::chrono::duration<double, std::milli>(took).count(),
                 residentMegabytes());
}

ResponseClock* ResponseClock::of(QWidget* window) {
    if (window == nullptr || !timingWanted()) {
        return nullptr;
    }
    if (auto* clock = window->findChild<ResponseClock*>(QString(), Qt::FindDirectChildrenOnly)) {
        return clock;
    }
    return new ResponseClock(window);
}

ResponseClock::ResponseClock(QWidget* window) : QObject(window) {
    setObjectName("responseClock");
    qApp->installEventFilter(this);
}

ResponseClock::Clock::time_point ResponseClock::claimAction() {
    // Only an input whose answer is still under way started the work (a button acts when the
    // key or the mouse button is released); an older one did not.
    if (latest_ && latest_->answering > 0 && !latest_->claimed) {
        latest_->claimed = true;
        return latest_->at;
    }
    return Clock::now();
}

void ResponseClock::watchPages(QTabWidget* pages) {
    connect(pages, &QTabWidget::currentChanged, this, [this, pages](int index) {
        // Not a page the program turns to (a calculation shows its page).
        if (latest_ && !latest_->done && latest_->turnsPages && index >= 0) {
            latest_->name = "page " + pages->tabText(index).remove('&');
        }
    });
}

void ResponseClock::whenIdle(std::function<void()> then) {
    turn(std::move(then), 0);
}

void ResponseClock::turn(std::function<void()> then, int turns) {
    // Posted at the paints' own (low) priority, a turn comes after the paints posted before
    // it; the first comes after the events the input itself posts, the next after what those
    // asked for, until a turn has seen no change.
    const unsigned long long before = changes_;
    QCoreApplication::postEvent(
        this, new TurnEvent([this, then = std::move(then), turns, before]() mutable {
            if ((turns == 0 || changes_ != before) && turns < maxTurns) {
                turn(std::move(then), turns + 1);
            } else {
                then();
            }
        }),
        Qt::LowEventPriority);
}

void ResponseClock::customEvent(QEvent* event) {
    if (event->type() == TurnEvent::kind()) {
        static_cast<TurnEvent*>(event)->step();
    }
}

bool ResponseClock::eventFilter(QObject* watched, QEvent* event) {
    if (showsChange(event)) {
        ++changes_;
        return false;
    }
    if (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease) {
        if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<const QKeyEvent*>(event);
            if (!key->isAutoRepeat()) {
                released(1, key->keyCombination().toCombined());
            }
        } else {
            released(2, static_cast<int>(static_cast<const QMouseEvent*>(event)->button()));
        }
        return false;
    }
    QString name;
    bool turnsPages = qobject_cast<QTabBar*>(watched) != nullptr;
    std::tuple<int, int, unsigned long long> seen;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        // A key comes first as a request to override shortcuts, then (unless a shortcut took
        // it) as the key itself, to the window and then to each widget it passes: one input.
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (isModifierKey(key->key())) {
            return false;
        }
        name = "key " + QKeySequence(key->keyCombination()).toString(QKeySequence::PortableText);
        turnsPages = turnsPages || turnsPagesKey(key->keyCombination());
        seen = {1, key->keyCombination().toCombined(), key->timestamp()};
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        name = "click";
        seen = {2, static_cast<int>(mouse->button()), mouse->timestamp()};
        break;
    }
    case QEvent::Wheel:
        name = "wheel";
        seen = {3, 0, static_cast<const QWheelEvent*>(event)->timestamp()};
        break;
    default:
        return false;
    }
    // Seen before while its answer is under way: the same input on its way through.
    if (latest_ && latest_->seen == seen && !latest_->done) {
        latest_->turnsPages = latest_->turnsPages || turnsPages;
        return false;
    }
    auto input = std::make_shared<Input>();
    input->name = name;
    input->at = Clock::now();
    input->seen = seen;
    input->turnsPages = turnsPages;
    input->answering = 1;
    latest_ = input;
    // Started before the input is handled: the turns of the event loop wait for what it does.
    whenIdle([input] {
        input->done = true;
        --input->answering;
        writeTimingLine(input->name.toStdString(), Clock::now() - input->at);
    });
    return false;
}

void ResponseClock::released(int kind, int code) {
    // The release of the latest key or button: work may start from it until it is handled.
    if (!latest_ || latest_->released || std::get<0>(latest_->seen) != kind) {
        return;
    }
    // A key is released without the modifiers that were held with it, or with others.
    const int held = std::get<1>(latest_->seen);
    if (kind == 1 ? (held & ~Qt::KeyboardModifierMask) != (code & ~Qt::KeyboardModifierMask)
                  : held != code) {
        return;
    }
    std::shared_ptr<Input> input = latest_;
    input->released = true;
    ++input->answering;
    whenIdle([input] { --input->answering; });
}

} // namespace kw::app
