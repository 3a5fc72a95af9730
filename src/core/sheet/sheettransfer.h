#pragma once

#include "core/data/datatable.h"
#include "core/sheet/spreadsheetlink.h"
#include "core/sheet/valuetable.h"

#include <string>

namespace kw {

// Data and results moved through the spreadsheet link.

// A block of a sheet to read as data, as "Read values from Excel" asks for it.
struct SheetRange {
    std::string sheet;
    std::string firstColumn; // letters
    std::string lastColumn;
    std::string firstRow; // digits
    std::string lastRow;
    std::string missingCode; // what empty cells become; also the missing-value code
};

// Where the results block goes, as "Save corrected values to Excel" asks for it.
struct SheetTarget {
    bool newBook = false;
    std::string book; // when not a new one
    bool newSheet = true;
    std::string sheet;  // when not a new one
    std::string column; // letters of the block's top-left cell
    std::string row;    // digits
};

// The block of the named sheet of the active book as a data table: names from its first row,
// every further row a case, empty or blank cells given the missing-value code. A range that
// is not one (bad letters or digits, last before first, names only, too many cells) is
// refused before the link is called.
DataTable readSheetBlock(SpreadsheetLink& link, const SheetRange& range, char decimal);

// Writes the results block with its top-left cell at the target's cell, into a new book or
// the named one and a new sheet (after the last) or the named one. A cell that is not one,
// or a block that would end below the last row number, is refused before the link is called.
void writeResultsBlock(SpreadsheetLink& link, const SheetTarget& target, const ValueTable& block,
                       char decimal);

// Writes the counts block at A1 of a new sheet before the active one of the active book, and
// lets the spreadsheet go.
void writeCountsBlock(SpreadsheetLink& link, const ValueTable& block, char decimal);

} // namespace kw
