#pragma once

#include <QPixmap>

namespace kw::app {

// The program's icon, drawn rather than loaded so that it is always at hand: `size` pixels
// wide on a screen of the given device pixel ratio, sharp also on a screen of high density.
QPixmap programIcon(int size, qreal pixelRatio = 1.0);

} // namespace kw::app
