#include "app/pages/datatablemodel.h"

#include "app/qtlocale.h"

namespace kw::app {

DataTableModel::DataTableModel(Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {
    reload();
}

void DataTableModel::reload() {
    beginResetModel();
    rows_ = session_.table().caseCount();
    columns_ = session_.table().variableCount();
    endResetModel();
}

int DataTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int DataTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant DataTableModel::data(const QModelIndex& index, int role) const {
    const bool shown = role == Qt::DisplayRole || role == Qt::ToolTipRole;
    if (!index.isValid() || (!shown && role != Qt::EditRole)) {
        return {};
    }
    const std::string_view text = session_.table().value(index.column() + 1, index.row() + 1);
    if (role == Qt::ToolTipRole && text.empty()) {
        return {};
    }
    // The tooltip is the shown text: the whole value where the cell is too narrow for it.
    return role == Qt::EditRole ? qText(text) : qShown(text);
}

QVariant DataTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal) {
        // The whole name (a narrow column cuts it), and how to rename it where that can be.
        if (section < 0 || section >= columns_) {
            return {};
        }
        QString tip = qShown(session_.table().name(section + 1));
        if (namesEditable_ && editable_) {
            tip += '\n' + tr("Double-click to rename the variable");
        }
        return tip;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return section < columns_ ? qShown(session_.table().name(section + 1)) : QVariant();
    }
    return section + 1;
}

Qt::ItemFlags DataTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool DataTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !editable_) {
        return false;
    }
    const int col = index.column() + 1;
    const int row = index.row() + 1;
    const std::string text = toBytes(value.toString());
    const bool changed = session_.table().value(col, row) != text;
    {
        std::unique_lock<std::mutex> cells;
        if (cellsLock_ != nullptr) {
            cells = std::unique_lock<std::mutex>(*cellsLock_);
        }
        session_.editCell(col, row, text);
    }
    emit dataChanged(index, index);
    if (changed) {
        emit valueChanged(index);
    }
    return true;
}

} // namespace kw::app
