#pragma once

#include "core/base/feedback.h"
#include "core/data/datatable.h"
#include "core/io/importoptions.h"

#include <memory>
#include <string>
#include <vector>

namespace kw {

// An .xlsx or .ods workbook read from its file, no spreadsheet program running: its sheets,
// and a block of one of them as a table. The cells come as the spreadsheet link reads them:
// numbers in the general format with 15 significant digits (cached formula results
// included), texts unchanged, empty cells as missing; dates as 2024-03-15 (with 13:45:30
// when they hold a time), times of day as 13:45:30, booleans as TRUE and FALSE, percentages
// and currencies as their numbers. Formulas are not calculated: their cached results count.
// Every part of the file orcus reads is checked before (core/io/workbookparts.h): against the
// checksum its zip archive keeps, and its XML with expat, for orcus 0.17 ends the program on
// some malformed XML; a damaged part is refused, naming it (and the line for XML). Reading
// can be cancelled while the parts are checked and between the cells orcus reads, not while
// orcus unpacks a part (a second or so for a sheet of a million rows) nor while it finishes
// the document.
class Workbook {
public:
    // Reads the file (its kind found from its bytes). Throws kw::Failure for a file that is
    // not a readable workbook.
    static Workbook load(const std::string& path, Feedback* feedback = nullptr);

    // The same for the bytes of a file.
    static Workbook fromBytes(std::string bytes, Feedback* feedback = nullptr);

    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;
    ~Workbook();

    std::vector<std::string> sheetNames() const;

    // The block a sheet's cells take up, such as "A1:C40"; empty for an empty sheet.
    std::string usedRange(const std::string& sheet) const;

    // The first `rows` rows of the block the options name, as texts, for a preview: the names
    // row first, numbers with the options' decimal mark (a point when unset), an error cell
    // as its error's name.
    std::vector<std::vector<std::string>> preview(const ImportOptions& options, int rows) const;

    // The block the options name as a table: the names from its first row. An error cell is
    // refused naming the cell (without the error's name, which the file's reader does not
    // keep), as is a sheet or a block that is not there.
    DataTable table(const ImportOptions& options, char decimal, Feedback* feedback = nullptr) const;

private:
    struct Contents;
    explicit Workbook(std::unique_ptr<Contents> contents);
    // `file` names the file in messages ("the file x.xlsx").
    static Workbook read(std::string bytes, const std::string& file, Feedback* feedback);
    std::unique_ptr<Contents> contents_;
};

// Workbook::load(path).table(options, decimal).
DataTable readWorkbookFile(const std::string& path, const ImportOptions& options, char decimal,
                           Feedback* feedback = nullptr);

} // namespace kw
