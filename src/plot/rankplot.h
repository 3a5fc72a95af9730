#pragma once

#include "core/plots/plotsummary.h"
#include "plot/grouppanel.h"

#include <QSizeF>

class QPainter;

namespace kw::plot {

// The mean ranks of the groups with their intervals (core/plots/rankintervals.h), the line of
// (N + 1) / 2 that every mean rank would lie near if the groups did not differ, the letters
// above, the sizes under the names.
GroupPanel layoutRankPlot(const PlotSummary& summary, QSizeF size);
void drawRankPlot(QPainter& painter, const PlotSummary& summary, QSizeF size);

} // namespace kw::plot
