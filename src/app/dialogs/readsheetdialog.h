#pragma once

#include "app/dialogs/booksheetchooser.h"
#include "core/sheet/sheettransfer.h"

#include <QDialog>

class QLineEdit;

namespace kw::app {

class CellAddressBox;

// "Read values from Excel": a sheet of the running spreadsheet and a block on it (first and
// last column as letters, first and last row as numbers; the first row holds the names), and
// the text that empty cells receive. "OK" closes it only when every box is filled.
class ReadSheetDialog final : public QDialog {
    Q_OBJECT
public:
    ReadSheetDialog(SpreadsheetLink* link, LinkFailureDisplay display, QWidget* parent = nullptr);

    // The block as given, once the dialog is confirmed.
    SheetRange range() const;

private slots:
    void confirm();
    void showHelp();

private:
    BookSheetChooser* chooser_;
    CellAddressBox* firstColumnBox_;
    CellAddressBox* lastColumnBox_;
    CellAddressBox* firstRowBox_;
    CellAddressBox* lastRowBox_;
    QLineEdit* missingCodeEdit_;
};

} // namespace kw::app
