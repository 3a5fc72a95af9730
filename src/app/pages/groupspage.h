#pragma once

#include "core/results/grid.h"

#include <QWidget>

#include <memory>

namespace kw::app {

class ResultGridView;

// The "groups" page: the summary of the groups (number, rank sum, median) above their
// composition (the test values of each group).
class GroupsPage final : public QWidget {
    Q_OBJECT
public:
    explicit GroupsPage(QWidget* parent = nullptr);

    void showGrids(std::shared_ptr<const Grid> summary, std::shared_ptr<const Grid> groups);

private:
    ResultGridView* summaryGrid_;
    ResultGridView* groupsGrid_;
};

} // namespace kw::app
