#include "app/pages/countspage.h"

#include "app/pages/resultgridview.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kw::app {

CountsPage::CountsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("countsPage");
    auto* save = new QPushButton(tr("Save Counts To Excel"), this);
    save->setObjectName("SaveCountsToExcelButton");
    save->setAccessibleDescription(tr("Writes the counts to the spreadsheet"));
    connect(save, &QPushButton::clicked, this, &CountsPage::saveCountsClicked);
    countsGrid_ = new ResultGridView("countgrid", 2, 1, this);
    countsGrid_->setAccessibleName(tr("counts"));
    countsGrid_->setAccessibleDescription(tr("The number of cases of each test value by group"));
    ResultGridView::setCellSizes(countsGrid_, 10);
    countsGrid_->setTabKeyNavigation(false); // Tab leaves the grid; arrow keys move in it
    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(6, 6, 6, 6);
    strip->addWidget(save);
    strip->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(strip);
    layout->addWidget(countsGrid_, 1);
}

void CountsPage::showGrid(std::shared_ptr<const Grid> counts) {
    countsGrid_->setGrid(std::move(counts));
}

} // namespace kw::app
