#pragma once

#include "core/sheet/valuetable.h"

#include <optional>
#include <string>
#include <vector>

namespace kw {

// The program's link to a running spreadsheet application: its open documents ("books"),
// their worksheets, and blocks of cells of the active worksheet. Every operation throws
// kw::Failure with the application's or the system's message when it fails; what the
// application already did stays done.
class SpreadsheetLink {
public:
    virtual ~SpreadsheetLink() = default;

    // The names of the open books (or of the worksheets of the active book), in the
    // application's order, and which of them is the active one (-1: none).
    struct Listing {
        std::vector<std::string> names;
        int active = -1;
    };
    virtual Listing listBooks() = 0;
    virtual Listing listSheets() = 0;

    // A new book, which becomes the active one.
    virtual void newBook() = 0;
    // A new worksheet before the active sheet of the active book (newSheet) or after its
    // last sheet (appendSheet), named `name` if given; it becomes the active sheet. Returns
    // its name.
    virtual std::string newSheet(const std::optional<std::string>& name) = 0;
    virtual std::string appendSheet(const std::optional<std::string>& name) = 0;
    // Makes the named book, or the named sheet of the active book, the active one.
    virtual void selectBook(const std::string& name) = 0;
    virtual void selectSheet(const std::string& name) = 0;
    // Takes the active sheet of the active book as the one the block operations act on.
    virtual void useActiveSheet() = 0;

    // The block of columns c1..c2 and rows r1..r2 (1-based, as the sheet numbers them) of the
    // active sheet, in one call. c1 <= c2 and r1 <= r2.
    virtual ValueTable readRange(int c1, int c2, int r1, int r2) = 0;
    // Writes a table of exactly that shape in one call, after giving every cell of the block
    // the number format "0" + decimal mark + "000". Empty values leave empty cells.
    virtual void writeRange(int c1, int c2, int r1, int r2, const ValueTable& table,
                            char decimal) = 0;
    virtual void disconnect() = 0;
};

} // namespace kw
