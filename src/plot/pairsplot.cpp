#include "plot/pairsplot.h"

#include "plot/axis.h"
#include "plot/plotstyle.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kw::plot {

namespace {

constexpr double margin = 12;
constexpr double gap = 6;
constexpr double darkest = 4; // -log10 p at which the scale ends

QString methodTitle(const std::string& method) {
    return method == "dunn"      ? QStringLiteral("Dunn's test")
           : method == "conover" ? QStringLiteral("Conover-Iman test")
                                 : QStringLiteral("Dwass-Steel-Critchlow-Fligner test");
}

QString adjustmentText(const PairMatrix& m) {
    if (m.method == "dscf") {
        return QStringLiteral("p adjusted for all pairs");
    }
    if (m.adjustment == "none") {
        return QStringLiteral("unadjusted p");
    }
    static const std::pair<const char*, const char*> names[] = {
        {"bonferroni", "Bonferroni"}, {"sidak", "Sidak"},           {"holm", "Holm"},
        {"holm-sidak", "Holm-Sidak"}, {"hochberg", "Hochberg"},     {"hommel", "Hommel"},
        {"bh", "Benjamini-Hochberg"}, {"by", "Benjamini-Yekutieli"}};
    QString name = QString::fromStdString(m.adjustment);
    for (const auto& [key, title] : names) {
        if (m.adjustment == key) {
            name = QString::fromLatin1(title);
        }
    }
    return QStringLiteral("p adjusted by ") + name;
}

double scalePosition(double p) { // 0 for p = 1, 1 for p <= 10^-darkest
    return std::clamp(-std::log10(std::max(p, 1e-300)) / darkest, 0.0, 1.0);
}

} // namespace

QColor pColor(double p) {
    return viridis(1 - scalePosition(p));
}

QRectF PairsLayout::cellRect(int row, int column) const {
    return {grid.left() + column * cell, grid.top() + (row - 1) * cell, cell, cell};
}

std::vector<const PlacedText*> PairsLayout::texts() const {
    std::vector<const PlacedText*> out{&header, &note, &message, &legendTitle};
    for (const auto* list : {&rowNames, &columnNames.names, &values, &legendLabels}) {
        for (const PlacedText& t : *list) {
            out.push_back(&t);
        }
    }
    out.erase(
        std::remove_if(out.begin(), out.end(), [](const PlacedText* t) { return t->isEmpty(); }),
        out.end());
    return out;
}

PairsLayout layoutPairsPlot(const PlotSummary& s, QSizeF size) {
    PairsLayout out;
    out.size = size;
    const double w = size.width();
    const double h = size.height();
    const int k = static_cast<int>(s.groups.size());
    out.groupCount = k;
    const QFont headerFont = plotFont(headerTextPixels, true);
    const QFont noteFont = plotFont(smallTextPixels);
    const QFont nameFont = plotFont(labelTextPixels);
    const QFont valueFont = plotFont(smallTextPixels);
    const QFont boldValueFont = plotFont(smallTextPixels, true);
    const double inner = std::max(0.0, w - 2 * margin);

    const bool compared = s.pairs && s.pairs->size == k && k >= 2;
    const QString header = compared
                               ? QStringLiteral("Pairwise comparisons: %1, %2")
                                     .arg(methodTitle(s.pairs->method), adjustmentText(*s.pairs))
                               : QStringLiteral("Pairwise comparisons");
    out.header = placeText(elided(header, headerFont, inner), headerFont, inkColor,
                           {margin, margin}, Qt::AlignLeft | Qt::AlignTop);
    const double top = margin + lineHeight(headerFont) + 2 * gap;
    if (!compared) {
        out.message = placeText(QStringLiteral("No pairwise comparisons were made."), nameFont,
                                mutedColor, {w / 2, h / 2}, Qt::AlignCenter);
        return out;
    }
    const double bottom = h - margin - lineHeight(noteFont) - gap;

    // The colour scale at the right: its title, the bar, the labels of p.
    const QString legendTitle = QStringLiteral("adjusted p");
    const std::vector<std::pair<double, QString>> scaleMarks = {{1, QStringLiteral("1")},
                                                                {0.1, QStringLiteral("0.1")},
                                                                {0.01, QStringLiteral("0.01")},
                                                                {0.001, QStringLiteral("0.001")},
                                                                {1e-4, QStringLiteral("≤0.0001")}};
    double labelWidth = 0;
    for (const auto& mark : scaleMarks) {
        labelWidth = std::max(labelWidth, textWidth(mark.second, noteFont));
    }
    const double barWidth = 14;
    const double legendWidth =
        std::max(textWidth(legendTitle, noteFont), barWidth + 4 + labelWidth);

    // The rows' names at the left, cut to a quarter of the page.
    std::vector<QString> names;
    for (const std::string& g : s.groups) {
        names.push_back(QString::fromStdString(g));
    }
    double rowNameWidth = 0;
    for (int i = 1; i < k; ++i) {
        rowNameWidth = std::max(rowNameWidth, textWidth(names[std::size_t(i)], nameFont));
    }
    rowNameWidth = std::min(rowNameWidth, 0.25 * w);
    const double across = std::max(1.0, inner - rowNameWidth - 3 * gap - legendWidth);

    // The cell size and the columns' names depend on each other: two rounds settle them. The
    // names, the grid and the scale are centred across the page.
    const int cells = k - 1;
    double labelHeight = lineHeight(nameFont);
    std::vector<QString> columnNames(names.begin(), names.end() - 1);
    double gridLeft = margin;
    double legendLeft = margin;
    for (int round = 0; round < 2; ++round) {
        const double down = std::max(1.0, bottom - top - labelHeight - 4);
        out.cell = std::clamp(std::min(across, down) / cells, 1.0, 110.0);
        const double content = rowNameWidth + 3 * gap + out.cell * cells + legendWidth;
        gridLeft = margin + std::max(0.0, (inner - content) / 2) + rowNameWidth + gap;
        legendLeft = gridLeft + out.cell * cells + 2 * gap;
        std::vector<double> centers;
        for (int j = 0; j < cells; ++j) {
            centers.push_back(gridLeft + (j + 0.5) * out.cell);
        }
        out.grid = QRectF(gridLeft, top, out.cell * cells, out.cell * cells);
        out.columnNames = layoutGroupLabels(columnNames, {}, centers, out.cell,
                                            out.grid.bottom() + 4, 0.3 * h, margin);
        labelHeight = out.columnNames.height;
    }

    // The rows' names, every m-th when the rows are lower than a line.
    const double nameHeight = lineHeight(nameFont);
    const int every = std::max(1, static_cast<int>(std::ceil((nameHeight + 1) / out.cell)));
    const std::vector<QString> rowTexts = elidedApart(names, nameFont, rowNameWidth);
    for (int i = 1; i < k; i += every) {
        out.rowNames.push_back(placeText(rowTexts[std::size_t(i)], nameFont, inkColor,
                                         {gridLeft - gap, out.cellRect(i, 0).center().y()},
                                         Qt::AlignRight | Qt::AlignVCenter));
    }

    // The values, where "<0.001" in bold fits a cell.
    const bool writeValues = textWidth(QStringLiteral("<0.001"), boldValueFont) + 4 <= out.cell &&
                             lineHeight(valueFont) + 2 <= out.cell;
    if (writeValues) {
        for (int i = 1; i < k; ++i) {
            for (int j = 0; j < i; ++j) {
                if (!s.pairs->compared(i, j)) {
                    continue;
                }
                const double p = s.pairs->at(i, j);
                out.values.push_back(placeText(pText(p), p < s.alpha ? boldValueFont : valueFont,
                                               textColorOn(pColor(p)), out.cellRect(i, j).center(),
                                               Qt::AlignCenter));
            }
        }
    }

    out.note =
        placeText(elided(QStringLiteral(
                             "Each cell compares the groups of its row and column. %1: p < α = %2.")
                             .arg(writeValues ? QStringLiteral("Bold") : QStringLiteral("Dot"),
                                  shortNumber(s.alpha)),
                         noteFont, inner),
                  noteFont, mutedColor, {margin, h - margin}, Qt::AlignLeft | Qt::AlignBottom);

    // The scale beside the grid's top, as tall as the grid up to 200 pixels.
    const double legendTop = top;
    out.legendTitle = placeText(legendTitle, noteFont, inkColor, {legendLeft, legendTop},
                                Qt::AlignLeft | Qt::AlignTop);
    // The bar's top label is centred on its end: half a line more below the title.
    const double barTop = legendTop + 1.5 * lineHeight(noteFont) + 4;
    const double barHeight = std::clamp(out.grid.height(), 80.0, 200.0);
    out.legendBar = QRectF(legendLeft, barTop, barWidth, std::min(barHeight, bottom - barTop));
    for (const auto& [p, label] : scaleMarks) {
        const double y = out.legendBar.bottom() - scalePosition(p) * out.legendBar.height();
        out.legendLabels.push_back(placeText(label, noteFont, inkColor,
                                             {out.legendBar.right() + 4, y},
                                             Qt::AlignLeft | Qt::AlignVCenter));
    }
    return out;
}

void drawPairsPlot(QPainter& painter, const PlotSummary& s, QSizeF size) {
    const PairsLayout layout = layoutPairsPlot(s, size);
    painter.save();
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    if (s.pairs && layout.cell > 0) {
        const int k = layout.groupCount;
        // Cells edge to edge, without antialiasing, so that no seams show between them.
        for (int i = 1; i < k; ++i) {
            for (int j = 0; j < i; ++j) {
                if (s.pairs->compared(i, j)) {
                    painter.fillRect(layout.cellRect(i, j), pColor(s.pairs->at(i, j)));
                }
            }
        }
        // White lines between the cells where they are large enough to be told apart.
        // Where the values are not written, a dot marks p < alpha: colour is not the only sign.
        if (layout.values.empty() && layout.cell >= 3) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            for (int i = 1; i < k; ++i) {
                for (int j = 0; j < i; ++j) {
                    const double p = s.pairs->at(i, j);
                    if (s.pairs->compared(i, j) && p < s.alpha) {
                        painter.setBrush(textColorOn(pColor(p)));
                        painter.drawEllipse(layout.cellRect(i, j).center(), layout.cell / 6,
                                            layout.cell / 6);
                    }
                }
            }
            painter.setBrush(Qt::NoBrush);
        }
        if (layout.cell >= 8) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::white, 1));
            for (int i = 1; i < k; ++i) {
                for (int j = 0; j < i; ++j) {
                    if (s.pairs->compared(i, j)) {
                        painter.drawRect(layout.cellRect(i, j));
                    }
                }
            }
        }
        QLinearGradient gradient(layout.legendBar.bottomLeft(), layout.legendBar.topLeft());
        for (int i = 0; i <= 16; ++i) {
            gradient.setColorAt(i / 16.0, viridis(1 - i / 16.0));
        }
        painter.setPen(Qt::NoPen);
        painter.fillRect(layout.legendBar, gradient);
        painter.setPen(QPen(inkColor, 1));
        for (const PlacedText& label : layout.legendLabels) {
            const double y = label.anchor.y();
            painter.drawLine(QPointF(layout.legendBar.right(), y),
                             QPointF(layout.legendBar.right() + 3, y));
        }
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (const PlacedText* t : layout.texts()) {
        t->draw(painter);
    }
    painter.restore();
}

} // namespace kw::plot
