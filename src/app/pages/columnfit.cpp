#include "app/pages/columnfit.h"

#include <QFontMetrics>
#include <QStyle>
#include <QWidget>

namespace kw::app {

namespace {

// Room a cell or a header gives beside its text.
int textMargins(const QWidget& view) {
    return 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1) +
           2 * view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &view);
}

} // namespace

int columnWidthLimit(const QWidget& view) {
    return view.fontMetrics().averageCharWidth() * 30 + textMargins(view);
}

int narrowestColumn(const QWidget& view) {
    return view.fontMetrics().averageCharWidth() * 4 + textMargins(view);
}

} // namespace kw::app
