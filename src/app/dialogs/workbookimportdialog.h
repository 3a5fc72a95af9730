#pragma once

#include "core/io/importoptions.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLineEdit;

namespace kw {
class Workbook;
}

namespace kw::app {

class ImportChoices;
class ImportPreview;

// "Import workbook": a sheet of a workbook read from its file, the block on it (its used range
// unless the user gives another, such as A1:C40; the first row holds the names), the import
// choices and a preview of the block's first rows that follows every change.
class WorkbookImportDialog final : public QDialog {
    Q_OBJECT
public:
    // `decimal`: the program's decimal mark, which the preview shows numbers with.
    WorkbookImportDialog(std::shared_ptr<const Workbook> book, const QString& source, char decimal,
                         QWidget* parent = nullptr);

    // The options as chosen: the sheet and the block (empty: the used range).
    ImportOptions options() const;

private slots:
    void chooseSheet();
    void refreshPreview();
    void confirm();

private:
    std::shared_ptr<const Workbook> book_;
    char decimal_;
    QComboBox* sheetChoice_;
    QLineEdit* blockEdit_;
    ImportChoices* choices_;
    ImportPreview* preview_;
};

} // namespace kw::app
