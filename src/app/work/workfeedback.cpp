#include "app/work/workfeedback.h"

#include <utility>

namespace kw::app {

void WorkFeedback::progress(std::string_view stage, double fraction) {
    fraction_ = fraction;
    std::lock_guard lock(mutex_);
    stage_.assign(stage);
}

void WorkFeedback::warning(const Failure& notice) {
    std::lock_guard lock(mutex_);
    warnings_.push_back(notice);
}

QString WorkFeedback::stage() const {
    std::lock_guard lock(mutex_);
    return QString::fromStdString(stage_);
}

std::vector<Failure> WorkFeedback::takeWarnings() {
    std::lock_guard lock(mutex_);
    return std::exchange(warnings_, {});
}

} // namespace kw::app
