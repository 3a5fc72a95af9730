#pragma once

#include "core/base/failure.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string_view>

namespace kw {

// What long work tells its caller while it runs: how far it has come, warnings that let it go
// on, whether it should stop (it then throws kw::Cancelled), and, for a caller that wants to
// tune the program, how long each of its stages took.
class Feedback {
public:
    using Duration = std::chrono::steady_clock::duration;

    virtual ~Feedback() = default;
    virtual void progress(std::string_view /*stage*/, double /*fraction*/) {}
    virtual void warning(const Failure& /*notice*/) {}
    virtual bool cancelled() const { return false; }

    // Whether stageTimed is wanted: timing costs a clock reading at each stage.
    virtual bool timesStages() const { return false; }
    virtual void stageTimed(std::string_view /*stage*/, Duration /*took*/) {}
};

// Calls progress every `every` steps and throws Cancelled when asked to stop.
class Pacer {
public:
    Pacer(Feedback* feedback, std::string_view stage, std::size_t total,
          std::size_t every = 1 << 16)
        : feedback_(feedback), stage_(stage), total_(total ? total : 1), every_(every) {}

    void tick(std::size_t done) {
        if (feedback_ != nullptr && done >= next_) {
            next_ = done + every_;
            check(done);
        }
    }

    void check(std::size_t done) {
        if (feedback_ == nullptr) {
            return;
        }
        if (feedback_->cancelled()) {
            throw Cancelled();
        }
        feedback_->progress(stage_, static_cast<double>(done) / static_cast<double>(total_));
    }

private:
    Feedback* feedback_;
    std::string_view stage_;
    std::size_t total_;
    std::size_t every_;
    std::size_t next_ = 0;
};

// A Pacer for work shared by the workers of parallelSlices: each adds what it finished; the
// first worker (part 0) reports the progress and is the one that hears a request to stop,
// which then stops the others at their next step too.
class SharedPacer {
public:
    SharedPacer(Feedback* feedback, std::string_view stage, std::size_t total,
                std::size_t every = 1)
        : pacer_(feedback, stage, total, every) {}

    // Worker `part` finished `steps` more steps; throws Cancelled in worker 0 on request.
    void finished(unsigned part, std::uint64_t steps = 1) {
        const std::uint64_t done = done_ += steps;
        if (part != 0) {
            return;
        }
        try {
            pacer_.tick(done);
        } catch (...) {
            stop_ = true;
            throw;
        }
    }
    // Whether the workers should stop (another one was asked to).
    bool stopped() const { return stop_.load(std::memory_order_relaxed); }
    std::uint64_t done() const { return done_; }
    // Reports and checks for a stop on the calling thread, as Pacer::check.
    void check(std::size_t done) { pacer_.check(done); }

private:
    Pacer pacer_;
    std::atomic<std::uint64_t> done_ = 0;
    std::atomic<bool> stop_ = false;
};

// Tells the feedback how long a stage took, from its construction to its end, when the
// feedback times stages. Stages are literals.
class StageTimer {
public:
    StageTimer(Feedback* feedback, const char* stage)
        : feedback_(feedback != nullptr && feedback->timesStages() ? feedback : nullptr),
          stage_(stage) {
        if (feedback_ != nullptr) {
            start_ = std::chrono::steady_clock::now();
        }
    }
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;
    ~StageTimer() {
        if (feedback_ != nullptr) {
            feedback_->stageTimed(stage_, std::chrono::steady_clock::now() - start_);
        }
    }

private:
    Feedback* feedback_;
    const char* stage_;
    std::chrono::steady_clock::time_point start_{};
};

// A sequence of stages, each ended by the next: stages.next("rank"), ..., stages.end() (or
// the end of the scope).
class StageTimers {
public:
    explicit StageTimers(Feedback* feedback)
        : feedback_(feedback != nullptr && feedback->timesStages() ? feedback : nullptr) {}
    StageTimers(const StageTimers&) = delete;
    StageTimers& operator=(const StageTimers&) = delete;
    ~StageTimers() { end(); }

    void next(const char* stage) {
        end();
        if (feedback_ != nullptr) {
            stage_ = stage;
            start_ = std::chrono::steady_clock::now();
        }
    }
    void end() {
        if (stage_ != nullptr) {
            feedback_->stageTimed(stage_, std::chrono::steady_clock::now() - start_);
            stage_ = nullptr;
        }
    }

private:
    Feedback* feedback_;
    const char* stage_ = nullptr;
    std::chrono::steady_clock::time_point start_{};
};

} // namespace kw
