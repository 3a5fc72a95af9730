#include "app/windowplacement.h"

#include <algorithm>

namespace kw::app {

WindowPlacement placeWindow(QSize wanted, QSize minimum, QSize frame, const QRect& available) {
    const QSize room = (available.size() - frame).expandedTo(QSize(1, 1));
    const QSize size = wanted.boundedTo(room).expandedTo(minimum);
    const QSize outer = size + frame;
    const int x = available.left() + std::max(0, (available.width() - outer.width()) / 2);
    const int y = available.top() + std::max(0, (available.height() - outer.height()) / 2);
    return {QPoint(x, y), size};
}

QSize likelyFrame(int lineHeight) {
    // A title bar somewhat taller than a line of text, thin borders.
    return {8, lineHeight * 2 + 4};
}

} // namespace kw::app
