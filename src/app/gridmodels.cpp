#include "gridmodels.h"

#include "qtlocale.h"

#include <QApplication>
#include <QFont>
#include <QPalette>

namespace kw::app {

InputModel::InputModel(Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {
    reload();
}

void InputModel::reload() {
    beginResetModel();
    rows_ = session_.table().ncases();
    cols_ = session_.table().nvars();
    endResetModel();
}

int InputModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int InputModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant InputModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    const std::string_view text = session_.table().value(index.column() + 1, index.row() + 1);
    return role == Qt::EditRole ? qtext(text) : qshown(text);
}

QVariant InputModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return section < cols_ ? qshown(session_.table().name(section + 1)) : QVariant();
    }
    return section + 1;
}

Qt::ItemFlags InputModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool InputModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !editable_) {
        return false;
    }
    session_.editcell(index.column() + 1, index.row() + 1, bytes(value.toString()));
    emit dataChanged(index, index);
    return true;
}

GridModel::GridModel(int fixedrows, int fixedcols, QObject* parent)
    : QAbstractTableModel(parent), fixedrows_(fixedrows), fixedcols_(fixedcols) {}

void GridModel::setgrid(std::shared_ptr<const Grid> grid) {
    beginResetModel();
    grid_ = std::move(grid);
    endResetModel();
}

QString GridModel::celltext(int col, int row) const {
    return grid_ ? qtext(grid_->cell(col, row)) : QString();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !grid_ ? 0 : std::max(0, grid_->rows() - headrows());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !grid_ ? 0 : std::max(0, grid_->cols() - headcols());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !grid_) {
        return {};
    }
    const int col = index.column() + headcols();
    const int row = index.row() + headrows();
    const bool fixed = row < fixedrows_ || col < fixedcols_;
    switch (role) {
    case Qt::DisplayRole:
        return grid_ ? qshown(grid_->cell(col, row)) : QString();
    case Qt::BackgroundRole:
        return fixed ? QVariant(QApplication::palette().button()) : QVariant();
    case Qt::FontRole:
        if (fixed) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !grid_) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return headrows() > 0 ? celltext(section + headcols(), 0) : QVariant(section + 1);
    }
    return headcols() > 0 ? celltext(0, section + headrows()) : QVariant(section + 1);
}

} // namespace kw::app
