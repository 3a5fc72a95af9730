#include "app/pages/gridview.h"

#include "app/dialogs/filedialogs.h"
#include "app/dialogs/messagebox.h"
#include "app/pages/columnfit.h"
#include "app/pages/frozencolumnview.h"
#include "app/pages/gridcopy.h"
#include "app/pages/griddelegate.h"
#include "app/pages/gridheaderview.h"
#include "app/settings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QSaveFile>
#include <QScrollBar>

#include <algorithm>
#include <memory>
#include <vector>

namespace kw::app {

namespace {

// Cells a fit measures in all at most: with many columns, fewer rows each.
constexpr int measuredCells = 20000;

} // namespace

GridView::GridView(QWidget* parent) : QTableView(parent) {
    for (auto orientation : {Qt::Horizontal, Qt::Vertical}) {
        auto* header = new GridHeaderView(orientation, this);
        header->setSectionsClickable(true);
        header->setHighlightSections(true);
        // What a double-click on a column's edge measures: never every row.
        header->setResizeContentsPrecision(sampledRows);
        if (orientation == Qt::Horizontal) {
            setHorizontalHeader(header);
        } else {
            setVerticalHeader(header);
        }
    }
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setItemDelegate(new GridDelegate(this));
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setFocusPolicy(Qt::StrongFocus);
    // The user's sizes: a drag on a header's edge, or a double-click there. (Sections also
    // resize when a column is hidden or shown, or the default size changes: not the user's.)
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!fitting_ && headerPressed_) {
            userSized_ = true;
        }
    });
    horizontalHeader()->viewport()->installEventFilter(this);
    connect(horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this,
            [this] { userSized_ = true; });

    // The context menu's commands; their keys work where the grid has the focus (a cell's
    // editor keeps its own).
    auto command = [this](const QString& text, const char* name, QKeySequence key, auto slot) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        if (!key.isEmpty()) {
            action->setShortcut(key);
            action->setShortcutContext(Qt::WidgetShortcut);
            addAction(action);
        }
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    copyAction_ =
        command(tr("&Copy"), "copyCells", QKeySequence::Copy, [this] { copySelection(false); });
    copyHeadersAction_ =
        command(tr("Copy with &headers"), "copyCellsWithHeaders",
                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { copySelection(true); });
    selectAllAction_ = command(tr("Select &all"), "selectAllCells", QKeySequence::SelectAll,
                               [this] { selectAll(); });
    saveCsvAction_ = command(tr("&Save as CSV..."), "saveGridCsv", {}, [this] { saveAsCsv(); });
}

GridHeaderView* GridView::rowHeader() const {
    return static_cast<GridHeaderView*>(verticalHeader());
}

QTableView* GridView::frozenColumn() const {
    return frozen_;
}

void GridView::setModel(QAbstractItemModel* model) {
    if (model == this->model()) {
        return;
    }
    if (this->model() != nullptr) {
        disconnect(this->model(), nullptr, this, nullptr);
    }
    QTableView::setModel(model);
    // Connected after the headers (which reset their sections first).
    if (model != nullptr) {
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &GridView::beforeReset);
        connect(model, &QAbstractItemModel::modelReset, this, &GridView::afterReset);
    }
    if (frozen_ != nullptr) {
        frozen_->follow();
    }
    fitColumns();
}

QStringList GridView::headerTexts() const {
    QStringList texts;
    const QAbstractItemModel* m = model();
    for (int c = 0; m != nullptr && c < m->columnCount(rootIndex()); ++c) {
        texts << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    return texts;
}

void GridView::beforeReset() {
    keptHeaders_.clear();
    keptWidths_.clear();
    if (userSized_) {
        keptHeaders_ = headerTexts();
        for (int c = 0; c < keptHeaders_.size(); ++c) {
            keptWidths_ << columnWidth(c);
        }
    }
}

void GridView::afterReset() {
    // The same columns again (a new calculation on the same groups, a cell edited): the
    // widths the user gave them stay.
    if (!keptHeaders_.isEmpty() && headerTexts() == keptHeaders_) {
        fitting_ = true;
        for (int c = 0; c < keptWidths_.size(); ++c) {
            setColumnWidth(c, keptWidths_[c]);
        }
        fitting_ = false;
        if (frozen_ != nullptr) {
            frozen_->follow();
        }
    } else {
        fitColumns();
    }
    keptHeaders_.clear();
    keptWidths_.clear();
    if (hasFocus()) {
        ensureCurrentCell();
    }
}

void GridView::fitColumns() {
    const QAbstractItemModel* m = model();
    userSized_ = false;
    if (m == nullptr) {
        return;
    }
    const int columns = m->columnCount(rootIndex());
    const int rows = m->rowCount(rootIndex());
    if (columns == 0) {
        return;
    }
    // The rows in sight and those below them, then the first ones.
    const int perColumn = std::clamp(measuredCells / columns, 3, sampledRows);
    std::vector<int> sample;
    const int top = std::max(0, rowAt(0));
    for (int r = top; r < rows && static_cast<int>(sample.size()) < perColumn; ++r) {
        sample.push_back(r);
    }
    for (int r = 0; r < std::min(top, rows) && static_cast<int>(sample.size()) < perColumn; ++r) {
        sample.push_back(r);
    }

    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int limit = columnWidthLimit(*this);
    const int least = narrowestColumn(*this);
    const int gridLine = showGrid() ? 1 : 0;
    const QHeaderView* header = horizontalHeader();
    fitting_ = true;
    for (int c = 0; c < columns; ++c) {
        // A hidden column keeps its width for when it is shown.
        int width = header->isHidden() ? 0 : header->sectionSizeHint(c);
        for (const int r : sample) {
            if (width >= limit) {
                break;
            }
            const QModelIndex index = m->index(r, c, rootIndex());
            width = std::max(width, itemDelegateForIndex(index)->sizeHint(option, index).width() +
                                        gridLine);
        }
        // A frozen first column leaves most of a narrow view to the columns that scroll.
        const int widest = c == 0 && frozen_ != nullptr && viewport()->width() > 4 * least
                               ? std::min(limit, viewport()->width() * 2 / 5)
                               : limit;
        setColumnWidth(c, std::clamp(width + padding_, least, widest));
    }
    fitting_ = false;
    if (frozen_ != nullptr) {
        frozen_->follow();
    }
}

void GridView::setFrozenFirstColumn(bool frozen) {
    if (frozen == (frozen_ != nullptr)) {
        return;
    }
    if (frozen) {
        // Scrolled by pixels, so that no column hides half under the frozen one.
        setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        frozen_ = new FrozenColumnView(this);
        frozen_->horizontalHeader()->viewport()->installEventFilter(this);
        frozen_->viewport()->installEventFilter(this); // its context menu is the grid's
        frozen_->follow();
    } else {
        delete frozen_;
        frozen_ = nullptr;
    }
}

void GridView::setAccessibleTexts(const QString& name, const QString& description) {
    setAccessibleName(name);
    setAccessibleDescription(description);
    if (frozen_ != nullptr) {
        frozen_->follow();
    }
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (frozen_ == nullptr || frozen_->isHidden() || !index.isValid()) {
        QTableView::scrollTo(index, hint);
        return;
    }
    QScrollBar* across = horizontalScrollBar();
    const int before = across->value();
    QTableView::scrollTo(index, hint);
    if (index.column() == 0) {
        across->setValue(before); // in sight in the frozen column wherever the grid is
        return;
    }
    // Not under the frozen column.
    const int covered = frozen_->width();
    const int left = columnViewportPosition(index.column());
    if (left < covered) {
        across->setValue(across->value() - (covered - left));
    }
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu && frozen_ != nullptr &&
        watched == frozen_->viewport()) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        showContextMenu(viewport()->mapFromGlobal(menuEvent->globalPos()));
        return true;
    }
    // A header held down by the mouse: what resizes a column then is the user's drag.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        if (watched == horizontalHeader()->viewport() ||
            (frozen_ != nullptr && watched == frozen_->horizontalHeader()->viewport())) {
            headerPressed_ = event->type() == QEvent::MouseButtonPress;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void GridView::updateGeometries() {
    QTableView::updateGeometries();
    if (frozen_ != nullptr) {
        frozen_->follow();
    }
}

void GridView::ensureCurrentCell() {
    // A current cell (framed) to start from where the keyboard arrives: the top-left one in
    // sight.
    const QAbstractItemModel* m = model();
    if (currentIndex().isValid() || m == nullptr || m->rowCount(rootIndex()) == 0 ||
        m->columnCount(rootIndex()) == 0) {
        return;
    }
    const int row = std::max(rowAt(0), 0);
    const int column = frozen_ != nullptr && !frozen_->isHidden() ? 0 : std::max(columnAt(0), 0);
    selectionModel()->setCurrentIndex(m->index(row, column, rootIndex()),
                                      QItemSelectionModel::NoUpdate);
}

void GridView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason) {
        ensureCurrentCell();
    }
    if (frozen_ != nullptr) {
        frozen_->viewport()->update(); // its current cell's frame
    }
}

void GridView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    if (frozen_ != nullptr) {
        frozen_->viewport()->update();
    }
}

// --- Copy and the context menu

void GridView::copySelection(bool withHeaders) {
    if (model() == nullptr) {
        return;
    }
    CopiedCells copied;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        copied = copiedCells(*this, withHeaders);
        QApplication::restoreOverrideCursor();
    }
    if (copied.text.isEmpty() && copied.rows == 0 && !withHeaders) {
        return;
    }
    auto* data = new QMimeData;
    data->setText(copied.text);
    if (!copied.html.isEmpty()) {
        data->setHtml(copied.html);
    }
    QGuiApplication::clipboard()->setMimeData(data);
    if (copied.rows < copied.allRows) {
        const QLocale locale;
        MessageBox box(QMessageBox::Information, programCaption(),
                       tr("The clipboard holds the first %1 of the %2 rows selected: a copy "
                          "takes at most %3 cells.")
                           .arg(locale.toString(copied.rows), locale.toString(copied.allRows),
                                locale.toString(maxCopiedCells)),
                       QMessageBox::Ok, this);
        box.setObjectName("copycut");
        box.exec();
    }
}

void GridView::saveAsCsv() {
    if (model() == nullptr) {
        return;
    }
    const QString path = askCsvFileToWrite(this, lastFolder());
    if (path.isEmpty()) {
        return;
    }
    const QString shown = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        showFailure(tr("cannot write the file %1: %2").arg(shown, file.errorString()), this);
        return;
    }
    // A grid of many rows (the data of millions of cases) shows how far it has come and may
    // be stopped.
    const int rows = model()->rowCount(rootIndex());
    std::unique_ptr<QProgressDialog> progress;
    if (rows > 100000) {
        progress = std::make_unique<QProgressDialog>(tr("Saving %1").arg(shown), tr("Cancel"), 0,
                                                     rows, this);
        progress->setObjectName("csvprogress");
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(500);
    }
    const bool written = writeGridCsv(*this, file, [&](int done, int) {
        if (!progress) {
            return true;
        }
        progress->setValue(done);
        return !progress->wasCanceled();
    });
    if (progress && progress->wasCanceled()) {
        file.cancelWriting();
        return;
    }
    if (!written || !file.commit()) {
        showFailure(tr("cannot write the file %1: %2").arg(shown, file.errorString()), this);
    }
}

QMenu* GridView::showContextMenu(const QPoint& pos) {
    auto* menu = new QMenu(this);
    menu->setObjectName("gridContextMenu");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool cells = model() != nullptr && model()->rowCount(rootIndex()) > 0 &&
                       model()->columnCount(rootIndex()) > 0;
    copyAction_->setEnabled(cells &&
                            (selectionModel()->hasSelection() || currentIndex().isValid()));
    copyHeadersAction_->setEnabled(copyAction_->isEnabled());
    selectAllAction_->setEnabled(cells);
    saveCsvAction_->setEnabled(model() != nullptr && model()->columnCount(rootIndex()) > 0);
    menu->addAction(copyAction_);
    menu->addAction(copyHeadersAction_);
    menu->addAction(selectAllAction_);
    menu->addSeparator();
    menu->addAction(saveCsvAction_);
    menu->popup(viewport()->mapToGlobal(pos));
    return menu;
}

void GridView::contextMenuEvent(QContextMenuEvent* event) {
    QPoint pos = viewport()->mapFromGlobal(event->globalPos());
    if (event->reason() != QContextMenuEvent::Mouse) {
        // From the keyboard: at the current cell where it is in sight.
        const QRect cell = visualRect(currentIndex());
        pos = cell.isValid() && viewport()->rect().intersects(cell) ? cell.center() : QPoint(0, 0);
    } else {
        // A click outside the selection selects the cell clicked, as spreadsheets do.
        const QModelIndex clicked = indexAt(pos);
        if (clicked.isValid() && !selectionModel()->isSelected(clicked)) {
            selectionModel()->setCurrentIndex(clicked, QItemSelectionModel::ClearAndSelect);
        }
    }
    showContextMenu(pos);
    event->accept();
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelection(false); // the whole block, not only the current cell
        return;
    }
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(),
                                    viewport()->mapToGlobal(QPoint(0, 0)));
        contextMenuEvent(&menuEvent);
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace kw::app
