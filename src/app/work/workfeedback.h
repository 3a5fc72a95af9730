#pragma once

#include "app/work/responseclock.h"
#include "core/base/failure.h"
#include "core/base/feedback.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace kw::app {

// What long work on another thread tells the window, which polls it: how far it has come,
// warnings that let it go on, and whether the window asked it to stop. With KW_TIMING set, the
// time each stage took goes to standard error, as kwtest writes it.
class WorkFeedback final : public Feedback {
public:
    void progress(std::string_view stage, double fraction) override;
    void warning(const Failure& notice) override;
    bool cancelled() const override { return stop_.load(); }
    bool timesStages() const override { return timing_; }
    void stageTimed(std::string_view stage, Duration took) override;

    void cancel() { stop_ = true; }
    double fraction() const { return fraction_.load(); }
    // The stage reached, in the user's language.
    QString stage() const;
    std::vector<Failure> takeWarnings();

private:
    std::atomic<double> fraction_{0};
    std::atomic<bool> stop_{false};
    const bool timing_ = timingWanted();
    mutable std::mutex mutex_;
    std::string stage_;
    std::vector<Failure> warnings_;
};

} // namespace kw::app
