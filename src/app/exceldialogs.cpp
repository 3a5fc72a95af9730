#include "exceldialogs.h"

#include "helpwindow.h"
#include "qtlocale.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <initializer_list>

namespace kw::app {

namespace {

constexpr Qt::WindowFlags noclosebox = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
constexpr int readexcelhelppage = 4;
constexpr int controlheight = 22;
constexpr int buttonheight = 26;

QFont pixelfont(const QFont& base, int pixels, bool bold = false) {
    QFont f = base;
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// A label at (left, top). With `right`, the label ends before that x (the box it names): the
// font shrinks where the desktop's font is wider than the layout was drawn for.
QLabel* place(const QString& text, QWidget* parent, int left, int top, int right = 0) {
    auto* label = new QLabel(text, parent);
    int pixels = 13;
    label->setFont(pixelfont(parent->font(), pixels));
    label->adjustSize();
    while (right > 0 && left + label->width() > right - 2 && pixels > 9) {
        label->setFont(pixelfont(parent->font(), --pixels));
        label->adjustSize();
    }
    if (right > 0 && left + label->width() > right - 2) {
        left = std::max(0, right - 2 - label->width());
    }
    label->move(left, top + (13 - pixels) / 2); // a smaller font keeps its line's middle
    return label;
}

template <typename Widget>
Widget* place(Widget* widget, const char* name, int left, int top, int width,
              int height = controlheight) {
    widget->setObjectName(name);
    widget->setGeometry(left, top, width, height);
    return widget;
}

QComboBox* combobox(QWidget* parent, const char* name, int left, int top, int width) {
    auto* box = place(new QComboBox(parent), name, left, top, width);
    box->setEditable(false);
    return box;
}

void taborder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, w);
        }
        previous = w;
    }
}

void centre(QWidget* dialog) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    }
}

// Fills a box with a listing and selects its active entry.
void showlisting(QComboBox* box, const SpreadsheetLink::Listing& listing) {
    const QSignalBlocker block(box);
    box->clear();
    for (const std::string& name : listing.names) {
        box->addItem(qtext(name));
    }
    box->setCurrentIndex(listing.active);
}

void empty(QComboBox* box) {
    const QSignalBlocker block(box);
    box->clear();
    box->setCurrentIndex(-1);
}

// Runs a call of the link with the wait cursor; a failure goes to the display and leaves the
// box empty. Whether the call succeeded.
template <typename Call>
bool linkcall(const LinkFailureDisplay& display, QComboBox* box, Call call) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        call();
        QApplication::restoreOverrideCursor();
        return true;
    } catch (const Failure& f) {
        QApplication::restoreOverrideCursor();
        if (box != nullptr) {
            empty(box);
        }
        if (display) {
            display(f);
        }
        return false;
    }
}

void filterlast(QLineEdit* box, bool letters) {
    QString text = box->text();
    if (text.isEmpty()) {
        return;
    }
    if (letters) {
        text = text.toUpper();
    }
    const QChar last = text.back();
    const bool good = letters ? (last >= u'A' && last <= u'Z') : (last >= u'0' && last <= u'9');
    if (!good) {
        text.chop(1);
    }
    if (text != box->text()) {
        const QSignalBlocker block(box);
        box->setText(text);
    }
    box->setCursorPosition(static_cast<int>(text.size()));
}

} // namespace

void filtercolumn(QLineEdit* box) {
    filterlast(box, true);
}

void filterrow(QLineEdit* box) {
    filterlast(box, false);
}

// --- Reading a block

Treadexcelform::Treadexcelform(SpreadsheetLink* link, LinkFailureDisplay display, QWidget* parent)
    : QDialog(parent, noclosebox), link_(link), display_(std::move(display)) {
    setObjectName("Treadexcelform");
    setWindowTitle("Read values from Excel");
    setModal(true);
    setFont(pixelfont(font(), 11));

    place("book:", this, 36, 13, 77);
    booksbox_ = combobox(this, "booksbox", 77, 12, 139);
    place("Sheet:", this, 29, 47, 77);
    sheetbox_ = combobox(this, "sheetbox", 77, 46, 140);
    place("column (A):", this, 11, 88, 80);
    startcolin_ = place(new QLineEdit(this), "startcolin", 80, 84, 43);
    place("through:", this, 125, 87, 173);
    stopcolin_ = place(new QLineEdit(this), "stopcolin", 173, 84, 43);
    place("row #:", this, 39, 121, 78);
    startrowin_ = place(new QLineEdit(this), "startrowin", 78, 119, 43);
    place("through:", this, 124, 121, 171);
    stoprowin_ = place(new QLineEdit(this), "stoprowin", 171, 119, 43);
    place("missing values ", this, 46, 155);
    place("replace with:", this, 63, 175, 152);
    missvalin_ = place(new QLineEdit("-99", this), "missvalin", 152, 174, 48);
    auto* ok = place(new QPushButton("OK", this), "OKbutton", 6, 207, 58, buttonheight);
    auto* cancel =
        place(new QPushButton("Cancel", this), "CancelButton", 83, 206, 58, buttonheight);
    auto* help = place(new QPushButton("Help", this), "helpbut", 160, 206, 58, buttonheight);
    ok->setDefault(true);

    taborder({startcolin_, stopcolin_, startrowin_, stoprowin_, ok, cancel, missvalin_, help,
              booksbox_, sheetbox_});

    connect(booksbox_, qOverload<int>(&QComboBox::activated), this,
            &Treadexcelform::booksboxChange);
    connect(sheetbox_, qOverload<int>(&QComboBox::activated), this,
            &Treadexcelform::sheetboxChange);
    connect(startcolin_, &QLineEdit::textChanged, this, [this] { filtercolumn(startcolin_); });
    connect(stopcolin_, &QLineEdit::textChanged, this, [this] { filtercolumn(stopcolin_); });
    connect(startrowin_, &QLineEdit::textChanged, this, [this] { filterrow(startrowin_); });
    connect(stoprowin_, &QLineEdit::textChanged, this, [this] { filterrow(stoprowin_); });
    connect(ok, &QPushButton::clicked, this, &Treadexcelform::OKbuttonClick);
    connect(cancel, &QPushButton::clicked, this, &Treadexcelform::CancelButtonClick);
    connect(help, &QPushButton::clicked, this, &Treadexcelform::helpbutClick);

    setFixedSize(231, 268);
    centre(this);
}

void Treadexcelform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once per opening, after the dialog is on the screen, so that a failure shows over it.
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &Treadexcelform::FormActivate);
    }
}

void Treadexcelform::FormActivate() {
    // With no spreadsheet to talk to, one message is enough.
    if (readbooks()) {
        readsheets();
    } else {
        startcolin_->setFocus();
    }
}

bool Treadexcelform::readbooks() {
    return linkcall(display_, booksbox_, [this] { showlisting(booksbox_, link_->listbooks()); });
}

void Treadexcelform::readsheets() {
    linkcall(display_, sheetbox_, [this] { showlisting(sheetbox_, link_->listsheets()); });
    startcolin_->setFocus();
}

void Treadexcelform::booksboxChange(int position) {
    // The chosen book becomes the active one, so that its sheets are listed and read.
    if (position >= 0) {
        const std::string book = bytes(booksbox_->itemText(position));
        linkcall(display_, nullptr, [this, &book] { link_->selectbook(book); });
    }
    readsheets();
}

void Treadexcelform::sheetboxChange() {
    startcolin_->setFocus();
}

void Treadexcelform::OKbuttonClick() {
    for (QLineEdit* box : {startcolin_, stopcolin_, stoprowin_, startrowin_, missvalin_}) {
        if (box->text().isEmpty()) {
            box->setFocus();
            return;
        }
    }
    accept();
}

void Treadexcelform::CancelButtonClick() {
    reject();
}

void Treadexcelform::helpbutClick() {
    openhelp(readexcelhelppage, this);
}

// --- Saving the results

Tsaveexcelform::Tsaveexcelform(SpreadsheetLink* link, LinkFailureDisplay display, QWidget* parent)
    : QDialog(parent, noclosebox), link_(link), display_(std::move(display)) {
    setObjectName("Tsaveexcelform");
    setWindowTitle("Save corrected values to Excel");
    setModal(true);
    setFont(pixelfont(font(), 11));

    place("book:", this, 17, 19, 58);
    booksbox_ = combobox(this, "booksbox", 58, 17, 145);
    newbookcheck_ = place(new QCheckBox("new book", this), "newbookcheck", 210, 19, 97);
    place("sheet:", this, 15, 56, 58);
    sheetbox_ = combobox(this, "sheetbox", 58, 55, 145);
    sheetbox_->setEnabled(false);
    newsheetcheck_ = place(new QCheckBox("new sheet", this), "newsheetcheck", 210, 57, 97);
    newsheetcheck_->setChecked(true);
    for (QCheckBox* check : {newbookcheck_, newsheetcheck_}) {
        check->setFont(pixelfont(font(), 13));
    }
    sheetwarning_ = new QLabel("DATA IN THE SHEET WILL BE OVERWRITTEN", this);
    sheetwarning_->setObjectName("sheetwarning");
    sheetwarning_->setFont(pixelfont(font(), 15, true));
    QPalette red = sheetwarning_->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    sheetwarning_->setPalette(red);
    sheetwarning_->setGeometry(12, 83, 329, 20);
    sheetwarning_->hide();
    place("column (A):", this, 10, 115, 78);
    colout_ = place(new QLineEdit(this), "colout", 78, 112, 45);
    place("row #:", this, 134, 115, 172);
    rowout_ = place(new QLineEdit(this), "rowout", 172, 112, 47);
    auto* ok = place(new QPushButton("OK", this), "OKbut", 19, 146, 75, buttonheight);
    auto* cancel = place(new QPushButton("Cancel", this), "cancelbut", 111, 146, 75, buttonheight);
    ok->setDefault(true);

    taborder({colout_, rowout_, ok, cancel, sheetbox_, booksbox_, newbookcheck_, newsheetcheck_});

    connect(booksbox_, qOverload<int>(&QComboBox::activated), this,
            &Tsaveexcelform::booksboxChange);
    connect(newbookcheck_, &QCheckBox::toggled, this, &Tsaveexcelform::newbookcheckClick);
    connect(newsheetcheck_, &QCheckBox::toggled, this, &Tsaveexcelform::newsheetcheckClick);
    connect(sheetbox_, qOverload<int>(&QComboBox::activated), this,
            &Tsaveexcelform::sheetboxChange);
    connect(colout_, &QLineEdit::textChanged, this, [this] { filtercolumn(colout_); });
    connect(rowout_, &QLineEdit::textChanged, this, [this] { filterrow(rowout_); });
    connect(ok, &QPushButton::clicked, this, &Tsaveexcelform::OKbutClick);
    connect(cancel, &QPushButton::clicked, this, &Tsaveexcelform::cancelbutClick);

    setFixedSize(355, 212);
    centre(this);
}

void Tsaveexcelform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &Tsaveexcelform::FormActivate);
    }
}

void Tsaveexcelform::FormActivate() {
    if (readbooks()) {
        readsheets();
    }
    colout_->setFocus();
}

bool Tsaveexcelform::readbooks() {
    return linkcall(display_, booksbox_, [this] { showlisting(booksbox_, link_->listbooks()); });
}

void Tsaveexcelform::readsheets() {
    // Filled also while the box is disabled: it shows what "new sheet" cleared would offer.
    linkcall(display_, sheetbox_, [this] { showlisting(sheetbox_, link_->listsheets()); });
}

void Tsaveexcelform::booksboxChange(int position) {
    // The sheets offered are those of the book chosen: it becomes the active one.
    if (position < 0) {
        return;
    }
    const std::string book = bytes(booksbox_->itemText(position));
    linkcall(display_, nullptr, [this, &book] { link_->selectbook(book); });
    if (!newsheetcheck_->isChecked()) {
        readsheets();
    }
}

void Tsaveexcelform::newsheetcheckClick() {
    const bool fresh = newsheetcheck_->isChecked();
    sheetwarning_->setVisible(!fresh);
    if (fresh) {
        empty(sheetbox_);
        sheetbox_->setEnabled(false);
    } else {
        sheetbox_->setEnabled(true);
        readsheets();
    }
}

void Tsaveexcelform::newbookcheckClick() {
    if (newbookcheck_->isChecked()) {
        empty(booksbox_);
        booksbox_->setEnabled(false);
        newsheetcheck_->setChecked(true); // runs newsheetcheckClick when it was cleared
        newsheetcheck_->setEnabled(false);
    } else {
        booksbox_->setEnabled(true);
        readbooks();
        newsheetcheck_->setChecked(true);
        newsheetcheck_->setEnabled(true);
    }
}

void Tsaveexcelform::sheetboxChange() {
    colout_->setFocus();
}

void Tsaveexcelform::OKbutClick() {
    for (QLineEdit* box : {colout_, rowout_}) {
        if (box->text().isEmpty()) {
            box->setFocus();
            return;
        }
    }
    accept();
}

void Tsaveexcelform::cancelbutClick() {
    reject();
}

} // namespace kw::app
