#pragma once

#include "app/dialogs/booksheetchooser.h"
#include "core/sheet/sheettransfer.h"

#include <QDialog>

class QCheckBox;
class QLabel;

namespace kw::app {

class CellAddressBox;

// "Save corrected values to Excel": a new or an open book, a new or an existing sheet (with
// the warning that its data will be overwritten), and the top-left cell of the results block.
// "OK" closes it only when the cell is given.
class SaveSheetDialog final : public QDialog {
    Q_OBJECT
public:
    SaveSheetDialog(SpreadsheetLink* link, LinkFailureDisplay display, QWidget* parent = nullptr);

    // Where the block goes, once the dialog is confirmed.
    SheetTarget target() const;

private slots:
    void chooseNewBook(bool fresh);
    void chooseNewSheet(bool fresh);
    void confirm();

private:
    BookSheetChooser* chooser_;
    QCheckBox* newBookCheck_;
    QCheckBox* newSheetCheck_;
    QLabel* overwriteWarning_;
    CellAddressBox* columnBox_;
    CellAddressBox* rowBox_;
};

} // namespace kw::app
