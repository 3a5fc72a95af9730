#pragma once

#include "core/base/feedback.h"
#include "core/results/grid.h"

#include <memory>
#include <string>
#include <vector>

namespace kw {

// A table of stored cell texts, rows[row][col]; rows may be shorter than the widest.
class TextCells final : public Grid {
public:
    explicit TextCells(std::vector<std::vector<std::string>> rows);
    int columnCount() const override { return columns_; }
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    std::string cell(int col, int row) const override;

private:
    std::vector<std::vector<std::string>> rows_;
    int columns_ = 0;
};

// One sheet of a workbook: its name and its cells, headers included.
struct WorkbookTable {
    std::string name;
    std::shared_ptr<const Grid> cells;
};

// The largest block a sheet holds.
inline constexpr int workbookRowLimit = 1048576;
inline constexpr int workbookColumnLimit = 16384;

// Writes the tables into one .xlsx, a sheet per table in their order. A text that reads as a
// number with `decimal` as the decimal mark (kw::parseReal) becomes a number cell, shown with
// as many decimals as the text had (or in scientific notation where the text was); other
// texts, and numbers that would lose their leading zeros or digits beyond 15, stay texts;
// empty texts leave the cell empty. Sheet names are made valid (at most 31 characters, none
// of []:*?/\) and unique. A table larger than a sheet keeps its first rows and columns, and
// the cut is reported to `feedback` as a warning. The file is written whole or not at all
// (kw::SafeFile); the work can be cancelled between rows. Throws kw::Failure.
//
// The writing does not depend on the thread's locale (the library formats numbers with the C
// library, which follows it). The rows are streamed (the library's constant-memory mode): a
// million rows take a few MB, and texts are stored as inline strings, which the program's own
// workbook reader reads as every spreadsheet does.
void writeTableWorkbook(const std::string& path, const std::vector<WorkbookTable>& tables,
                        char decimal, Feedback* feedback = nullptr);

// The sheet names writeTableWorkbook gives `names`, in their order.
std::vector<std::string> workbookSheetNames(const std::vector<std::string>& names);

} // namespace kw
