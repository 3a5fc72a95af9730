#pragma once

#include "plot/axis.h"
#include "plot/grouplabels.h"
#include "plot/placedtext.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

namespace kw::plot {

// What a plot of the groups side by side over a value axis shows around its data.
struct GroupPanelSpec {
    QString header; // the line above the plot (the test's result)
    QString note;   // the lines below it (how to read it), may be empty
    QString valueTitle;
    QString groupTitle;
    std::vector<QString> groups;
    std::vector<std::uint64_t> sizes;
    std::vector<QString> letters; // one per group, or none
    QString lettersNote;          // added to the note where the letters are shown
    double low = 0;               // the values to show
    double high = 1;
};

// Where everything goes on a page of `size` design pixels: the header at the top, the
// letters above the data, the value axis at the left, the groups' names and sizes under the
// data, the axis titles, the note at the bottom.
struct GroupPanel {
    QSizeF size;
    QRectF panel; // the data area
    ValueAxis axis;
    std::vector<double> centers;
    double slot = 0;
    PlacedText header;
    std::vector<PlacedText> notes; // the note's lines
    PlacedText valueTitle;
    PlacedText groupTitle;
    std::vector<PlacedText> tickLabels;
    GroupLabels labels;
    std::vector<PlacedText> letters; // none where the slots are too narrow for them

    double y(double value) const;
    // Every text, for drawing and for the checks that none overlaps.
    std::vector<const PlacedText*> texts() const;
};

GroupPanel layoutGroupPanel(const GroupPanelSpec& spec, QSizeF size);

// The page's white ground, the axes with their ticks, and every text.
void drawGroupPanel(QPainter& painter, const GroupPanel& layout);

// The width of a box or mark in a slot.
double markWidth(const GroupPanel& layout);

} // namespace kw::plot
