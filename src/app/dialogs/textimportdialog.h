#pragma once

#include "core/io/importoptions.h"

#include <QDialog>

#include <string>

class QComboBox;
class QLineEdit;

namespace kw::app {

class ImportChoices;
class ImportPreview;

// "Import delimited text": the separator, the decimal mark and the encoding of a delimited
// text, found from its first bytes and shown for the user to override, the import choices
// (missing-value codes, the text of missing cells, the wide layout) and a preview of the first
// rows that follows every change. Pasted text (always UTF-8) has no encoding to choose.
class TextImportDialog final : public QDialog {
    Q_OBJECT
public:
    // `head`: the first bytes of the file `source` (see fileHead), or, with an empty source,
    // the text pasted.
    // `programDecimal`: the program's decimal mark, which the preview shows numbers with.
    TextImportDialog(std::string head, const QString& source, char programDecimal,
                     QWidget* parent = nullptr);

    // The options as chosen, every part of the format set (the separator '\0' where "Other"
    // is left empty: none, each line one field).
    ImportOptions options() const;

private slots:
    void refreshPreview();
    void confirm();

private:
    char separator() const; // '\0': none, each line one field

    std::string head_;
    bool pasted_;
    QComboBox* separatorChoice_;
    QLineEdit* otherSeparatorEdit_;
    QComboBox* decimalChoice_;
    char programDecimal_;
    QComboBox* encodingChoice_ = nullptr;
    ImportChoices* choices_;
    ImportPreview* preview_;
};

} // namespace kw::app
