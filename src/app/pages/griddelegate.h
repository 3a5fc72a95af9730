#pragma once

#include <QStyledItemDelegate>

namespace kw::app {

// The cells of the window's grids: a text wider than its cell elided at its end, on one line;
// the whole text as a tooltip where it is cut (or where the model says more than the cell);
// the current cell framed while its grid has the keyboard focus, in the palette's colours.
class GridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Whether the cell shows its whole text in the cell of `option`.
    bool textFits(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace kw::app
