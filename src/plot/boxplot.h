#pragma once

#include "core/plots/plotsummary.h"
#include "plot/grouppanel.h"

#include <QSizeF>

class QPainter;

namespace kw::plot {

// The box plot: the groups side by side, each a box from Q1 to Q3 with its median marked,
// whiskers to the furthest values within 1.5 IQR and the outliers beyond; with few cases, the
// cases as points jittered across the box (the same jitter every time); a group of one case
// as its point and a line. The letters of the pairwise comparisons above the groups, their
// sizes under the names.
GroupPanel layoutBoxPlot(const PlotSummary& summary, QSizeF size);
void drawBoxPlot(QPainter& painter, const PlotSummary& summary, QSizeF size);

// The line above the plots: the test and its result.
QString testHeader(const PlotSummary& summary);
// The groups' names, sizes and letters as the panel takes them, the letters' note with them.
GroupPanelSpec groupSpec(const PlotSummary& summary);

} // namespace kw::plot
