#pragma once

#include "grid.h"
#include "session.h"

#include <QAbstractTableModel>

#include <functional>
#include <memory>

namespace kw::app {

// The data table of a session as the "input" grid shows it: the names as column headers, the
// case numbers as row headers, the values as editable cells.
class InputModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit InputModel(Session& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void reload(); // after the session's table was replaced or reordered
    void seteditable(bool editable) { editable_ = editable; }

private:
    Session& session_;
    int rows_ = 0;
    int cols_ = 0;
    bool editable_ = true;
};

// A result grid: its first fixed row as column headers and its first fixed column as row
// headers; further fixed rows and columns are shown as cells set off like headers.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(int fixedrows, int fixedcols, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setgrid(std::shared_ptr<const Grid> grid);
    const Grid* grid() const { return grid_.get(); }
    // The text of grid cell (col, row), fixed cells included.
    QString celltext(int col, int row) const;

private:
    int headrows() const { return fixedrows_ > 0 ? 1 : 0; }
    int headcols() const { return fixedcols_ > 0 ? 1 : 0; }

    int fixedrows_;
    int fixedcols_;
    std::shared_ptr<const Grid> grid_;
};

} // namespace kw::app
