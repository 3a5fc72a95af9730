#pragma once

#include "failure.h"

#include <string_view>

namespace kw {

// What long work tells its caller while it runs: how far it has come, warnings that let it go
// on, and whether it should stop (it then throws kw::Cancelled).
class Feedback {
public:
    virtual ~Feedback() = default;
    virtual void progress(std::string_view /*stage*/, double /*fraction*/) {}
    virtual void warning(const Failure& /*notice*/) {}
    virtual bool cancelled() const { return false; }
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

} // namespace kw
