#include "app/pages/cornerlabel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionHeaderV2>
#include <QTableView>

namespace kw::app {

CornerLabel::CornerLabel(QTableView* view)
    : QObject(view),
      corner_(view->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (corner_ != nullptr) {
        corner_->installEventFilter(this);
    }
}

void CornerLabel::setText(const QString& text) {
    text_ = text;
    if (corner_ != nullptr) {
        corner_->setAccessibleName(text);
        corner_->setToolTip(text);
        corner_->update();
    }
}

bool CornerLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != corner_ || event->type() != QEvent::Paint) {
        return false;
    }
    QPainter painter(corner_);
    QStyleOptionHeaderV2 option;
    option.initFrom(corner_);
    option.rect = corner_->rect();
    option.textAlignment = Qt::AlignCenter;
    option.textElideMode = Qt::ElideNone;
    // Cut at its end, and then set to the left, so that its beginning shows.
    const int room =
        corner_->style()->subElementRect(QStyle::SE_HeaderLabel, &option, corner_).width();
    const QFontMetrics metrics = corner_->fontMetrics();
    option.text = text_;
    if (metrics.horizontalAdvance(text_) > room) {
        option.text = metrics.elidedText(text_, Qt::ElideRight, room);
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    corner_->style()->drawControl(QStyle::CE_Header, &option, &painter, corner_);
    return true;
}

} // namespace kw::app
