#include "app/pages/resultgridview.h"

#include "app/pages/columnfit.h"
#include "app/pages/cornerlabel.h"
#include "app/pages/gridheaderview.h"
#include "app/pages/gridmodel.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace kw::app {

ResultGridView::ResultGridView(const QString& name, int fixedRows, int fixedColumns,
                               QWidget* parent)
    : GridView(parent) {
    setObjectName(name);
    model_ = new GridModel(fixedRows, fixedColumns, this);
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setCellSizes(this, cellChars);
    if (fixedColumns > 0) {
        corner_ = new CornerLabel(this);
    } else {
        // The first column names the rows (case numbers; n, rank sum, median): kept in sight.
        verticalHeader()->hide();
        setFrozenFirstColumn(true);
    }
    describe();
}

void ResultGridView::describe() {
    // Named by the page's grid it is (the object names the pages give).
    const QString name = objectName();
    if (name == "npgrgrid") {
        setAccessibleTexts(tr("Group summary"),
                           tr("One column per group: its number of cases, rank sum and median"));
    } else if (name == "groupgrid") {
        setAccessibleTexts(tr("Groups"), tr("One column per group: the test variable's values "
                                            "of its cases"));
    } else if (name == "rankgrid") {
        setAccessibleTexts(tr("Ranks"), tr("One column per group: the rank of each of its cases "
                                           "in the whole ranking"));
    } else if (name == "mulcompgrid") {
        setAccessibleTexts(tr("Multiple comparison of groups"),
                           tr("The groups with their medians across and down; a cell holds * "
                              "where the two groups differ, NS where they do not"));
    } else if (name == "countgrid") {
        setAccessibleTexts(tr("Counts"), tr("One row per value of the test variable, one column "
                                            "per group: how many cases hold the value"));
    }
}

void ResultGridView::setCellSizes(QTableView* view, int chars) {
    const QFontMetrics metrics = view->fontMetrics();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    view->horizontalHeader()->setDefaultSectionSize(metrics.averageCharWidth() * chars + 4);
}

void ResultGridView::setGrid(std::shared_ptr<const Grid> grid) {
    model_->setGrid(std::move(grid)); // the columns are fitted on the reset
    if (corner_ != nullptr) {
        // The top-left cell of the grid ("grouped_by", the group variable's name, "values"):
        // room for it above the row headers, up to the widest a column is fitted.
        const QString text = model_->cellText(0, 0);
        corner_->setText(text);
        rowHeader()->setLeastWidth(
            std::min(fontMetrics().horizontalAdvance(text) + 12, columnWidthLimit(*this)));
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
