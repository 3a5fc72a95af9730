#include "app/pages/resultgridview.h"

#include "app/pages/cornerlabel.h"
#include "app/pages/gridmodel.h"

#include <QHeaderView>
#include <QScrollBar>

namespace kw::app {

ResultGridView::ResultGridView(const QString& name, int fixedRows, int fixedColumns,
                               QWidget* parent)
    : QTableView(parent) {
    setObjectName(name);
    model_ = new GridModel(fixedRows, fixedColumns, this);
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setCellSizes(this, cellChars);
    if (fixedColumns > 0) {
        corner_ = new CornerLabel(this);
    } else {
        verticalHeader()->hide();
    }
}

void ResultGridView::setCellSizes(QTableView* view, int chars) {
    const QFontMetrics metrics = view->fontMetrics();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    view->horizontalHeader()->setDefaultSectionSize(metrics.averageCharWidth() * chars + 4);
}

void ResultGridView::setGrid(std::shared_ptr<const Grid> grid) {
    model_->setGrid(std::move(grid));
    if (corner_ != nullptr) {
        // The top-left cell of the grid ("grouped_by", the group variable's name, "values").
        const QString text = model_->cellText(0, 0);
        corner_->setText(text);
        verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(text) + 12);
    }
    if (fitsRows_) {
        updateGeometry();
    }
}

void ResultGridView::setFitsRows(bool fits) {
    fitsRows_ = fits;
    setSizePolicy(sizePolicy().horizontalPolicy(),
                  fits ? QSizePolicy::Maximum : QSizePolicy::Expanding);
    updateGeometry();
}

int ResultGridView::rowsHeight() const {
    // The header, the rows, room for the scroll bar when the columns are wider than the view.
    const int header = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->sizeHint().height();
    const int rows = model_->rowCount() * verticalHeader()->defaultSectionSize();
    return header + rows + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth();
}

QSize ResultGridView::sizeHint() const {
    QSize size = QTableView::sizeHint();
    if (fitsRows_) {
        size.setHeight(rowsHeight());
    }
    return size;
}

} // namespace kw::app
