#pragma once

#include <QColor>
#include <QFont>
#include <QSizeF>

namespace kw::plot {

// The plots are drawn in a logical design space of 96-dpi pixels (the default 800 x 500 is
// 8.3 x 5.2 inches) and scaled to their target. Fonts are sized in those pixels, not in
// points: a point size would follow each device's resolution, and the same drawing would
// come out with other text sizes on a 300-dpi image than on the screen.
inline const QSizeF defaultDesignSize(800, 500);
constexpr double designDpi = 96;

// Text sizes in design pixels: 12 px is 9 pt at 96 dpi, the smallest a journal prints.
constexpr int smallTextPixels = 12;  // notes, group sizes, tick labels, cell values
constexpr int labelTextPixels = 13;  // group names, letters
constexpr int titleTextPixels = 14;  // axis titles
constexpr int headerTextPixels = 15; // the line above the plot

// DejaVu Sans (installed with fontconfig on Debian), unhinted so that text keeps its width
// at every scale.
QFont plotFont(int pixels, bool bold = false);

// The Okabe-Ito palette, safe for the common kinds of colour blindness.
namespace okabeIto {
inline const QColor black(0, 0, 0);
inline const QColor orange(230, 159, 0);
inline const QColor skyBlue(86, 180, 233);
inline const QColor bluishGreen(0, 158, 115);
inline const QColor yellow(240, 228, 66);
inline const QColor blue(0, 114, 178);
inline const QColor vermillion(213, 94, 0);
inline const QColor reddishPurple(204, 121, 167);
} // namespace okabeIto

inline const QColor inkColor(34, 34, 34);   // lines and text
inline const QColor mutedColor(90, 90, 90); // notes, reference lines
inline const QColor gridColor(225, 225, 225);

// The viridis colour map at t in [0, 1] (dark purple to yellow), even in lightness and
// readable in grey and by the colour blind.
QColor viridis(double t);

// Black or white, whichever reads better on `background`.
QColor textColorOn(const QColor& background);

} // namespace kw::plot
