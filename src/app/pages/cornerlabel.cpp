#include "app/pages/cornerlabel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QTableView>

namespace kw::app {

CornerLabel::CornerLabel(QTableView* view)
    : QObject(view), corner_(view->findChild<QAbstractButton*>()) {
    if (corner_ != nullptr) {
        corner_->installEventFilter(this);
    }
}

void CornerLabel::setText(const QString& text) {
    text_ = text;
    if (corner_ != nullptr) {
        corner_->setAccessibleName(text);
        corner_->update();
    }
}

bool CornerLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != corner_ || event->type() != QEvent::Paint) {
        return false;
    }
    QPainter painter(corner_);
    QStyleOptionHeader option;
    option.initFrom(corner_);
    option.rect = corner_->rect();
    option.text = text_;
    option.textAlignment = Qt::AlignCenter;
    corner_->style()->drawControl(QStyle::CE_Header, &option, &painter, corner_);
    return true;
}

} // namespace kw::app
