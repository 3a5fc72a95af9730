#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace kw::app {

// Where a top-level window first opens.
struct WindowPlacement {
    QPoint framePosition; // of its frame, as QWidget::move takes it
    QSize size;           // of its contents, as QWidget::resize takes it
};

// The window at the size it `wanted`, but never larger than `available` (the screen's
// available geometry) with the `frame` the window manager adds around it, nor smaller than
// its `minimum`; centred on `available`. Where even the minimum does not fit, its top-left
// corner (the title bar and the menus) stays on the screen.
WindowPlacement placeWindow(QSize wanted, QSize minimum, QSize frame, const QRect& available);

// A guess of the frame a window manager adds, before the window is first shown.
QSize likelyFrame(int lineHeight);

} // namespace kw::app
