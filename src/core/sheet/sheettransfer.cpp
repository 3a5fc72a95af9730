#include "core/sheet/sheettransfer.h"

#include "core/base/failure.h"
#include "core/base/limits.h"
#include "core/base/numbers.h"
#include "core/sheet/cellvalues.h"
#include "core/sheet/sheetblocks.h"

#include <algorithm>
#include <limits>

namespace kw {

namespace {

int rowNumber(const std::string& text) {
    const auto row = parseInteger(text);
    if (!row) {
        throw notAWholeNumber(text);
    }
    if (*row < 1) {
        throw Failure::error("row numbers start at 1");
    }
    return *row;
}

int columnOf(const std::string& letters) {
    const bool valid = !letters.empty() && std::all_of(letters.begin(), letters.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
    if (!valid) {
        throw Failure::error("'" + letters +
                             "' is not a column: give its letters, such as A or BC");
    }
    return columnNumber(letters);
}

} // namespace

DataTable readSheetBlock(SpreadsheetLink& link, const SheetRange& range, char decimal) {
    const int r1 = rowNumber(range.firstRow);
    const int r2 = rowNumber(range.lastRow);
    const int c1 = columnOf(range.firstColumn);
    const int c2 = columnOf(range.lastColumn);
    if (c2 < c1) {
        throw Failure::error("the last column comes before the first");
    }
    if (r2 < r1) {
        throw Failure::error("the last row comes before the first");
    }
    if (r2 == r1) {
        throw Failure::error("the range holds only the row of names: it needs at least one row "
                             "of cases below it");
    }
    const long long cells = static_cast<long long>(c2 - c1 + 1) * (r2 - r1 + 1);
    if (cells > maxSheetCells) {
        throw Failure::error("the range holds " + std::to_string(cells) + " cells: at most " +
                             std::to_string(maxSheetCells) + " can be read at once");
    }
    link.selectSheet(range.sheet);
    const ValueTable block = link.readRange(c1, c2, r1, r2);
    if (block.rowCount() != r2 - r1 + 1 || block.columnCount() != c2 - c1 + 1) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the spreadsheet gave a block of another size than was asked for");
    }
    return blockTable(block, range.missingCode, decimal, c1, r1);
}

void writeResultsBlock(SpreadsheetLink& link, const SheetTarget& target, const ValueTable& block,
                       char decimal) {
    const int c0 = columnOf(target.column);
    const int r0 = rowNumber(target.row);
    if (r0 > std::numeric_limits<int>::max() - (block.rowCount() - 1)) {
        throw Failure::error("the results block does not fit on a sheet below row " +
                             std::to_string(r0));
    }
    if (target.newBook) {
        link.newBook();
    } else {
        link.selectBook(target.book);
    }
    if (target.newSheet) {
        link.appendSheet(std::nullopt);
    } else {
        link.selectSheet(target.sheet);
    }
    link.useActiveSheet();
    link.writeRange(c0, c0 + (block.columnCount() - 1), r0, r0 + (block.rowCount() - 1), block,
                    decimal);
}

void writeCountsBlock(SpreadsheetLink& link, const ValueTable& block, char decimal) {
    link.newSheet(std::nullopt);
    link.useActiveSheet();
    link.writeRange(1, block.columnCount(), 1, block.rowCount(), block, decimal);
    link.disconnect();
}

} // namespace kw
