#pragma once

#include <QScrollArea>

namespace kw::app {

// A row of controls (the selection panel, the top of a page) in a band that scrolls sideways
// where the window is narrower than the row's layout, so that on a small screen at a large
// scaling or with a large font the window still fits and the controls never overlap. The band
// is as tall as the row, and as much taller as the scroll bar needs while it shows.
class PanelScrollArea final : public QScrollArea {
    Q_OBJECT
public:
    PanelScrollArea(QWidget* panel, QWidget* parent);

    // The narrowest the band may get (0: as narrow as the row's layout allows, never
    // scrolling); a width narrower than the row's minimum lets it scroll.
    void setNarrowest(int width);
    // Whether the band is narrower than the panel and scrolls.
    bool scrolls() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int bandHeight() const;

    int narrowest_ = 0;
    bool scrolled_ = false;
};

} // namespace kw::app
