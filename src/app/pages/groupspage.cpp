#include "app/pages/groupspage.h"

#include "app/pages/resultgridview.h"

#include <QVBoxLayout>

namespace kw::app {

GroupsPage::GroupsPage(QWidget* parent) : QWidget(parent) {
    summaryGrid_ = new ResultGridView("npgrgrid", 1, 0, this);
    summaryGrid_->setFitsRows(true);
    groupsGrid_ = new ResultGridView("groupgrid", 1, 0, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(summaryGrid_);
    layout->addWidget(groupsGrid_, 1);
}

void GroupsPage::showGrids(std::shared_ptr<const Grid> summary,
                           std::shared_ptr<const Grid> groups) {
    summaryGrid_->setGrid(std::move(summary));
    groupsGrid_->setGrid(std::move(groups));
}

} // namespace kw::app
