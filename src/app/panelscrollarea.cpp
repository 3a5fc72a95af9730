#include "app/panelscrollarea.h"

#include <QEvent>
#include <QScrollBar>

#include <algorithm>

namespace kw::app {

PanelScrollArea::PanelScrollArea(QWidget* panel, QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // Tab moves through the panel's controls, not onto the band; the band follows the focus.
    setFocusPolicy(Qt::NoFocus);
    setWidget(panel);
    // Drawn as what is around the band (a page, the window), not in a colour of its own.
    panel->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    panel->installEventFilter(this);
}

void PanelScrollArea::setNarrowest(int width) {
    narrowest_ = std::max(0, width);
    updateGeometry();
}

bool PanelScrollArea::scrolls() const {
    return widget() != nullptr && width() < widget()->minimumSizeHint().width();
}

int PanelScrollArea::bandHeight() const {
    const QWidget* panel = widget();
    const int height = panel != nullptr ? panel->sizeHint().height() : 0;
    return height + (scrolls() ? horizontalScrollBar()->sizeHint().height() : 0);
}

QSize PanelScrollArea::sizeHint() const {
    const QWidget* panel = widget();
    return {panel != nullptr ? panel->sizeHint().width() : 0, bandHeight()};
}

QSize PanelScrollArea::minimumSizeHint() const {
    const QWidget* panel = widget();
    int width = panel != nullptr ? panel->minimumSizeHint().width() : 0;
    if (narrowest_ > 0) {
        width = std::min(width, narrowest_);
    }
    return {width, bandHeight()};
}

void PanelScrollArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    // Room for the scroll bar below the panel exactly while it shows.
    if (scrolls() != scrolled_) {
        scrolled_ = scrolls();
        updateGeometry();
    }
}

bool PanelScrollArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::LayoutRequest) {
        updateGeometry(); // the panel's size changed (a font, a longer name)
    }
    return QScrollArea::eventFilter(watched, event);
}

} // namespace kw::app
