#pragma once

#include "failure.h"
#include "spreadsheet.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kw::app {

// How the dialogs show a failure of the spreadsheet link: the main window's error display.
using LinkFailureDisplay = std::function<void(const Failure&)>;

// "Read values from Excel": a sheet of the running spreadsheet and a block on it (first and
// last column as letters, first and last row as numbers; the first row holds the names), and
// the text that empty cells receive.
class Treadexcelform final : public QDialog {
    Q_OBJECT
public:
    Treadexcelform(SpreadsheetLink* link, LinkFailureDisplay display, QWidget* parent = nullptr);

    QComboBox* booksbox() const { return booksbox_; }
    QComboBox* sheetbox() const { return sheetbox_; }
    QLineEdit* startcolin() const { return startcolin_; }
    QLineEdit* stopcolin() const { return stopcolin_; }
    QLineEdit* startrowin() const { return startrowin_; }
    QLineEdit* stoprowin() const { return stoprowin_; }
    QLineEdit* missvalin() const { return missvalin_; }

public slots:
    void FormActivate();
    bool readbooks(); // whether the link answered
    void readsheets();
    void booksboxChange(int position);
    void sheetboxChange();
    void OKbuttonClick();
    void CancelButtonClick();
    void helpbutClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SpreadsheetLink* link_;
    LinkFailureDisplay display_;
    bool activated_ = false;
    QComboBox* booksbox_;
    QComboBox* sheetbox_;
    QLineEdit* startcolin_;
    QLineEdit* stopcolin_;
    QLineEdit* startrowin_;
    QLineEdit* stoprowin_;
    QLineEdit* missvalin_;
};

// "Save corrected values to Excel": a new or an open book, a new or an existing sheet, and
// the top-left cell of the results block.
class Tsaveexcelform final : public QDialog {
    Q_OBJECT
public:
    Tsaveexcelform(SpreadsheetLink* link, LinkFailureDisplay display, QWidget* parent = nullptr);

    QComboBox* booksbox() const { return booksbox_; }
    QCheckBox* newbookcheck() const { return newbookcheck_; }
    QComboBox* sheetbox() const { return sheetbox_; }
    QCheckBox* newsheetcheck() const { return newsheetcheck_; }
    QLabel* sheetwarning() const { return sheetwarning_; }
    QLineEdit* colout() const { return colout_; }
    QLineEdit* rowout() const { return rowout_; }

public slots:
    void FormActivate();
    bool readbooks(); // whether the link answered
    void readsheets();
    void booksboxChange(int position);
    void newbookcheckClick();
    void newsheetcheckClick();
    void sheetboxChange();
    void OKbutClick();
    void cancelbutClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SpreadsheetLink* link_;
    LinkFailureDisplay display_;
    bool activated_ = false;
    QComboBox* booksbox_;
    QCheckBox* newbookcheck_;
    QComboBox* sheetbox_;
    QCheckBox* newsheetcheck_;
    QLabel* sheetwarning_;
    QLineEdit* colout_;
    QLineEdit* rowout_;
};

// The input filters of the column and row boxes, run on every change of their text: a column
// box turns upper case and loses a last character that is not a letter A to Z; a row box
// loses a last character that is not a digit. The caret goes to the end.
void filtercolumn(QLineEdit* box);
void filterrow(QLineEdit* box);

} // namespace kw::app
