#include "app/pages/detailstableview.h"

#include "app/pages/detailsnumbers.h"
#include "app/pages/resultgridview.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSortFilterProxyModel>

#include <algorithm>

namespace kw::app {

namespace {

constexpr int fewestRows = 3;

} // namespace

DetailsTableView::DetailsTableView(const QString& name, QAbstractItemModel* model, int shownRows,
                                   QWidget* parent)
    : GridView(parent), shownRows_(shownRows) {
    setObjectName(name);
    // Sorted through a proxy by what the model gives to sort by: numbers as numbers.
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(model);
    sorted->setSortRole(sortRole);
    setModel(sorted);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder); // the model's order at first
    setSortingEnabled(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAlternatingRowColors(true);
    setWordWrap(false);
    ResultGridView::setCellSizes(this, 8);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Some room between the numbers of neighbouring columns.
    setColumnPadding(fontMetrics().horizontalAdvance(u'x'));
    setFrozenFirstColumn(true);
    if (name == "descriptives") {
        setAccessibleTexts(tr("Descriptives"),
                           tr("One row per group: its letters, n, median, quartiles, extremes, "
                              "mean rank and rank sum. Click a column's header to sort by it."));
    } else if (name == "pairs") {
        setAccessibleTexts(tr("Pairwise comparisons"),
                           tr("One row per pair of groups: the statistic, p, adjusted p and the "
                              "difference of the mean ranks. Click a column's header to sort by "
                              "it."));
    }
}

void DetailsTableView::fitContents() {
    if (!userSizedColumns()) {
        fitColumns();
    }
    fitHeight();
}

void DetailsTableView::fitHeight() {
    // No taller than the rows (and the scroll bar where the columns are wider than the view):
    // no empty band below them.
    overflows_ = horizontalHeader()->length() > viewport()->width();
    setMaximumHeight(heightFor(std::max(model()->rowCount(), fewestRows)));
    updateGeometry();
}

void DetailsTableView::resizeEvent(QResizeEvent* event) {
    GridView::resizeEvent(event);
    if (overflows_ != (horizontalHeader()->length() > viewport()->width())) {
        fitHeight();
    }
}

int DetailsTableView::heightFor(int rows) const {
    const int header = horizontalHeader()->sizeHint().height();
    const int bar = overflows_ ? horizontalScrollBar()->sizeHint().height() : 0;
    return header + rows * verticalHeader()->defaultSectionSize() + bar + 2 * frameWidth();
}

QSize DetailsTableView::sizeHint() const {
    const int rows = std::clamp(model()->rowCount(), fewestRows, shownRows_);
    return {GridView::sizeHint().width(), heightFor(rows)};
}

QSize DetailsTableView::minimumSizeHint() const {
    // The rows it is meant to show: the page scrolls rather than squeezing the tables.
    return {GridView::minimumSizeHint().width(), sizeHint().height()};
}

} // namespace kw::app
