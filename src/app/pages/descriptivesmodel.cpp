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
    static const char* const titles[columns] = {"group", "letters", "n",   "median",    "q1",
                                                "q3",    "min",     "max", "mean rank", "rank sum"};
    static const char* const tips[columns] = {
        nullptr,
        "Groups that share a letter do not differ: their adjusted p is not below alpha",
        "The number of cases",
        nullptr,
        "The first quartile, by R's default definition (type 7)",
        "The third quartile, by R's default definition (type 7)",
        nullptr,
        nullptr,
        "The mean of the group's ranks in the whole ranking (ties get their mean rank)",
        "The sum of the group's ranks in the whole ranking"};
    if (section < 0 || section >= columns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString(titles[section]);
    }
    if (role == Qt::ToolTipRole && tips[section] != nullptr) {
        return QString(tips[section]);
    }
    return {};
}

} // namespace kw::app
