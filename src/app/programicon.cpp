#include "app/programicon.h"

#include <QPainter>
#include <QSvgRenderer>

// The icon lives in a static library: naming its initialiser here links it into every program
// that draws it.
static void initialiseIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace kw::app {

QPixmap programIcon(int size, qreal pixelRatio) {
    static const bool initialised = (initialiseIcons(), true);
    (void)initialised;
    const int pixels = qRound(size * pixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/icons/kruskalwallis.svg"));
    QPainter painter(&pixmap);
    svg.render(&painter, QRectF(0, 0, size, size));
    return pixmap;
}

} // namespace kw::app
