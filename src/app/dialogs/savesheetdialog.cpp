#include "app/dialogs/savesheetdialog.h"

#include "app/dialogs/celladdressbox.h"
#include "app/dialogs/dialogparts.h"
#include "app/qtlocale.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kw::app {

SaveSheetDialog::SaveSheetDialog(SpreadsheetLink* link, LinkFailureDisplay display, QWidget* parent)
    : QDialog(parent, noCloseBox) {
    setObjectName("saveSheetDialog");
    setWindowTitle(tr("Save corrected values to Excel"));
    setModal(true);

    chooser_ = new BookSheetChooser(link, std::move(display), tr("sheet:"), this);
    newBookCheck_ = new QCheckBox(tr("new book"), this);
    newBookCheck_->setObjectName("newbookcheck");
    newSheetCheck_ = new QCheckBox(tr("new sheet"), this);
    newSheetCheck_->setObjectName("newsheetcheck");
    newSheetCheck_->setChecked(true);
    chooser_->putBesideBooks(newBookCheck_);
    chooser_->putBesideSheets(newSheetCheck_);
    chooser_->setSheetsEnabled(false);

    overwriteWarning_ = new QLabel(tr("DATA IN THE SHEET WILL BE OVERWRITTEN"), this);
    overwriteWarning_->setObjectName("sheetwarning");
    QFont loud = overwriteWarning_->font();
    loud.setBold(true);
    loud.setPointSizeF(loud.pointSizeF() * 1.15);
    overwriteWarning_->setFont(loud);
    QPalette red = overwriteWarning_->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    overwriteWarning_->setPalette(red);
    // Its line stays when it is hidden, so that nothing moves when it comes and goes.
    QSizePolicy keep = overwriteWarning_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    overwriteWarning_->setSizePolicy(keep);
    overwriteWarning_->hide();

    columnBox_ = new CellAddressBox(CellAddressBox::Part::column, "colout", this);
    rowBox_ = new CellAddressBox(CellAddressBox::Part::row, "rowout", this);
    auto* columnCaption = new QLabel(tr("column (A):"), this);
    const int captions = std::max(chooser_->captionWidth(), columnCaption->sizeHint().width());
    chooser_->setCaptionWidth(captions);
    columnCaption->setMinimumWidth(captions);
    columnCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* cell = new QHBoxLayout;
    cell->addWidget(columnCaption);
    cell->addWidget(columnBox_);
    cell->addSpacing(cell->spacing() * 2);
    cell->addWidget(new QLabel(tr("row #:"), this));
    cell->addWidget(rowBox_);
    cell->addStretch();

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("OKbut");
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName("cancelbut");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chooser_);
    layout->addWidget(overwriteWarning_);
    layout->addLayout(cell);
    layout->addSpacing(layout->spacing());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The keyboard's order: the cell, the buttons, then the sheet, the book and the checks.
    setTabOrder(columnBox_, rowBox_);
    setTabOrder(rowBox_, ok);
    setTabOrder(ok, cancel);
    chooser_->chainTabOrder(cancel, true, newBookCheck_);
    setTabOrder(newBookCheck_, newSheetCheck_);
    columnBox_->setFocus();

    connect(chooser_, &BookSheetChooser::listed, columnBox_, qOverload<>(&QWidget::setFocus));
    connect(chooser_, &BookSheetChooser::bookChosen, this, [this] {
        // The sheets offered are those of the book chosen, when a sheet of it is wanted.
        if (!newSheetCheck_->isChecked()) {
            chooser_->listSheets();
        }
    });
    connect(chooser_, &BookSheetChooser::sheetChosen, columnBox_, qOverload<>(&QWidget::setFocus));
    connect(newBookCheck_, &QCheckBox::toggled, this, &SaveSheetDialog::chooseNewBook);
    connect(newSheetCheck_, &QCheckBox::toggled, this, &SaveSheetDialog::chooseNewSheet);
    connect(ok, &QPushButton::clicked, this, &SaveSheetDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

SheetTarget SaveSheetDialog::target() const {
    SheetTarget target;
    target.newBook = newBookCheck_->isChecked();
    target.book = toBytes(chooser_->book());
    target.newSheet = newSheetCheck_->isChecked();
    target.sheet = toBytes(chooser_->sheet());
    target.column = toBytes(columnBox_->text());
    target.row = toBytes(rowBox_->text());
    return target;
}

void SaveSheetDialog::chooseNewSheet(bool fresh) {
    overwriteWarning_->setVisible(!fresh);
    if (fresh) {
        chooser_->clearSheets();
        chooser_->setSheetsEnabled(false);
    } else {
        chooser_->setSheetsEnabled(true);
        chooser_->listSheets();
    }
}

void SaveSheetDialog::chooseNewBook(bool fresh) {
    // A new book always gets a new sheet.
    if (fresh) {
        chooser_->clearBooks();
        chooser_->setBooksEnabled(false);
        newSheetCheck_->setChecked(true);
        newSheetCheck_->setEnabled(false);
    } else {
        chooser_->setBooksEnabled(true);
        chooser_->listBooks();
        newSheetCheck_->setChecked(true);
        newSheetCheck_->setEnabled(true);
    }
}

void SaveSheetDialog::confirm() {
    for (CellAddressBox* box : {columnBox_, rowBox_}) {
        if (box->text().isEmpty()) {
            box->setFocus();
            return;
        }
    }
    accept();
}

} // namespace kw::app
