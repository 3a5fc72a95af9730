#pragma once

#include <functional>
#include <memory>

namespace kw::uno {

// One thread that runs jobs in order, so that a caller can stop waiting for a job that hangs
// (a frozen office blocks a UNO call with no timeout of its own). Jobs must own everything
// they touch: a job the caller gave up on may still run after the caller has gone.
class Worker {
public:
    Worker();
    // Joins the thread when it is idle; otherwise lets it finish its jobs on its own.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void post(std::function<void()> job);
    // No job queued or running.
    bool idle() const;

private:
    struct Shared;
    // The thread keeps its own reference to the shared state, so that a detached thread can
    // still finish the job it is stuck in and then end cleanly.
    static void loop(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> shared_;
};

} // namespace kw::uno
