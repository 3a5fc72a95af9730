#include "app/work/workfeedback.h"

#include "app/translation.h"

#include <QtGlobal>

#include <utility>

namespace kw::app {

namespace {

// The stages that the core's long work reports (Pacer), listed for the translators: the
// window shows them in the status bar through shownText.
[[maybe_unused]] const char* const coreStages[] = {
    QT_TRANSLATE_NOOP("kw::core", "reading"),
    QT_TRANSLATE_NOOP("kw::core", "reading the file"),
    QT_TRANSLATE_NOOP("kw::core", "checking the workbook"),
    QT_TRANSLATE_NOOP("kw::core", "preparing the workbook"),
    QT_TRANSLATE_NOOP("kw::core", "reading the workbook"),
    QT_TRANSLATE_NOOP("kw::core", "reading the sheet"),
    QT_TRANSLATE_NOOP("kw::core", "collecting groups"),
    QT_TRANSLATE_NOOP("kw::core", "bootstrap"),
    QT_TRANSLATE_NOOP("kw::core", "exact p-value"),
    QT_TRANSLATE_NOOP("kw::core", "Monte Carlo p-value"),
    QT_TRANSLATE_NOOP("kw::core", "comparing pairs"),
};

} // namespace

void WorkFeedback::progress(std::string_view stage, double fraction) {
    fraction_ = fraction;
    std::lock_guard lock(mutex_);
    stage_.assign(stage);
}

void WorkFeedback::warning(const Failure& notice) {
    std::lock_guard lock(mutex_);
    warnings_.push_back(notice);
}

void WorkFeedback::stageTimed(std::string_view stage, Duration took) {
    writeTimingLine(stage, took);
}

QString WorkFeedback::stage() const {
    std::string stage;
    {
        std::lock_guard lock(mutex_);
        stage = stage_;
    }
    return shownText(stage);
}

std::vector<Failure> WorkFeedback::takeWarnings() {
    std::lock_guard lock(mutex_);
    return std::exchange(warnings_, {});
}

} // namespace kw::app
