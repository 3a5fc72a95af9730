#pragma once

#include "core/base/failure.h"
#include "core/sheet/spreadsheetlink.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QGridLayout;
class QLabel;

namespace kw::app {

// How the spreadsheet dialogs show a failure of the link: the main window's way.
using LinkFailureDisplay = std::function<void(const Failure&)>;

// The book and the sheet of the spreadsheet dialogs: a box of the open books and a box of the
// sheets of the active book, each under its caption. The boxes are filled through the link,
// with the wait cursor while it is asked; a failure goes to the display and leaves the box
// that was to be filled empty. Both boxes are listed once the chooser is first on the screen
// (the sheets only when the books could be listed, so that a spreadsheet that does not answer
// is reported once). A book chosen becomes the active one.
class BookSheetChooser final : public QWidget {
    Q_OBJECT
public:
    BookSheetChooser(SpreadsheetLink* link, LinkFailureDisplay display, const QString& sheetCaption,
                     QWidget* parent = nullptr);

    // Whether the link answered.
    bool listBooks();
    bool listSheets();
    void clearBooks();
    void clearSheets();
    void setBooksEnabled(bool enabled);
    void setSheetsEnabled(bool enabled);

    QString book() const;
    QString sheet() const;

    // A widget beside the book box or the sheet box, in the same row.
    void putBesideBooks(QWidget* widget);
    void putBesideSheets(QWidget* widget);
    // The width of the captions' column, so that the dialog can line up its own captions.
    int captionWidth() const;
    void setCaptionWidth(int width);
    // Puts the two boxes into the tab order between `previous` and `next` (if any), the sheet
    // box first or the book box first.
    void chainTabOrder(QWidget* previous, bool sheetsFirst, QWidget* next = nullptr);

signals:
    void listed();      // the listing at the first showing is done
    void bookChosen();  // the user chose a book (now the active one)
    void sheetChosen(); // the user chose a sheet

protected:
    void showEvent(QShowEvent* event) override;

private:
    void chooseBook(int position);
    // Runs a call of the link with the wait cursor; a failure goes to the display and, with a
    // box, leaves the box empty. Whether the call succeeded.
    bool ask(const std::function<void()>& call, QComboBox* box);

    SpreadsheetLink* link_;
    LinkFailureDisplay display_;
    bool shown_ = false;
    QGridLayout* grid_;
    QLabel* bookCaption_;
    QLabel* sheetCaption_;
    QComboBox* bookBox_;
    QComboBox* sheetBox_;
};

} // namespace kw::app
