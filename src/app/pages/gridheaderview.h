#pragma once

#include <QHeaderView>

class QStyleOptionHeaderV2;

namespace kw::app {

// The headers of the window's grids. A text wider than its section is elided at its end and
// set to the left, so that names that differ only at their end still differ where they start
// (high_dose_tre…, low_dose_trea…); the whole text shows as a tooltip where it is cut or where
// the model explains the header.
//
// Row headers (vertical) are as wide as their texts up to a limit, and the user widens or
// narrows them by dragging their right edge (a double-click there fits them again), since
// they are the first column of their grid.
class GridHeaderView final : public QHeaderView {
    Q_OBJECT
public:
    explicit GridHeaderView(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Row headers: the narrowest their fitted width gets (the corner's text above them).
    void setLeastWidth(int width);
    // Row headers: the width the user dragged them to; 0 when fitted to their texts.
    int userWidth() const { return userWidth_; }
    void setUserWidth(int width);

    // Whether section `logical` shows its whole text.
    bool textFits(int logical) const;
    // The text section `logical` shows: its own, or its beginning and an ellipsis.
    QString shownText(int logical) const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The option that paints section `logical` in `rect`, its text elided to its label.
    void shownOption(QStyleOptionHeaderV2& option, const QRect& rect, int logical,
                     bool* fits) const;
    QRect sectionRect(int logical) const;
    bool onRightEdge(const QPoint& pos) const;

    int leastWidth_ = 0;
    int userWidth_ = 0;
    bool dragging_ = false;
};

} // namespace kw::app
