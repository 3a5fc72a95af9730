#pragma once

#include "core/session/session.h"

#include <QAbstractTableModel>

#include <mutex>

namespace kw::app {

// The session's data table as the "input" page shows it: the names as column headers, the
// case numbers as row headers, the values as cells that can be edited.
class DataTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataTableModel(Session& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void reload(); // after the session's table was replaced or reordered
    void setEditable(bool editable) { editable_ = editable; }
    // Whether the names may be edited (the view's editor over the header); its tooltip says so.
    void setNamesEditable(bool editable) { namesEditable_ = editable; }
    // The lock an edit takes while it changes the table's cells (another thread may be
    // writing a copy of them, see RecoveryKeeper); none when null.
    void setCellsLock(std::mutex* lock) { cellsLock_ = lock; }

signals:
    // A cell was given a text other than the one it held.
    void valueChanged(const QModelIndex& index);

private:
    Session& session_;
    int rows_ = 0;
    int columns_ = 0;
    bool editable_ = true;
    bool namesEditable_ = false;
    std::mutex* cellsLock_ = nullptr;
};

} // namespace kw::app
