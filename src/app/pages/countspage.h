#pragma once

#include "core/results/grid.h"

#include <QWidget>

#include <memory>

namespace kw::app {

class ResultGridView;

// The "counts" page: "Save Counts To Excel" above the cross-table of test values by group.
class CountsPage final : public QWidget {
    Q_OBJECT
public:
    explicit CountsPage(QWidget* parent = nullptr);

    void showGrid(std::shared_ptr<const Grid> counts);

signals:
    void saveCountsClicked();

private:
    ResultGridView* countsGrid_;
};

} // namespace kw::app
