#include "app/pages/groupspage.h"

#include "app/pages/resultgridview.h"

#include <QVBoxLayout>

namespace kw::app {

GroupsPage::GroupsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("groupsPage");
    summaryGrid_ = new ResultGridView("npgrgrid", 1, 0, this);
    summaryGrid_->setFitsRows(true);
    summaryGrid_->setAccessibleName(tr("summary of the groups"));
    summaryGrid_->setAccessibleDescription(tr("Number, rank sum and median of each group"));
    groupsGrid_ = new ResultGridView("groupgrid", 1, 0, this);
    groupsGrid_->setAccessibleName(tr("groups"));
    groupsGrid_->setAccessibleDescription(tr("The test values of each group"));
    // Tab leaves a grid for the next control; arrow keys move between its cells.
    summaryGrid_->setTabKeyNavigation(false);
    groupsGrid_->setTabKeyNavigation(false);
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
