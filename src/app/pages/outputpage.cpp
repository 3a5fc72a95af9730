#include "app/pages/outputpage.h"

#include "app/pages/resultgridview.h"
#include "app/qtlocale.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kw::app {

namespace {

QLabel* label(const QString& text, QWidget* parent, const char* name = nullptr, int points = 10) {
    auto* l = new QLabel(text, parent);
    if (name != nullptr) {
        l->setObjectName(name);
    }
    QFont f = l->font();
    f.setPointSize(points);
    l->setFont(f);
    return l;
}

} // namespace

OutputPage::OutputPage(QWidget* parent) : QWidget(parent) {
    // The over-all test: captions and values in pairs of columns, two rows.
    const char* names[5] = {"groupvar", "testvar", "chival", "dfnr", "pval"};
    const char* captions[5] = {"group variable:", "test variable:", "test statistic:", "df:", "p:"};
    QLabel** values[5] = {&groupNameLabel_, &testNameLabel_, &chiSquareLabel_,
                          &degreesOfFreedomLabel_, &pValueLabel_};
    auto* test = new QGridLayout;
    test->setHorizontalSpacing(8);
    test->addWidget(label("over-all test:", this, nullptr, 11), 0, 0, 1, 2);
    for (int i = 0; i < 5; ++i) {
        *values[i] = label("----------", this, names[i]);
        (*values[i])->setTextInteractionFlags(Qt::TextSelectableByMouse);
        test->addWidget(label(captions[i], this), 1 + i % 2, (i / 2) * 2);
        test->addWidget(*values[i], 1 + i % 2, (i / 2) * 2 + 1);
    }
    // The pairs spread over the band, as far apart as there is room for.
    for (int column : {1, 3, 5}) {
        test->setColumnStretch(column, 1);
    }

    sortChoice_ = new QGroupBox("multiple comparison sorted by:", this);
    sortChoice_->setObjectName("multisort");
    sortButtons_ = new QButtonGroup(sortChoice_);
    sortButtons_->setExclusive(true);
    auto* byGroup = new QRadioButton("grouping variable", sortChoice_);
    byGroup->setObjectName("grouping variable");
    auto* byMedian = new QRadioButton("group median", sortChoice_);
    byMedian->setObjectName("group median");
    sortButtons_->addButton(byGroup, static_cast<int>(SortBy::groupValue));
    sortButtons_->addButton(byMedian, static_cast<int>(SortBy::median));
    auto* sortLayout = new QVBoxLayout(sortChoice_);
    sortLayout->setContentsMargins(6, 2, 6, 2);
    sortLayout->addWidget(byGroup);
    sortLayout->addWidget(byMedian);
    connect(sortButtons_, &QButtonGroup::idClicked, this,
            [this](int id) { emit sortChosen(static_cast<SortBy>(id)); });

    auto* band = new QHBoxLayout;
    band->setContentsMargins(4, 0, 4, 0);
    band->addLayout(test, 1);
    band->addWidget(sortChoice_, 0, Qt::AlignTop);

    comparisonHeading_ = label("multiple comparison of groups:", this, "mulcomplabel");
    comparisonGrid_ = new ResultGridView("mulcompgrid", 2, 2, this);
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    comparisonGrid_->setFont(fixed);
    ResultGridView::setCellSizes(comparisonGrid_, 10); // wider characters

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addLayout(band);
    layout->addWidget(comparisonHeading_);
    layout->addWidget(comparisonGrid_, 1);
}

void OutputPage::showResults(const ViewState& view, std::shared_ptr<const Grid> comparison) {
    comparisonGrid_->setGrid(std::move(comparison));
    const OutputLabels& labels = view.labels;
    groupNameLabel_->setText(qShown(labels.groupName));
    testNameLabel_->setText(qShown(labels.testName));
    chiSquareLabel_->setText(qText(labels.chiSquare));
    degreesOfFreedomLabel_->setText(qText(labels.degreesOfFreedom));
    pValueLabel_->setText(qText(labels.pValue));
    comparisonHeading_->setText(qText(labels.comparisonHeading));
    sortChoice_->setVisible(view.sortChoiceVisible);
    if (view.sortChoice) {
        const QSignalBlocker block(sortButtons_);
        sortButtons_->button(static_cast<int>(*view.sortChoice))->setChecked(true);
    }
    comparisonGrid_->setVisible(view.comparisonVisible);
}

} // namespace kw::app
