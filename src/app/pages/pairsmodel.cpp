#include "app/pages/pairsmodel.h"

#include "app/pages/detailsnumbers.h"
#include "app/qtlocale.h"

namespace kw::app {

PairsModel::PairsModel(QObject* parent) : QAbstractTableModel(parent) {}

void PairsModel::setDetails(std::shared_ptr<const Details> details, char decimal) {
    beginResetModel();
    details_ = std::move(details);
    decimal_ = decimal;
    endResetModel();
}

PairwiseMethod PairsModel::method() const {
    return details_ ? details_->pairwise.method : PairwiseMethod::dunn;
}

bool PairsModel::hasColumn(Column column) const {
    switch (column) {
    case df:
        return method() == PairwiseMethod::conover;
    case r:
        return method() == PairwiseMethod::dunn;
    default:
        return true;
    }
}

int PairsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !details_ ? 0 : static_cast<int>(details_->pairwise.pairs.size());
}

int PairsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns;
}

QVariant PairsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !details_) {
        return {};
    }
    const PairComparison& pair = details_->pairwise.pairs[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<Column>(index.column());
    if (role == Qt::TextAlignmentRole) {
        return column == first || column == second ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole) {
        // A name whole where its column is too narrow for it.
        const int g = column == first ? pair.first : column == second ? pair.second : -1;
        return g < 0 ? QVariant() : QVariant(qShown(details_->groups[static_cast<std::size_t>(g)]));
    }
    if (role != Qt::DisplayRole && role != sortRole) {
        return {};
    }
    const bool shown = role == Qt::DisplayRole;
    auto number = [&](double x) { return shown ? QVariant(detailNumber(x, decimal_)) : x; };
    auto group = [&](int g) {
        return shown ? QVariant(qShown(details_->groups[static_cast<std::size_t>(g)])) : g;
    };
    switch (column) {
    case first:
        return group(pair.first);
    case second:
        return group(pair.second);
    case statistic:
        return number(pair.statistic);
    case df:
        return pair.df ? number(*pair.df) : QVariant();
    case p:
        return number(pair.p);
    case pAdjusted:
        return number(pair.pAdjusted);
    case meanRankDifference:
        return number(pair.meanRankDifference);
    case r:
        return pair.r ? number(*pair.r) : QVariant();
    case columns:
        break;
    }
    return {};
}

QVariant PairsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section < 0 || section >= columns || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const bool title = role == Qt::DisplayRole;
    switch (static_cast<Column>(section)) {
    case first:
        return title ? tr("group 1")
                     : tr("The first group of the pair (with a control: the control)");
    case second:
        return title ? tr("group 2") : tr("The second group of the pair");
    case statistic:
        switch (method()) {
        case PairwiseMethod::dunn:
            return title ? tr("z") : tr("Dunn's z: positive when group 1 ranks higher");
        case PairwiseMethod::conover:
            return title ? tr("t") : tr("Conover-Iman's t: positive when group 1 ranks higher");
        case PairwiseMethod::dscf:
            return title ? tr("W*")
                         : tr("The Dwass-Steel-Critchlow-Fligner statistic: the pair ranked on its "
                              "own, positive when group 1 ranks higher");
        }
        break;
    case df:
        return title ? tr("df") : tr("The degrees of freedom of t, N - k");
    case p:
        return title ? tr("p") : tr("The two-sided p of the pair on its own");
    case pAdjusted:
        return title ? tr("adjusted p")
               : method() == PairwiseMethod::dscf
                   ? tr("The p from the studentized range: adjusted for the family already")
                   : tr("The p adjusted for the number of pairs compared");
    case meanRankDifference:
        return title ? tr("mean rank difference")
                     : tr("The mean rank of group 1 minus that of group 2, in the whole ranking");
    case r:
        return title ? tr("r") : tr("The effect size of the pair, z / sqrt(N)");
    case columns:
        break;
    }
    return {};
}

} // namespace kw::app
