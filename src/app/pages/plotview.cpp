#include "app/pages/plotview.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace kw::app {

PlotView::PlotView(QWidget* parent) : QWidget(parent) {
    setObjectName("plotView");
    // Reachable by Tab, so that a screen reader reads what the picture shows.
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PlotView::setPlot(std::shared_ptr<const PlotSummary> summary, plot::PlotKind kind) {
    summary_ = std::move(summary);
    kind_ = kind;
    update();
}

QSizeF PlotView::designSize(QSizeF shown) {
    return {std::max(shown.width(), minimumWidth), std::max(shown.height(), minimumHeight)};
}

QRectF PlotView::fittedTarget(QSizeF design, QSizeF shown) {
    const double scale = std::min(shown.width() / design.width(), shown.height() / design.height());
    const QSizeF size = design * scale;
    return {QPointF((shown.width() - size.width()) / 2, (shown.height() - size.height()) / 2),
            size};
}

QSize PlotView::sizeHint() const {
    return {800, 500};
}

QSize PlotView::minimumSizeHint() const {
    // Small, so that the page never makes the window larger than the other pages do; the
    // picture is scaled down to fit.
    return {120, 80};
}

void PlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!summary_ || width() <= 0 || height() <= 0) {
        return;
    }
    const QSizeF shown = size();
    const QSizeF design = designSize(shown);
    const QRectF target = fittedTarget(design, shown);
    // A plot is a picture on paper: white whatever the window's palette.
    painter.fillRect(target, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    plot::drawPlotScaled(painter, kind_, *summary_, design, target);
    if (hasFocus()) {
        // Where the keyboard is, as other controls show it.
        painter.setPen(QPen(palette().highlight(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void PlotView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void PlotView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

} // namespace kw::app
