#include "app/pages/gridheaderview.h"

#include "app/pages/columnfit.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeaderV2>
#include <QToolTip>

#include <algorithm>

namespace kw::app {

GridHeaderView::GridHeaderView(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    // Elided here, in paintSection, measured in the font the style paints with.
    setTextElideMode(Qt::ElideNone);
    if (orientation == Qt::Vertical) {
        viewport()->setMouseTracking(true); // the cursor over the right edge
    }
}

void GridHeaderView::setLeastWidth(int width) {
    leastWidth_ = width;
    updateGeometry();
    emit geometriesChanged();
}

void GridHeaderView::setUserWidth(int width) {
    userWidth_ = std::max(width, 0);
    updateGeometry();
    emit geometriesChanged(); // the table lays out its header and viewport again
    viewport()->update();
}

QSize GridHeaderView::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (orientation() == Qt::Vertical) {
        // The base measures the first and the last hundred rows only: cheap for any table.
        const int fitted = std::max(std::min(size.width(), columnWidthLimit(*this)), leastWidth_);
        size.setWidth(userWidth_ > 0 ? userWidth_ : fitted);
    }
    return size;
}

void GridHeaderView::shownOption(QStyleOptionHeaderV2& option, const QRect& rect, int logical,
                                 bool* fits) const {
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logical);
    option.rect = rect;
    option.textElideMode = Qt::ElideNone;
    // The style paints a highlighted section's text bold: measured so.
    QFont font = this->font();
    if (option.state & QStyle::State_On) {
        font.setBold(true);
    }
    const QFontMetrics metrics(font);
    const int room = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this).width();
    *fits = metrics.horizontalAdvance(option.text) <= room;
    if (!*fits) {
        option.text = metrics.elidedText(option.text, Qt::ElideRight, room);
        option.textAlignment = Qt::AlignLeft | (option.textAlignment & Qt::AlignVertical_Mask);
    }
}

QRect GridHeaderView::sectionRect(int logical) const {
    const int position = sectionViewportPosition(logical);
    return orientation() == Qt::Horizontal
               ? QRect(position, 0, sectionSize(logical), viewport()->height())
               : QRect(0, position, viewport()->width(), sectionSize(logical));
}

bool GridHeaderView::textFits(int logical) const {
    if (model() == nullptr || logical < 0 || logical >= count()) {
        return true;
    }
    QStyleOptionHeaderV2 option;
    bool fits = true;
    shownOption(option, sectionRect(logical), logical, &fits);
    return fits;
}

QString GridHeaderView::shownText(int logical) const {
    if (model() == nullptr || logical < 0 || logical >= count()) {
        return {};
    }
    QStyleOptionHeaderV2 option;
    bool fits = true;
    shownOption(option, sectionRect(logical), logical, &fits);
    return option.text;
}

void GridHeaderView::paintSection(QPainter* painter, const QRect& rect, int logical) const {
    if (!rect.isValid()) {
        return;
    }
    QStyleOptionHeaderV2 option;
    bool fits = true;
    shownOption(option, rect, logical, &fits);
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
}

bool GridHeaderView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || model() == nullptr) {
        return QHeaderView::viewportEvent(event);
    }
    // The model's tooltip where it says more than the header, the whole text where it is cut.
    auto* help = static_cast<QHelpEvent*>(event);
    const int logical = logicalIndexAt(help->pos());
    QString tip;
    if (logical >= 0) {
        const QString text =
            model()->headerData(logical, orientation(), Qt::DisplayRole).toString();
        tip = model()->headerData(logical, orientation(), Qt::ToolTipRole).toString();
        const bool fits = textFits(logical);
        if (tip.isEmpty() && !fits) {
            tip = text;
        } else if (tip == text && fits) {
            tip.clear();
        }
    }
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, viewport(), sectionRect(logical));
    }
    return true;
}

bool GridHeaderView::onRightEdge(const QPoint& pos) const {
    if (orientation() != Qt::Vertical) {
        return false;
    }
    const int grip = std::max(style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this), 3);
    return pos.x() >= viewport()->width() - grip;
}

void GridHeaderView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onRightEdge(event->position().toPoint())) {
        dragging_ = true;
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void GridHeaderView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (dragging_) {
        const QWidget* table = parentWidget();
        const int widest = table != nullptr ? table->width() * 3 / 4 : pos.x();
        setUserWidth(
            std::clamp(pos.x(), narrowestColumn(*this), std::max(widest, narrowestColumn(*this))));
        event->accept();
        return;
    }
    if (orientation() == Qt::Vertical && event->buttons() == Qt::NoButton) {
        if (onRightEdge(pos)) {
            setCursor(Qt::SplitHCursor);
            event->accept();
            return;
        }
        if (testAttribute(Qt::WA_SetCursor)) {
            unsetCursor();
        }
    }
    QHeaderView::mouseMoveEvent(event);
}

void GridHeaderView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_) {
        dragging_ = false;
        event->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

void GridHeaderView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onRightEdge(event->position().toPoint())) {
        setUserWidth(0); // fitted to the texts again
        event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

} // namespace kw::app
