#pragma once

#include "app/pages/gridview.h"

namespace kw::app {

// A table of the details page over a sortable copy of its model: as tall as its rows up to
// `shownRows` of them, at least a few, and no taller than all of them, so that the page lays
// out the tables by what they hold; the columns as wide as their texts (within limits), the
// first (the group) kept in sight while the others scroll.
class DetailsTableView final : public GridView {
    Q_OBJECT
public:
    DetailsTableView(const QString& name, QAbstractItemModel* model, int shownRows,
                     QWidget* parent = nullptr);

    // The columns fitted to their texts (unless the user sized them since the model changed),
    // and the height to the rows, after the model changed.
    void fitContents();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitHeight();
    int heightFor(int rows) const;

    int shownRows_;
    bool overflows_ = true; // the columns are wider than the view: room for the scroll bar
};

} // namespace kw::app
