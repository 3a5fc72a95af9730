#include "app/pages/outputpage.h"

#include "app/pages/resultgridview.h"
#include "app/panelscrollarea.h"
#include "app/qtlocale.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kw::app {

namespace {

// A label at `points` (at a 10-point system font; as much larger as the system font is larger).
QLabel* label(const QString& text, QWidget* parent, const char* name = nullptr, int points = 10) {
    auto* l = new QLabel(text, parent);
    if (name != nullptr) {
        l->setObjectName(name);
    }
    QFont f = l->font();
    f.setPointSize(std::max(points, f.pointSize() + points - 10));
    l->setFont(f);
    return l;
}

} // namespace

OutputPage::OutputPage(QWidget* parent) : QWidget(parent) {
    setObjectName("outputPage");
    // The over-all test: each caption right beside its value, three pairs in a row, two rows;
    // what is left of the width stays at the right, so that no value drifts off its caption.
    const char* names[5] = {"groupvar", "testvar", "chival", "dfnr", "pval"};
    const QString captions[5] = {tr("group variable:"), tr("test variable:"), tr("test statistic:"),
                                 tr("df:"), tr("p:")};
    const QString descriptions[5] = {
        tr("The grouping variable of the test"), tr("The test variable of the test"),
        tr("The Kruskal-Wallis statistic, corrected for ties"), tr("The degrees of freedom"),
        tr("The p-value of the over-all test")};
    QLabel** values[5] = {&groupNameLabel_, &testNameLabel_, &chiSquareLabel_,
                          &degreesOfFreedomLabel_, &pValueLabel_};
    auto* test = new QGridLayout;
    test->setHorizontalSpacing(6);
    test->addWidget(label(tr("over-all test:"), this, "overallCaption", 11), 0, 0, 1, 3);
    const int valueWidth = fontMetrics().horizontalAdvance("0000.000");
    for (int i = 0; i < 5; ++i) {
        const int row = 1 + i % 2;
        const int column = (i / 2) * 3; // caption, value, a gap before the next pair
        QLabel* value = label("----------", this, names[i]);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setAccessibleDescription(descriptions[i]);
        *values[i] = value;
        QLabel* caption = label(captions[i], this);
        caption->setBuddy(value); // read out as the value's label
        test->addWidget(caption, row, column, Qt::AlignRight | Qt::AlignVCenter);
        test->addWidget(value, row, column + 1, Qt::AlignLeft | Qt::AlignVCenter);
        test->setColumnMinimumWidth(column + 1, valueWidth);
    }
    test->setColumnMinimumWidth(2, 16);
    test->setColumnMinimumWidth(5, 16);
    test->setColumnStretch(8, 1);

    sortChoice_ = new QGroupBox(tr("multiple comparison sorted by:"), this);
    sortChoice_->setObjectName("multisort");
    sortButtons_ = new QButtonGroup(sortChoice_);
    sortButtons_->setExclusive(true);
    auto* byGroup = new QRadioButton(tr("grouping variable"), sortChoice_);
    byGroup->setObjectName("grouping variable");
    byGroup->setAccessibleDescription(tr("Sort the multiple comparison by grouping variable"));
    auto* byMedian = new QRadioButton(tr("group median"), sortChoice_);
    byMedian->setObjectName("group median");
    byMedian->setAccessibleDescription(tr("Sort the multiple comparison by group median"));
    sortButtons_->addButton(byGroup, static_cast<int>(SortBy::groupValue));
    sortButtons_->addButton(byMedian, static_cast<int>(SortBy::median));
    auto* sortLayout = new QVBoxLayout(sortChoice_);
    sortLayout->setContentsMargins(6, 2, 6, 2);
    sortLayout->addWidget(byGroup);
    sortLayout->addWidget(byMedian);
    connect(sortButtons_, &QButtonGroup::idClicked, this,
            [this](int id) { emit sortChosen(static_cast<SortBy>(id)); });

    // The test and the sort choice side by side, scrolled sideways where the page is narrower.
    auto* bandRow = new QWidget;
    auto* band = new QHBoxLayout(bandRow);
    band->setContentsMargins(4, 0, 4, 0);
    band->addLayout(test, 1);
    band->addWidget(sortChoice_, 0, Qt::AlignTop);
    auto* bandScroll = new PanelScrollArea(bandRow, this);
    bandScroll->setObjectName("overallScroll");
    bandScroll->setNarrowest(1);

    comparisonHeading_ = label(tr("multiple comparison of groups:"), this, "mulcomplabel");
    comparisonGrid_ = new ResultGridView("mulcompgrid", 2, 2, this);
    comparisonGrid_->setAccessibleName(tr("multiple comparison of groups"));
    comparisonGrid_->setAccessibleDescription(
        tr("Each pair of groups: * where they differ at alpha, NS where they do not"));
    comparisonHeading_->setBuddy(comparisonGrid_);
    comparisonGrid_->setTabKeyNavigation(false); // Tab leaves the grid; arrow keys move in it
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    if (comparisonGrid_->font().pointSize() > 0) {
        fixed.setPointSize(comparisonGrid_->font().pointSize()); // a large system font too
    }
    comparisonGrid_->setFont(fixed);
    ResultGridView::setCellSizes(comparisonGrid_, 10); // wider characters

    // The heading right under the band; the table below it takes the height, and without a
    // comparison the heading stays where the table would begin.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(bandScroll);
    layout->addWidget(comparisonHeading_);
    layout->addWidget(comparisonGrid_, 1);
    layout->addStretch(0);
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
