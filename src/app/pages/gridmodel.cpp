#include "app/pages/gridmodel.h"

#include "app/qtlocale.h"

#include <QApplication>
#include <QFont>
#include <QPalette>

#include <algorithm>

namespace kw::app {

GridModel::GridModel(int fixedRows, int fixedColumns, QObject* parent)
    : QAbstractTableModel(parent), fixedRows_(fixedRows), fixedColumns_(fixedColumns) {}

void GridModel::setGrid(std::shared_ptr<const Grid> grid) {
    beginResetModel();
    grid_ = std::move(grid);
    endResetModel();
}

QString GridModel::cellText(int col, int row) const {
    return grid_ ? qText(grid_->cell(col, row)) : QString();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !grid_ ? 0 : std::max(0, grid_->rowCount() - headerRows());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !grid_ ? 0 : std::max(0, grid_->columnCount() - headerColumns());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !grid_) {
        return {};
    }
    const int col = index.column() + headerColumns();
    const int row = index.row() + headerRows();
    const bool fixed = row < fixedRows_ || col < fixedColumns_;
    switch (role) {
    case Qt::DisplayRole:
        return qShown(grid_->cell(col, row));
    case Qt::ToolTipRole: {
        // The shown text, whole where the column is too narrow for it.
        const QString text = qShown(grid_->cell(col, row));
        return text.trimmed().isEmpty() ? QVariant() : QVariant(text);
    }
    case Qt::BackgroundRole:
        // Set off like the headers, in the palette's colours (dark ones too), and bold.
        return fixed ? QVariant(QApplication::palette().button()) : QVariant();
    case Qt::ForegroundRole:
        return fixed ? QVariant(QApplication::palette().buttonText()) : QVariant();
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
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !grid_) {
        return {};
    }
    // The tooltip is the whole text, for a header too narrow for it.
    if (orientation == Qt::Horizontal) {
        return headerRows() > 0 ? headerText(section + headerColumns(), 0) : QVariant(section + 1);
    }
    return headerColumns() > 0 ? headerText(0, section + headerRows()) : QVariant(section + 1);
}

QString GridModel::headerText(int col, int row) const {
    return grid_ ? qShown(grid_->cell(col, row)) : QString();
}

} // namespace kw::app
