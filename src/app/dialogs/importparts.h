#pragma once

#include "core/io/importoptions.h"

#include <QWidget>

#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QDialog;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace kw::app {

// What the import dialogs share.

// The choices of every import: the codes that count as missing (where the file has no
// missing values of its own), the text that missing cells receive, and the wide layout. Its
// boxes belong to the dialog and go into the dialog's grid, aligned with its other rows.
class ImportChoices final : public QObject {
    Q_OBJECT
public:
    // `withCodes`: whether the codes are asked for (default "NA").
    ImportChoices(bool withCodes, QDialog* dialog);

    // Puts the rows (caption, box) into `grid` from `row` on; the next free row.
    int addRows(QGridLayout* grid, int row);

    // The choices put into `options`.
    void apply(ImportOptions& options) const;
    // Whether the choices can be taken; if not, the box to fill has the focus.
    bool confirm();

signals:
    void changed();

private:
    QDialog* dialog_;
    QLineEdit* naCodesEdit_ = nullptr;
    QLineEdit* missingCodeEdit_;
    QCheckBox* wideBox_;
};

// The codes as typed: separated by commas or blanks ("NA ." or "NA, -").
std::vector<std::string> naCodesFrom(const QString& text);

// The preview of an import: its first rows, the first row as the column headers, cells that
// count as missing shown as the text they receive, in grey. A label under it tells what the
// preview shows, or why there is none.
class ImportPreview final : public QWidget {
    Q_OBJECT
public:
    explicit ImportPreview(QWidget* parent = nullptr);

    // `rows` as split from the file; they are shown as the reader will give them, numbers with
    // the program's decimal mark and one column per group turned into group and value.
    void showRows(std::vector<std::vector<std::string>> rows, const ImportOptions& options,
                  char programDecimal);
    void showFailure(const QString& message);

    static constexpr int rows = 20; // the names and 19 cases

private:
    QTableWidget* table_;
    QLabel* status_;
};

// The OK and Cancel buttons of the import dialogs: Cancel rejects the dialog, OK is the
// dialog's to connect.
QDialogButtonBox* importButtons(QDialog* dialog);

// The first bytes of a text (up to `limit`), cut after the last whole line where the text
// goes on (in UTF-16 after both bytes of the line end), for an import dialog to find the
// text's format from and to preview, so that no row and no character is shown cut.
inline constexpr std::size_t headBytes = 64 * 1024;
std::string textHead(std::string_view text, std::size_t limit = headBytes);
// The same of a file. Throws kw::Failure when the file cannot be read.
std::string fileHead(const QString& path, std::size_t limit = headBytes);

} // namespace kw::app
