#include "app/dialogs/readsheetdialog.h"

#include "app/dialogs/celladdressbox.h"
#include "app/dialogs/dialogparts.h"
#include "app/dialogs/helpwindow.h"
#include "app/qtlocale.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace kw::app {

namespace {

constexpr int readSheetHelpPage = 4; // "Read Excel file"

} // namespace

ReadSheetDialog::ReadSheetDialog(SpreadsheetLink* link, LinkFailureDisplay display, QWidget* parent)
    : QDialog(parent, noCloseBox) {
    setObjectName("readSheetDialog");
    setWindowTitle(tr("Read values from Excel"));
    setModal(true);

    chooser_ = new BookSheetChooser(link, std::move(display), tr("Sheet:"), this);
    firstColumnBox_ = new CellAddressBox(CellAddressBox::Part::column, "startcolin", this);
    lastColumnBox_ = new CellAddressBox(CellAddressBox::Part::column, "stopcolin", this);
    firstRowBox_ = new CellAddressBox(CellAddressBox::Part::row, "startrowin", this);
    lastRowBox_ = new CellAddressBox(CellAddressBox::Part::row, "stoprowin", this);
    missingCodeEdit_ = new QLineEdit("-99", this);
    missingCodeEdit_->setObjectName("missvalin");
    missingCodeEdit_->setMaximumWidth(firstRowBox_->sizeHint().width());
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("OKbutton");
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName("CancelButton");
    auto* help = new QPushButton(tr("Help"), this);
    help->setObjectName("helpbut");

    // The captions at the right of their column, the boxes of a row beside each other.
    auto* columnCaption = new QLabel(tr("column (A):"), this);
    auto* rowCaption = new QLabel(tr("row #:"), this);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    auto* block = new QGridLayout;
    block->addWidget(columnCaption, 0, 0, right);
    block->addWidget(firstColumnBox_, 0, 1);
    block->addWidget(new QLabel(tr("through:"), this), 0, 2, right);
    block->addWidget(lastColumnBox_, 0, 3);
    block->addWidget(rowCaption, 1, 0, right);
    block->addWidget(firstRowBox_, 1, 1);
    block->addWidget(new QLabel(tr("through:"), this), 1, 2, right);
    block->addWidget(lastRowBox_, 1, 3);
    block->setColumnStretch(1, 1);
    block->setColumnStretch(3, 1);
    const int captions = std::max({chooser_->captionWidth(), columnCaption->sizeHint().width(),
                                   rowCaption->sizeHint().width()});
    chooser_->setCaptionWidth(captions);
    block->setColumnMinimumWidth(0, captions);

    auto* missing = new QGridLayout;
    missing->addWidget(new QLabel(tr("missing values "), this), 0, 0, 1, 2, Qt::AlignHCenter);
    missing->addWidget(new QLabel(tr("replace with:"), this), 1, 0, right);
    missing->addWidget(missingCodeEdit_, 1, 1, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chooser_);
    layout->addSpacing(layout->spacing());
    layout->addLayout(block);
    layout->addSpacing(layout->spacing());
    layout->addLayout(missing);
    layout->addSpacing(layout->spacing());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The keyboard's order: the block, the buttons, the missing-value text, help, then the
    // book and the sheet.
    setTabOrder(firstColumnBox_, lastColumnBox_);
    setTabOrder(lastColumnBox_, firstRowBox_);
    setTabOrder(firstRowBox_, lastRowBox_);
    setTabOrder(lastRowBox_, ok);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, missingCodeEdit_);
    setTabOrder(missingCodeEdit_, help);
    chooser_->chainTabOrder(help, false);
    firstColumnBox_->setFocus();

    connect(chooser_, &BookSheetChooser::listed, firstColumnBox_, qOverload<>(&QWidget::setFocus));
    connect(chooser_, &BookSheetChooser::bookChosen, this, [this] {
        chooser_->listSheets();
        firstColumnBox_->setFocus();
    });
    connect(chooser_, &BookSheetChooser::sheetChosen, firstColumnBox_,
            qOverload<>(&QWidget::setFocus));
    connect(ok, &QPushButton::clicked, this, &ReadSheetDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &ReadSheetDialog::showHelp);
}

SheetRange ReadSheetDialog::range() const {
    SheetRange range;
    range.sheet = toBytes(chooser_->sheet());
    range.firstColumn = toBytes(firstColumnBox_->text());
    range.lastColumn = toBytes(lastColumnBox_->text());
    range.firstRow = toBytes(firstRowBox_->text());
    range.lastRow = toBytes(lastRowBox_->text());
    range.missingCode = toBytes(missingCodeEdit_->text());
    return range;
}

void ReadSheetDialog::confirm() {
    // The first empty box, in this order, gets the focus instead.
    const std::initializer_list<QLineEdit*> boxes = {firstColumnBox_, lastColumnBox_, lastRowBox_,
                                                     firstRowBox_, missingCodeEdit_};
    for (QLineEdit* box : boxes) {
        if (box->text().isEmpty()) {
            box->setFocus();
            return;
        }
    }
    accept();
}

void ReadSheetDialog::showHelp() {
    HelpWindow::showPage(readSheetHelpPage, this);
}

} // namespace kw::app
