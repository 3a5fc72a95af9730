#pragma once

#include "core/plots/plotsummary.h"
#include "plot/plotexport.h"

#include <QWidget>

#include <memory>

namespace kw::app {

// The picture of the plots page: one plot of a summary, drawn anew at every paint so that it
// follows the page's size and the screen's scaling (the painter works in logical pixels; Qt
// takes the device pixel ratio into account). The plot is laid out at a design size taken
// from the widget's own size, never below a minimum where its texts would crowd, and scaled
// to fit the widget, keeping its proportions.
class PlotView final : public QWidget {
    Q_OBJECT
public:
    explicit PlotView(QWidget* parent = nullptr);

    void setPlot(std::shared_ptr<const PlotSummary> summary, plot::PlotKind kind);
    const std::shared_ptr<const PlotSummary>& summary() const { return summary_; }

    // The layout size for a widget of `shown` logical pixels, and where in the widget that
    // layout goes once scaled to fit.
    static QSizeF designSize(QSizeF shown);
    static QRectF fittedTarget(QSizeF design, QSizeF shown);
    static constexpr double minimumWidth = 560;
    static constexpr double minimumHeight = 350;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::shared_ptr<const PlotSummary> summary_;
    plot::PlotKind kind_ = plot::PlotKind::box;
};

} // namespace kw::app
