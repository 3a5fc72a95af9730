#pragma once

#include "core/plots/plotsummary.h"
#include "plot/grouplabels.h"
#include "plot/placedtext.h"

#include <QRectF>
#include <QSizeF>

#include <vector>

class QPainter;

namespace kw::plot {

// The adjusted p-values of the pairwise comparisons as a triangle heat map: one square cell
// per pair below the diagonal (rows: the second to the last group; columns: the first to the
// last but one), coloured by -log10 p on viridis (p = 1 light, p <= 0.0001 dark), the value
// written in the cell where it fits (bold below alpha, so that colour is not the only sign),
// and a colour scale beside it.
struct PairsLayout {
    QSizeF size;
    int groupCount = 0;
    PlacedText header;
    PlacedText note;
    PlacedText message;               // instead of the map, when there are no comparisons
    std::vector<PlacedText> rowNames; // groups 1..k-1
    GroupLabels columnNames;          // groups 0..k-2
    QRectF grid;                      // the square of the (k-1) x (k-1) cells
    double cell = 0;
    std::vector<PlacedText> values; // the written p-values
    QRectF legendBar;
    PlacedText legendTitle;
    std::vector<PlacedText> legendLabels;

    // The cell of groups `row` > `column`.
    QRectF cellRect(int row, int column) const;
    std::vector<const PlacedText*> texts() const;
};

// The colour of an adjusted p.
QColor pColor(double p);

PairsLayout layoutPairsPlot(const PlotSummary& summary, QSizeF size);
void drawPairsPlot(QPainter& painter, const PlotSummary& summary, QSizeF size);

} // namespace kw::plot
