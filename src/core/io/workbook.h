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
// included), texts unchanged, dates and booleans as they are shown, empty cells as missing.
class Workbook {
public:
    // Reads the file (its kind found from its bytes). Throws kw::Failure for a file that is
    // not a readable workbook.
    static Workbook load(const std::string& path, Feedback* feedback = nullptr);

    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;
    ~Workbook();

    std::vector<std::string> sheetNames() const;

    // The block a sheet's cells take up, such as "A1:C40"; empty for an empty sheet.
    std::string usedRange(const std::string& sheet) const;

    // The first `rows` rows of the block the options name, as texts, for a preview.
    std::vector<std::vector<std::string>> preview(const ImportOptions& options, int rows) const;

    // The block the options name as a table: the names from its first row. An error cell is
    // refused naming the cell, as is a sheet or a block that is not there.
    DataTable table(const ImportOptions& options, char decimal, Feedback* feedback = nullptr) const;

private:
    struct Contents;
    explicit Workbook(std::unique_ptr<Contents> contents);
    std::unique_ptr<Contents> contents_;
};

// Workbook::load(path).table(options, decimal).
DataTable readWorkbookFile(const std::string& path, const ImportOptions& options, char decimal,
                           Feedback* feedback = nullptr);

} // namespace kw
