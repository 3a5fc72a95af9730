#include "app/dialogs/booksheetchooser.h"

#include "app/qtlocale.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace kw::app {

namespace {

// Fills a box with a listing and selects its active entry.
void showListing(QComboBox* box, const SpreadsheetLink::Listing& listing) {
    const QSignalBlocker block(box);
    box->clear();
    for (const std::string& name : listing.names) {
        box->addItem(qText(name));
    }
    box->setCurrentIndex(listing.active);
}

void empty(QComboBox* box) {
    const QSignalBlocker block(box);
    box->clear();
    box->setCurrentIndex(-1);
}

} // namespace

BookSheetChooser::BookSheetChooser(SpreadsheetLink* link, LinkFailureDisplay display,
                                   const QString& sheetCaption, QWidget* parent)
    : QWidget(parent), link_(link), display_(std::move(display)) {
    bookCaption_ = new QLabel(tr("book:"), this);
    sheetCaption_ = new QLabel(sheetCaption, this);
    bookBox_ = new QComboBox(this);
    bookBox_->setObjectName("booksbox");
    sheetBox_ = new QComboBox(this);
    sheetBox_->setObjectName("sheetbox");
    for (QComboBox* box : {bookBox_, sheetBox_}) {
        // Names of any length fit: the dialog sets the box's width, not its longest name.
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(14);
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    bookCaption_->setBuddy(bookBox_);
    sheetCaption_->setBuddy(sheetBox_);
    grid_ = new QGridLayout(this);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->addWidget(bookCaption_, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid_->addWidget(bookBox_, 0, 1);
    grid_->addWidget(sheetCaption_, 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid_->addWidget(sheetBox_, 1, 1);
    grid_->setColumnStretch(1, 1);

    connect(bookBox_, qOverload<int>(&QComboBox::activated), this, &BookSheetChooser::chooseBook);
    connect(sheetBox_, qOverload<int>(&QComboBox::activated), this, &BookSheetChooser::sheetChosen);
}

void BookSheetChooser::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Once, after the dialog is on the screen, so that a failure shows over it.
    if (!shown_) {
        shown_ = true;
        QTimer::singleShot(0, this, [this] {
            if (listBooks()) {
                listSheets();
            }
            emit listed();
        });
    }
}

bool BookSheetChooser::ask(const std::function<void()>& call, QComboBox* box) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        call();
        QApplication::restoreOverrideCursor();
        return true;
    } catch (const Failure& failure) {
        QApplication::restoreOverrideCursor();
        if (box != nullptr) {
            empty(box);
        }
        if (display_) {
            display_(failure);
        }
        return false;
    }
}

bool BookSheetChooser::listBooks() {
    return ask([this] { showListing(bookBox_, link_->listBooks()); }, bookBox_);
}

bool BookSheetChooser::listSheets() {
    return ask([this] { showListing(sheetBox_, link_->listSheets()); }, sheetBox_);
}

void BookSheetChooser::clearBooks() {
    empty(bookBox_);
}

void BookSheetChooser::clearSheets() {
    empty(sheetBox_);
}

void BookSheetChooser::setBooksEnabled(bool enabled) {
    bookBox_->setEnabled(enabled);
}

void BookSheetChooser::setSheetsEnabled(bool enabled) {
    sheetBox_->setEnabled(enabled);
}

QString BookSheetChooser::book() const {
    return bookBox_->currentText();
}

QString BookSheetChooser::sheet() const {
    return sheetBox_->currentText();
}

void BookSheetChooser::putBesideBooks(QWidget* widget) {
    grid_->addWidget(widget, 0, 2);
}

void BookSheetChooser::putBesideSheets(QWidget* widget) {
    grid_->addWidget(widget, 1, 2);
}

int BookSheetChooser::captionWidth() const {
    return std::max(bookCaption_->sizeHint().width(), sheetCaption_->sizeHint().width());
}

void BookSheetChooser::setCaptionWidth(int width) {
    grid_->setColumnMinimumWidth(0, width);
}

void BookSheetChooser::chainTabOrder(QWidget* previous, bool sheetsFirst, QWidget* next) {
    QWidget* first = sheetsFirst ? sheetBox_ : bookBox_;
    QWidget* second = sheetsFirst ? bookBox_ : sheetBox_;
    QWidget::setTabOrder(previous, first);
    QWidget::setTabOrder(first, second);
    if (next != nullptr) {
        QWidget::setTabOrder(second, next);
    }
}

void BookSheetChooser::chooseBook(int position) {
    // The chosen book becomes the active one, so that its sheets are the ones listed.
    if (position >= 0) {
        const std::string book = toBytes(bookBox_->itemText(position));
        ask([this, &book] { link_->selectBook(book); }, nullptr);
    }
    emit bookChosen();
}

} // namespace kw::app
