#pragma once

#include "app/pages/gridview.h"
#include "core/results/grid.h"

#include <memory>

namespace kw::app {

class CornerLabel;
class GridModel;

// A result grid of a page, read-only: its first fixed row as the column headers, its first
// fixed column (when it has one) as the row headers with the grid's top-left cell in the
// corner. Without a fixed column its first column (the case numbers, the names of the rows)
// stays in place while the others scroll.
class ResultGridView final : public GridView {
    Q_OBJECT
public:
    // Width of a cell in characters, as the grids were first drawn.
    static constexpr int cellChars = 13;

    ResultGridView(const QString& name, int fixedRows, int fixedColumns, QWidget* parent = nullptr);

    void setGrid(std::shared_ptr<const Grid> grid);

    // Whether the view is as tall as its rows (and no taller), for a grid of few rows above
    // another.
    void setFitsRows(bool fits);
    QSize sizeHint() const override;

    // Row heights from the view's font, cells `chars` characters wide.
    static void setCellSizes(QTableView* view, int chars);

private:
    int rowsHeight() const;
    void describe();

    GridModel* model_;
    CornerLabel* corner_ = nullptr;
    bool fitsRows_ = false;
};

} // namespace kw::app
