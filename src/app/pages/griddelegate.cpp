#include "app/pages/griddelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace kw::app {

namespace {

// The current cell of a view that has the focus, or of a view that stands in for another (a
// frozen first column, whose focus goes to its grid).
bool isFocusedCell(const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (option.state & QStyle::State_HasFocus) {
        return true;
    }
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    return view != nullptr && view->focusProxy() != nullptr && view->focusProxy()->hasFocus() &&
           view->currentIndex() == index;
}

} // namespace

GridDelegate::GridDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideRight;
    option->features &= ~QStyleOptionViewItem::WrapText;
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    // The style's own focus mark shows only after a key moved the focus (and not at all in
    // some styles): the frame below shows it always.
    QStyleOptionViewItem plain = option;
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);
    if (!isFocusedCell(option, index)) {
        return;
    }
    const bool selected = option.state & QStyle::State_Selected;
    const int width = std::max(2, option.fontMetrics.height() / 8);
    QPen pen(option.palette.color(QPalette::Active,
                                  selected ? QPalette::HighlightedText : QPalette::Highlight));
    pen.setWidth(width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->save();
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    const int inset = width / 2;
    painter->drawRect(option.rect.adjusted(inset, inset, -inset - 1, -inset - 1));
    painter->restore();
}

bool GridDelegate::textFits(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    if (!(shown.features & QStyleOptionViewItem::HasDisplay) || shown.text.isEmpty()) {
        return true;
    }
    const QWidget* widget = option.widget;
    const QStyle* style = widget != nullptr ? widget->style() : nullptr;
    if (style == nullptr) {
        return true;
    }
    // As the style lays the text out: its rectangle less a margin each side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int room =
        style->subElementRect(QStyle::SE_ItemViewItemText, &shown, widget).width() - 2 * margin;
    return shown.fontMetrics.horizontalAdvance(shown.text) <= room;
}

bool GridDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    // No tooltip that repeats a text the cell shows whole.
    const QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty() ||
        (tip == index.data(Qt::DisplayRole).toString() && textFits(option, index))) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    return true;
}

} // namespace kw::app
