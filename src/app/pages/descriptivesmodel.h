#pragma once

#include "core/stats/details.h"

#include <QAbstractTableModel>

#include <memory>

namespace kw::app {

// The descriptives of the details page, one row per group in the groups' order: the group,
// its letters, n, median, quartiles, extremes, mean rank and rank sum.
class DescriptivesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { group, letters, n, median, q1, q3, min, max, meanRank, rankSum, columns };

    explicit DescriptivesModel(QObject* parent = nullptr);

    // What to show (nothing: no rows), numbers with `decimal` as the decimal mark.
    void setDetails(std::shared_ptr<const Details> details, char decimal);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::shared_ptr<const Details> details_;
    char decimal_ = '.';
};

} // namespace kw::app
