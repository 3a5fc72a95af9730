#pragma once

#include <QPixmap>

namespace kw::app {

// The program's icon (packaging/icons/kruskalwallis.svg, the same picture the desktop menu
// shows), rendered `size` pixels wide on a screen of the given device pixel ratio, so that it
// is sharp also on a screen of high density.
QPixmap programIcon(int size, qreal pixelRatio = 1.0);

} // namespace kw::app
