#pragma once

#include "core/stats/details.h"

#include <QAbstractTableModel>

#include <memory>

namespace kw::app {

// The pairwise comparisons of the details page, one row per pair as computed: the two
// groups, the statistic (z, t or W* by the method), its df (Conover-Iman), p, adjusted p,
// the difference of the mean ranks and r (Dunn). A column that the method does not give
// stays empty; the view hides it.
class PairsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { first, second, statistic, df, p, pAdjusted, meanRankDifference, r, columns };

    explicit PairsModel(QObject* parent = nullptr);

    void setDetails(std::shared_ptr<const Details> details, char decimal);
    // Whether the method of the pairs shown gives this column.
    bool hasColumn(Column column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    PairwiseMethod method() const;

    std::shared_ptr<const Details> details_;
    char decimal_ = '.';
};

} // namespace kw::app
