#include "app/pages/datatableview.h"

#include "app/pages/cornerlabel.h"
#include "app/pages/datatablemodel.h"
#include "app/pages/resultgridview.h"
#include "app/qtlocale.h"

#include <QHeaderView>

namespace kw::app {

DataTableView::DataTableView(Session& session, QWidget* parent)
    : QTableView(parent), session_(session) {
    setObjectName("inputgrid");
    model_ = new DataTableModel(session, this);
    setModel(model_);
    ResultGridView::setCellSizes(this, ResultGridView::cellChars);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    corner_ = new CornerLabel(this);
    // Room for the corner's label ("no data", "input") beside the case numbers.
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance("no data") + 12);
}

void DataTableView::reload() {
    model_->reload();
    corner_->setText(qText(session_.table().label()));
}

void DataTableView::setEditable(bool editable) {
    model_->setEditable(editable);
}

} // namespace kw::app
