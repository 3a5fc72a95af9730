#pragma once

#include "core/base/failure.h"
#include "core/base/feedback.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace kw::app {

// What long work on another thread tells the window, which polls it: how far it has come,
// warnings that let it go on, and whether the window asked it to stop.
class WorkFeedback final : public Feedback {
public:
    void progress(std::string_view stage, double fraction) override;
    void warning(const Failure& notice) override;
    bool cancelled() const override { return stop_.load(); }

    void cancel() { stop_ = true; }
    double fraction() const { return fraction_.load(); }
    // The stage reached, in the user's language.
    QString stage() const;
    std::vector<Failure> takeWarnings();

private:
    std::atomic<double> fraction_{0};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::string stage_;
    std::vector<Failure> warnings_;
};

} // namespace kw::app
