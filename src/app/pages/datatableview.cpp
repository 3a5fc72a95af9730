#include "app/pages/datatableview.h"

#include "app/pages/columnfit.h"
#include "app/pages/cornerlabel.h"
#include "app/pages/datatablemodel.h"
#include "app/pages/gridheaderview.h"
#include "app/pages/resultgridview.h"
#include "app/qtlocale.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace kw::app {

DataTableView::DataTableView(Session& session, QWidget* parent)
    : GridView(parent), session_(session) {
    setObjectName("inputgrid");
    model_ = new DataTableModel(session, this);
    setModel(model_);
    ResultGridView::setCellSizes(this, ResultGridView::cellChars);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    corner_ = new CornerLabel(this);
    // Room for the corner's label ("no data", "input") beside the case numbers.
    rowHeader()->setLeastWidth(fontMetrics().horizontalAdvance("no data") + 12);
    setAccessibleTexts(tr("Data table"), tr("The data: one variable per column, one case per "
                                            "row. Type in a cell to change its value."));
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, &DataTableView::editName);
    // The editor sits over its header section: when the sections move, it is done.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this] { finishNameEdit(true); });
    connect(horizontalScrollBar(), &QAbstractSlider::valueChanged, this,
            [this] { finishNameEdit(true); });
    connect(model_, &DataTableModel::valueChanged, this, [this] {
        if (committing_) {
            committedChange_ = true;
        }
    });
}

void DataTableView::setCellsLock(std::mutex* lock) {
    model_->setCellsLock(lock);
}

void DataTableView::commitData(QWidget* editor) {
    // What the user typed, told apart from the model's changes by other callers.
    committing_ = true;
    committedChange_ = false;
    GridView::commitData(editor);
    committing_ = false;
    if (std::exchange(committedChange_, false)) {
        emit cellTyped();
    }
}

void DataTableView::reload() {
    finishNameEdit(false);
    model_->reload(); // the columns are fitted on the reset
    const QString label = qText(session_.table().label());
    corner_->setText(label);
    const int room = std::max(fontMetrics().horizontalAdvance(label),
                              fontMetrics().horizontalAdvance("no data"));
    rowHeader()->setLeastWidth(std::min(room + 12, columnWidthLimit(*this)));
}

void DataTableView::setEditable(bool editable) {
    if (!editable) {
        finishNameEdit(false);
    }
    editable_ = editable;
    model_->setEditable(editable);
}

void DataTableView::setNamesEditable(bool editable) {
    if (!editable) {
        finishNameEdit(false);
    }
    namesEditable_ = editable;
    model_->setNamesEditable(editable);
}

DataTableView::~DataTableView() {
    // A name being edited is dropped: the editor would otherwise lose its focus while the
    // base class takes the widgets down, and report its end to a view that is half gone.
    if (nameEditor_ != nullptr) {
        nameEditor_->disconnect(this);
        nameEditor_->removeEventFilter(this);
        delete nameEditor_;
        nameEditor_ = nullptr;
    }
}

void DataTableView::editName(int col) {
    if (!namesEditable_ || !editable_ || col < 0 || col >= model_->columnCount()) {
        return;
    }
    finishNameEdit(true);
    QHeaderView* header = horizontalHeader();
    scrollTo(model_->index(std::max(rowAt(0), 0), col)); // the column in sight
    nameColumn_ = col;
    nameEditor_ = new QLineEdit(header->viewport());
    nameEditor_->setObjectName("nameeditor");
    nameEditor_->setAccessibleName(tr("Variable name"));
    nameEditor_->setText(qText(session_.table().name(col + 1)));
    nameEditor_->setGeometry(header->sectionViewportPosition(col), 0, header->sectionSize(col),
                             header->height());
    nameEditor_->installEventFilter(this);
    connect(nameEditor_, &QLineEdit::editingFinished, this, [this] { finishNameEdit(true); });
    nameEditor_->selectAll();
    nameEditor_->show();
    nameEditor_->setFocus();
}

bool DataTableView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == nameEditor_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        finishNameEdit(false);
        return true;
    }
    return GridView::eventFilter(watched, event);
}

void DataTableView::finishNameEdit(bool take) {
    if (nameEditor_ == nullptr) {
        return;
    }
    // Cleared first: hiding the editor, and the message a refused name shows, finish the
    // edit again.
    QLineEdit* editor = std::exchange(nameEditor_, nullptr);
    const int col = nameColumn_ + 1;
    const QString name = editor->text();
    const bool hadFocus = editor->hasFocus();
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    if (hadFocus) {
        setFocus();
    }
    if (take && col <= session_.table().variableCount() &&
        name != qText(session_.table().name(col))) {
        emit nameEdited(col, name);
    }
}

} // namespace kw::app
