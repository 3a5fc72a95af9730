#pragma once

#include <QTableView>

namespace kw::app {

// The first column of a grid drawn again over the grid's left edge, so that it stays in place
// while the other columns scroll: the same model and selection, the same row heights, scrolled
// up and down with the grid. Its column is resized with the grid's first column either way; its
// focus goes to the grid (the keyboard works the grid alone), and a click on its header sorts
// the grid where the grid sorts.
class FrozenColumnView final : public QTableView {
    Q_OBJECT
public:
    explicit FrozenColumnView(QTableView* grid);

    // Takes the grid's model, looks and geometry again (after either changed).
    void follow();

    // The grid scrolls this view: nothing of its own.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
    void sortByFirstColumn();

    QTableView* grid_;
    bool resizing_ = false;
};

} // namespace kw::app
