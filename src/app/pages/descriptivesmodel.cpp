#include "app/pages/descriptivesmodel.h"

#include "app/pages/detailsnumbers.h"
#include "app/qtlocale.h"

namespace kw::app {

DescriptivesModel::DescriptivesModel(QObject* parent) : QAbstractTableModel(parent) {}

void DescriptivesModel::setDetails(std::shared_ptr<const Details> details, char decimal) {
    beginResetModel();
    details_ = std::move(details);
    decimal_ = decimal;
    endResetModel();
}

int DescriptivesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !details_ ? 0 : static_cast<int>(details_->groups.size());
}

int DescriptivesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns;
}

QVariant DescriptivesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !details_) {
        return {};
    }
    const auto g = static_cast<std::size_t>(index.row());
    const GroupDescription& d = details_->descriptives[g];
    const auto column = static_cast<Column>(index.column());
    if (role == Qt::TextAlignmentRole) {
        return column == group || column == letters ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                    : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole) {
        // A name whole where its column is too narrow for it.
        return column == group ? QVariant(qShown(details_->groups[g])) : QVariant();
    }
    if (role != Qt::DisplayRole && role != sortRole) {
        return {};
    }
    const bool shown = role == Qt::DisplayRole;
    auto number = [&](double x) { return shown ? QVariant(detailNumber(x, decimal_)) : x; };
    switch (column) {
    case group:
        return shown ? QVariant(qShown(details_->groups[g])) : QVariant(index.row());
    case letters:
        return g < details_->letters.size() ? qText(details_->letters[g]) : QString();
    case n:
        return shown ? QVariant(detailCount(d.n)) : QVariant(static_cast<qulonglong>(d.n));
    case median:
        return number(d.median);
    case q1:
        return number(d.q1);
    case q3:
        return number(d.q3);
    case min:
        return number(d.min);
    case max:
        return number(d.max);
    case meanRank:
        return number(d.meanRank);
    case rankSum:
        return number(d.rankSum);
    case columns:
        break;
    }
    return {};
}

QVariant DescriptivesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const titles[columns] = {
        QT_TR_NOOP("group"),     QT_TR_NOOP("letters"), QT_TR_NOOP("n"),   QT_TR_NOOP("median"),
        QT_TR_NOOP("q1"),        QT_TR_NOOP("q3"),      QT_TR_NOOP("min"), QT_TR_NOOP("max"),
        QT_TR_NOOP("mean rank"), QT_TR_NOOP("rank sum")};
    static const char* const tips[columns] = {
        nullptr,
        QT_TR_NOOP("Groups that share a letter do not differ: their adjusted p is not below alpha"),
        QT_TR_NOOP("The number of cases"),
        nullptr,
        QT_TR_NOOP("The first quartile, by R's default definition (type 7)"),
        QT_TR_NOOP("The third quartile, by R's default definition (type 7)"),
        nullptr,
        nullptr,
        QT_TR_NOOP("The mean of the group's ranks in the whole ranking (ties get their mean rank)"),
        QT_TR_NOOP("The sum of the group's ranks in the whole ranking")};
    if (section < 0 || section >= columns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return tr(titles[section]);
    }
    if (role == Qt::ToolTipRole && tips[section] != nullptr) {
        return tr(tips[section]);
    }
    return {};
}

} // namespace kw::app
