#include "plot/placedtext.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTransform>

namespace kw::plot {

QPolygonF PlacedText::outline() const {
    QTransform t;
    t.translate(anchor.x(), anchor.y());
    t.rotate(angle);
    return t.map(QPolygonF(box));
}

void PlacedText::draw(QPainter& painter) const {
    if (text.isEmpty()) {
        return;
    }
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.translate(anchor);
    painter.rotate(angle);
    // The baseline from the box's top, so that no device rounds the line's place differently.
    const QFontMetricsF metrics(font);
    painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), text);
    painter.restore();
}

double textWidth(const QString& text, const QFont& font) {
    return QFontMetricsF(font).horizontalAdvance(text);
}

double lineHeight(const QFont& font) {
    const QFontMetricsF metrics(font);
    return metrics.ascent() + metrics.descent();
}

PlacedText placeText(const QString& text, const QFont& font, const QColor& color, QPointF anchor,
                     Qt::Alignment alignment, double angle) {
    PlacedText placed;
    placed.text = text;
    placed.font = font;
    placed.color = color;
    placed.anchor = anchor;
    placed.angle = angle;
    const double w = textWidth(text, font);
    const double h = lineHeight(font);
    const double x = alignment & Qt::AlignRight ? -w : alignment & Qt::AlignHCenter ? -w / 2 : 0;
    const double y = alignment & Qt::AlignBottom ? -h : alignment & Qt::AlignVCenter ? -h / 2 : 0;
    placed.box = QRectF(x, y, w, h);
    return placed;
}

std::vector<QString> wrapped(const QString& text, const QFont& font, double width, int maxLines) {
    std::vector<QString> lines;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString line;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString longer = line.isEmpty() ? words[i] : line + QLatin1Char(' ') + words[i];
        if (line.isEmpty() || textWidth(longer, font) <= width) {
            line = longer;
            continue;
        }
        if (int(lines.size()) + 1 == maxLines) {
            // The last line takes the rest, cut to fit.
            line = longer;
            for (qsizetype j = i + 1; j < words.size(); ++j) {
                line += QLatin1Char(' ') + words[j];
            }
            break;
        }
        lines.push_back(line);
        line = words[i];
    }
    if (!line.isEmpty()) {
        lines.push_back(elided(line, font, width));
    }
    for (QString& l : lines) {
        l = elided(l, font, width);
    }
    return lines;
}

QString elided(const QString& text, const QFont& font, double width, Qt::TextElideMode mode) {
    return QFontMetricsF(font).elidedText(text, mode, width);
}

} // namespace kw::plot
