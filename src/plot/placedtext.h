#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace kw::plot {

// A text laid out on the page: its box in a frame turned by `angle` degrees about `anchor`
// (clockwise, as QPainter::rotate turns; -90 reads upwards). The layouts decide every text's
// place before anything is drawn, so that what they promise (nothing overlaps, nothing leaves
// the page) can be checked.
struct PlacedText {
    QString text;
    QFont font;
    QColor color;
    QPointF anchor;
    double angle = 0;
    QRectF box; // relative to the anchor, in the turned frame

    bool isEmpty() const { return text.isEmpty(); }
    // The box on the page.
    QPolygonF outline() const;
    QRectF bounds() const { return outline().boundingRect(); }
    void draw(QPainter& painter) const;
};

// The width of a text in design pixels.
double textWidth(const QString& text, const QFont& font);
// The height of a line of the font (ascent and descent).
double lineHeight(const QFont& font);

// A text placed so that the point of its box named by `alignment` (left, centre or right;
// top, centre or bottom) lies on `anchor`; the box then turned about the anchor by `angle`.
PlacedText placeText(const QString& text, const QFont& font, const QColor& color, QPointF anchor,
                     Qt::Alignment alignment, double angle = 0);

// The text broken into lines of at most `width` at its spaces, at most `maxLines` of them (the
// last cut at its end if the text goes on).
std::vector<QString> wrapped(const QString& text, const QFont& font, double width, int maxLines);

// The text cut at its end to fit `width`, an ellipsis marking the cut.
QString elided(const QString& text, const QFont& font, double width,
               Qt::TextElideMode mode = Qt::ElideRight);

} // namespace kw::plot
