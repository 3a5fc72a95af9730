#pragma once

#include "core/results/grid.h"

#include <QAbstractTableModel>

#include <memory>

namespace kw::app {

// A result grid as a table view shows it: its first fixed row as the column headers and its
// first fixed column as the row headers; further fixed rows and columns are cells set off
// like headers.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(int fixedRows, int fixedColumns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setGrid(std::shared_ptr<const Grid> grid);
    const Grid* grid() const { return grid_.get(); }
    // The text of grid cell (col, row), fixed cells included.
    QString cellText(int col, int row) const;

private:
    // A header's text: as cellText, but a huge one shortened as cells are (qShown).
    QString headerText(int col, int row) const;
    int headerRows() const { return fixedRows_ > 0 ? 1 : 0; }
    int headerColumns() const { return fixedColumns_ > 0 ? 1 : 0; }

    int fixedRows_;
    int fixedColumns_;
    std::shared_ptr<const Grid> grid_;
};

} // namespace kw::app
