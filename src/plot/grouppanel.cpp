#include "plot/grouppanel.h"

#include "plot/plotstyle.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kw::plot {

namespace {

constexpr double margin = 12;
constexpr double gap = 6;
constexpr double tickLength = 4;

} // namespace

double GroupPanel::y(double value) const {
    return panel.bottom() - (value - axis.low) / (axis.high - axis.low) * panel.height();
}

std::vector<const PlacedText*> GroupPanel::texts() const {
    std::vector<const PlacedText*> out{&header, &valueTitle, &groupTitle};
    for (const auto* list : {&notes, &tickLabels, &labels.names, &labels.sizes, &letters}) {
        for (const PlacedText& t : *list) {
            out.push_back(&t);
        }
    }
    out.erase(
        std::remove_if(out.begin(), out.end(), [](const PlacedText* t) { return t->isEmpty(); }),
        out.end());
    return out;
}

double markWidth(const GroupPanel& layout) {
    return std::clamp(layout.slot * 0.55, 2.0, 70.0);
}

GroupPanel layoutGroupPanel(const GroupPanelSpec& spec, QSizeF size) {
    GroupPanel out;
    out.size = size;
    const double w = size.width();
    const double h = size.height();
    const QFont headerFont = plotFont(headerTextPixels, true);
    const QFont noteFont = plotFont(smallTextPixels);
    const QFont titleFont = plotFont(titleTextPixels);
    const QFont tickFont = plotFont(smallTextPixels);
    const QFont letterFont = plotFont(labelTextPixels);
    const double inner = std::max(0.0, w - 2 * margin);

    // Top: the header, then the letters' row.
    double top = margin;
    if (!spec.header.isEmpty()) {
        out.header = placeText(elided(spec.header, headerFont, inner), headerFont, inkColor,
                               {margin, top}, Qt::AlignLeft | Qt::AlignTop);
        top += lineHeight(headerFont) + gap;
    }
    // Bottom: the note in up to two lines (with the letters' note, or the word that they were
    // left out), then the axis title above it.
    double bottom = h - margin;
    const QString lettersLeftOut = QStringLiteral("Letters left out: the groups are too narrow.");
    const auto noteText = [&](bool letters) {
        QString note = spec.note;
        if (!spec.letters.empty()) {
            note += (note.isEmpty() ? QString() : QStringLiteral(" ")) +
                    (letters ? spec.lettersNote : lettersLeftOut);
        }
        return note;
    };
    const std::size_t noteLines = std::max(wrapped(noteText(true), noteFont, inner, 2).size(),
                                           wrapped(noteText(false), noteFont, inner, 2).size());
    if (noteLines > 0) {
        bottom -= static_cast<double>(noteLines) * (lineHeight(noteFont) + 1) + gap;
    }
    const double groupTitleTop = bottom - lineHeight(titleFont);
    bottom = groupTitleTop - gap;

    const std::size_t k = spec.groups.size();
    std::vector<QString> sizes;
    for (const std::uint64_t n : spec.sizes) {
        sizes.push_back(QString::number(n));
    }
    double maxLetters = 0;
    for (const QString& l : spec.letters) {
        maxLetters = std::max(maxLetters, textWidth(l, letterFont));
    }
    // Letters wider than their slot stand upright; where a slot is narrower than a line, or
    // the letters longer than a quarter of the page, they are left out, and the note says so.
    const double letterLine = lineHeight(letterFont);
    const auto lettersShown = [&](double slot) {
        return !spec.letters.empty() &&
               (maxLetters <= slot - 2 || (slot >= letterLine + 2 && maxLetters <= 0.25 * h));
    };

    // The axis, the left margin (its labels) and the groups' labels depend on each other:
    // two rounds settle them.
    double panelTop = top;
    double panelBottom = bottom;
    double left = margin;
    // Slanted names reach left of their groups: the panel moves right to make room for them
    // (up to a quarter of the page). Should the narrower slots then take upright names, the
    // room goes back and the names stay upright.
    double shift = 0;
    bool slant = true;
    for (int round = 0; round < 6; ++round) {
        const double panelHeight = std::max(20.0, panelBottom - panelTop);
        out.axis =
            niceAxis(spec.low, spec.high, std::clamp(static_cast<int>(panelHeight / 45), 2, 10));
        double tickWidth = 0;
        for (const double t : out.axis.ticks) {
            tickWidth = std::max(tickWidth, textWidth(out.axis.label(t), tickFont));
        }
        left = margin + lineHeight(titleFont) + gap + tickWidth + tickLength + 2 + shift;
        const double right = w - margin;
        out.slot = std::max(1.0, (right - left) / static_cast<double>(std::max<std::size_t>(k, 1)));
        out.centers.clear();
        for (std::size_t i = 0; i < k; ++i) {
            out.centers.push_back(left + (static_cast<double>(i) + 0.5) * out.slot);
        }
        const double labelTop = panelBottom + tickLength + 4;
        out.labels = layoutGroupLabels(spec.groups, sizes, out.centers, out.slot, labelTop, 0.3 * h,
                                       margin, slant);
        panelBottom = bottom - out.labels.height - tickLength - 3;
        if (out.labels.mode == GroupLabels::Mode::slanted) {
            if (out.labels.overhang > 0.5 && shift < 0.25 * w) {
                shift = std::min(0.25 * w, shift + out.labels.overhang);
            }
        } else if (shift > 0) {
            shift = 0;
            slant = false;
        }
        // The letters: in a row above the data, upright where they are wider than a slot.
        // Half a tick label reaches above the axis's top.
        panelTop = top + lineHeight(tickFont) / 2;
        if (lettersShown(out.slot)) {
            const bool upright = maxLetters > out.slot - 2;
            panelTop = std::max(panelTop, top + (upright ? maxLetters : letterLine) + 4);
        }
        out.panel = QRectF(left, panelTop, std::max(1.0, right - left),
                           std::max(20.0, panelBottom - panelTop));
    }
    out.labels = layoutGroupLabels(spec.groups, sizes, out.centers, out.slot,
                                   out.panel.bottom() + tickLength + 4, 0.3 * h, margin, slant);

    out.tickLabels.clear();
    for (const double t : out.axis.ticks) {
        out.tickLabels.push_back(placeText(out.axis.label(t), tickFont, inkColor,
                                           {left - tickLength - 2, out.y(t)},
                                           Qt::AlignRight | Qt::AlignVCenter));
    }
    const bool uprightLetters = maxLetters > out.slot - 2;
    const bool showLetters = lettersShown(out.slot);
    for (std::size_t i = 0; showLetters && i < spec.letters.size() && i < k; ++i) {
        out.letters.push_back(placeText(
            spec.letters[i], letterFont, inkColor, {out.centers[i], out.panel.top() - 4},
            uprightLetters ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignHCenter | Qt::AlignBottom,
            uprightLetters ? -90 : 0));
    }
    const std::vector<QString> lines = wrapped(noteText(showLetters), noteFont, inner, 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double y =
            h - margin - static_cast<double>(lines.size() - 1 - i) * (lineHeight(noteFont) + 1);
        out.notes.push_back(placeText(lines[i], noteFont, mutedColor, {margin, y},
                                      Qt::AlignLeft | Qt::AlignBottom));
    }
    out.valueTitle =
        placeText(elided(spec.valueTitle, titleFont, out.panel.height()), titleFont, inkColor,
                  {margin, out.panel.center().y()}, Qt::AlignHCenter | Qt::AlignTop, -90);
    out.groupTitle =
        placeText(elided(spec.groupTitle, titleFont, out.panel.width()), titleFont, inkColor,
                  {out.panel.center().x(), groupTitleTop}, Qt::AlignHCenter | Qt::AlignTop);
    return out;
}

void drawGroupPanel(QPainter& painter, const GroupPanel& layout) {
    painter.fillRect(QRectF(QPointF(0, 0), layout.size), Qt::white);
    QPen axisPen(inkColor, 1);
    axisPen.setCapStyle(Qt::FlatCap);
    painter.setPen(axisPen);
    const QRectF& p = layout.panel;
    painter.drawLine(QPointF(p.left(), p.top()), QPointF(p.left(), p.bottom()));
    painter.drawLine(QPointF(p.left(), p.bottom()), QPointF(p.right(), p.bottom()));
    for (const double t : layout.axis.ticks) {
        painter.drawLine(QPointF(p.left() - tickLength, layout.y(t)),
                         QPointF(p.left(), layout.y(t)));
    }
    for (std::size_t i = 0; i < layout.centers.size(); i += std::size_t(layout.labels.every)) {
        painter.drawLine(QPointF(layout.centers[i], p.bottom()),
                         QPointF(layout.centers[i], p.bottom() + tickLength));
    }
    for (const PlacedText* t : layout.texts()) {
        t->draw(painter);
    }
}

} // namespace kw::plot
