#include "uno/worker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace kw::uno {

struct Worker::Shared {
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    bool running = false; // a job is being run
    bool stopping = false;
    std::thread thread;
};

Worker::Worker() : shared_(std::make_shared<Shared>()) {
    shared_->thread = std::thread([s = shared_] { loop(s); });
}

Worker::~Worker() {
    std::thread thread;
    bool busy = false;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        busy = shared_->running || !shared_->jobs.empty();
        thread = std::move(shared_->thread);
    }
    shared_->wake.notify_all();
    if (busy) {
        thread.detach();
    } else {
        thread.join();
    }
}

void Worker::post(std::function<void()> job) {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->jobs.push_back(std::move(job));
    }
    shared_->wake.notify_one();
}

bool Worker::idle() const {
    std::lock_guard lock(shared_->mutex);
    return !shared_->running && shared_->jobs.empty();
}

void Worker::loop(std::shared_ptr<Shared> shared) {
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stopping || !shared->jobs.empty(); });
        if (shared->jobs.empty()) {
            return; // stopping, nothing left
        }
        std::function<void()> job = std::move(shared->jobs.front());
        shared->jobs.pop_front();
        shared->running = true;
        lock.unlock();
        try {
            job();
        } catch (...) {
            // jobs report through their own futures; nothing may end the thread
        }
        job = nullptr; // whatever the job holds goes on this thread, before it counts as done
        lock.lock();
        shared->running = false;
    }
}

} // namespace kw::uno
