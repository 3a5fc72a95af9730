#pragma once

#include "core/results/grid.h"
#include "core/session/viewstate.h"

#include <QWidget>

#include <memory>

class QButtonGroup;
class QGroupBox;
class QLabel;

namespace kw::app {

class ResultGridView;

// The "output" page: the over-all test (the variables, the statistic, df and p), the order of
// the multiple comparison, and the comparison of the groups below its heading.
class OutputPage final : public QWidget {
    Q_OBJECT
public:
    explicit OutputPage(QWidget* parent = nullptr);

    void showResults(const ViewState& view, std::shared_ptr<const Grid> comparison);

signals:
    // The user chose the order of "multiple comparison sorted by:".
    void sortChosen(SortBy by);

private:
    QLabel* groupNameLabel_;
    QLabel* testNameLabel_;
    QLabel* chiSquareLabel_;
    QLabel* degreesOfFreedomLabel_;
    QLabel* pValueLabel_;
    QGroupBox* sortChoice_;
    QButtonGroup* sortButtons_;
    QLabel* comparisonHeading_;
    ResultGridView* comparisonGrid_;
};

} // namespace kw::app
