#include "app/programicon.h"

#include <QPainter>

namespace kw::app {

QPixmap programIcon(int size, qreal pixelRatio) {
    // Three groups as columns of ranked points, the middle one set apart.
    const int pixels = qRound(size * pixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40, 90, 160));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
    const double r = size / 14.0;
    const double heights[3][4] = {
        {0.30, 0.42, 0.55, 0.62}, {0.52, 0.66, 0.74, 0.86}, {0.22, 0.35, 0.40, 0.58}};
    const QColor colours[3] = {QColor(255, 255, 255), QColor(255, 200, 60), QColor(255, 255, 255)};
    for (int g = 0; g < 3; ++g) {
        painter.setBrush(colours[g]);
        for (double h : heights[g]) {
            painter.drawEllipse(QPointF(size * (0.25 + 0.25 * g), size * (1 - h)), r, r);
        }
    }
    return pixmap;
}

} // namespace kw::app
