#pragma once

#include <QList>
#include <QStringList>
#include <QTableView>

class QAction;
class QMenu;

namespace kw::app {

class FrozenColumnView;
class GridHeaderView;

// A table view of the window's grids. Its columns are fitted to their header and to a sample
// of their rows (those in sight and the first ones: never all the rows of a table of
// millions) up to a limit, whenever the model is reset; the user resizes every column, and a
// grid whose headers stay the same keeps the widths the user gave it. Cells and headers elide
// a long text at its end, whole in a tooltip. The header row stays in place while scrolling;
// the first column too: the row headers where the first column is one, else a frozen copy of
// the first column (setFrozenFirstColumn).
//
// Ctrl+C copies the selected block as tab-separated text and as an HTML table (gridcopy), so
// that it pastes as cells into a spreadsheet or a word processor; a context menu (right-click,
// the Menu key, Shift+F10, on the frozen column too) offers Copy, Copy with headers, Select all
// and Save as CSV.
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // Fits the columns to their texts again, within limits (what a model reset does).
    void fitColumns();
    // Whether the user resized a column since the last fit.
    bool userSizedColumns() const { return userSized_; }
    // Room added to every fitted column (between neighbouring numbers).
    void setColumnPadding(int padding) { padding_ = padding; }
    // Keeps the first column in place over the left edge while the others scroll.
    void setFrozenFirstColumn(bool frozen);
    // The view that keeps the first column in place, if the grid has one.
    QTableView* frozenColumn() const;
    GridHeaderView* rowHeader() const;

    // The name and description screen readers give the grid.
    void setAccessibleTexts(const QString& name, const QString& description);

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // Puts the selected block on the clipboard (see copiedCells); a block cut short at the
    // most a copy takes is said in a message.
    void copySelection(bool withHeaders);
    // "Save as CSV...": the whole grid into a file the user names (see writeGridCsv).
    void saveAsCsv();
    // Opens the context menu at `pos` (viewport coordinates); it closes itself.
    QMenu* showContextMenu(const QPoint& pos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void updateGeometries() override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void beforeReset();
    void afterReset();
    QStringList headerTexts() const;
    void ensureCurrentCell();

    QAction* copyAction_;
    QAction* copyHeadersAction_;
    QAction* selectAllAction_;
    QAction* saveCsvAction_;
    FrozenColumnView* frozen_ = nullptr;
    bool fitting_ = false;   // widths set by the grid, not by the user
    bool userSized_ = false; // the user resized a column since the last fit
    bool headerPressed_ = false;
    int padding_ = 0;
    QStringList keptHeaders_;
    QList<int> keptWidths_;
};

} // namespace kw::app
