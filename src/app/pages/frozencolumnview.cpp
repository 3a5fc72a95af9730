#include "app/pages/frozencolumnview.h"

#include "app/pages/griddelegate.h"
#include "app/pages/gridheaderview.h"

#include <QScrollBar>

#include <algorithm>

namespace kw::app {

FrozenColumnView::FrozenColumnView(QTableView* grid) : QTableView(grid), grid_(grid) {
    setObjectName("frozenColumn");
    auto* header = new GridHeaderView(Qt::Horizontal, this);
    header->setSectionsClickable(true);
    setHorizontalHeader(header);
    setItemDelegate(new GridDelegate(this));
    // A click focuses the grid; Tab passes this view by.
    setFocusPolicy(Qt::ClickFocus);
    setFocusProxy(grid);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setAutoScroll(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setResizeContentsPrecision(
        grid->horizontalHeader()->resizeContentsPrecision());
    setModel(grid->model());
    setSelectionModel(grid->selectionModel());
    grid->viewport()->stackUnder(this);

    // Up and down with the grid; never sideways (the other columns lie beyond its width).
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, grid->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(grid->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalScrollBar(), &QAbstractSlider::valueChanged, this, [this](int value) {
        if (value != 0) {
            horizontalScrollBar()->setValue(0);
        }
    });
    // The first column's width, dragged on either header.
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical) {
        if (logical == 0) {
            follow();
        }
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (logical == 0 && !resizing_) {
                    grid_->setColumnWidth(0, size);
                }
            });
    connect(horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, grid_,
            [this](int logical) {
                if (logical == 0) {
                    grid_->resizeColumnToContents(0);
                }
            });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
        if (logical == 0 && grid_->isSortingEnabled()) {
            sortByFirstColumn();
        }
    });
    connect(grid->horizontalHeader(), &QHeaderView::sortIndicatorChanged, horizontalHeader(),
            &QHeaderView::setSortIndicator);
}

void FrozenColumnView::sortByFirstColumn() {
    // As a click on the grid's own header: ascending first, then the other way.
    QHeaderView* header = grid_->horizontalHeader();
    const bool ascending =
        header->sortIndicatorSection() == 0 && header->sortIndicatorOrder() == Qt::AscendingOrder;
    header->setSortIndicator(0, ascending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void FrozenColumnView::scrollTo(const QModelIndex&, ScrollHint) {}

void FrozenColumnView::follow() {
    if (!grid_->accessibleName().isEmpty()) {
        setAccessibleName(tr("%1, first column").arg(grid_->accessibleName()));
    }
    const QAbstractItemModel* model = grid_->model();
    if (model == nullptr || model->columnCount() == 0 || grid_->isColumnHidden(0)) {
        hide();
        return;
    }
    if (model != this->model()) {
        setModel(grid_->model());
        setSelectionModel(grid_->selectionModel());
    }
    setShowGrid(grid_->showGrid());
    setGridStyle(grid_->gridStyle());
    setAlternatingRowColors(grid_->alternatingRowColors());
    setSelectionBehavior(grid_->selectionBehavior());
    setSelectionMode(grid_->selectionMode());
    setEditTriggers(grid_->editTriggers());
    setVerticalScrollMode(grid_->verticalScrollMode());
    setWordWrap(grid_->wordWrap());
    verticalHeader()->setDefaultSectionSize(grid_->verticalHeader()->defaultSectionSize());
    const QHeaderView* header = grid_->horizontalHeader();
    horizontalHeader()->setVisible(!header->isHidden());
    horizontalHeader()->setFixedHeight(header->height());
    horizontalHeader()->setSortIndicatorShown(header->isSortIndicatorShown());
    horizontalHeader()->setSortIndicator(header->sortIndicatorSection(),
                                         header->sortIndicatorOrder());
    horizontalHeader()->setHighlightSections(header->highlightSections());

    resizing_ = true;
    setColumnWidth(0, grid_->columnWidth(0));
    resizing_ = false;
    // Over the grid's first column and its header, as high as the grid's viewport, so that
    // both scroll over the same range.
    const QRect area = grid_->viewport()->geometry();
    const int headerHeight = header->isHidden() ? 0 : header->height();
    setGeometry(area.x(), area.y() - headerHeight, std::min(grid_->columnWidth(0), area.width()),
                headerHeight + area.height());
    show();
    verticalScrollBar()->setValue(grid_->verticalScrollBar()->value());
}

} // namespace kw::app
