#pragma once

#include "datatable.h"
#include "grid.h"
#include "report.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// One cell of a block moved between the program and a spreadsheet.
struct CellValue {
    enum class Kind { empty, integer, real, text, error };
    Kind kind = Kind::empty;
    std::int32_t integer = 0;
    double real = 0;
    std::string text; // the text of a text cell; for an error cell what the sheet shows, if known

    static CellValue makeempty() { return {}; }
    static CellValue makeinteger(std::int32_t v) { return {Kind::integer, v, 0, {}}; }
    static CellValue makereal(double v) { return {Kind::real, 0, v, {}}; }
    static CellValue maketext(std::string t) { return {Kind::text, 0, 0, std::move(t)}; }
    static CellValue makeerror(std::string shown = {}) {
        return {Kind::error, 0, 0, std::move(shown)};
    }
    bool operator==(const CellValue&) const = default;
};

// A rectangular block of cells: rows() x cols(), at(row, col) from 0 at the top-left cell.
class ValueTable {
public:
    ValueTable() = default;
    ValueTable(int rows, int cols)
        : rows_(rows), cols_(cols),
          cells_(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)) {}

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    CellValue& at(int row, int col) { return cells_[index(row, col)]; }
    const CellValue& at(int row, int col) const { return cells_[index(row, col)]; }

private:
    std::size_t index(int row, int col) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
               static_cast<std::size_t>(col);
    }
    int rows_ = 0;
    int cols_ = 0;
    std::vector<CellValue> cells_;
};

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
    virtual Listing listbooks() = 0;
    virtual Listing listsheets() = 0;

    // A new book, which becomes the active one.
    virtual void newbook() = 0;
    // A new worksheet before the active sheet of the active book (newsheet) or after its
    // last sheet (appendsheet), named `name` if given; it becomes the active sheet. Returns
    // its name.
    virtual std::string newsheet(const std::optional<std::string>& name) = 0;
    virtual std::string appendsheet(const std::optional<std::string>& name) = 0;
    // Makes the named book, or the named sheet of the active book, the active one.
    virtual void selectbook(const std::string& name) = 0;
    virtual void selectsheet(const std::string& name) = 0;
    // Takes the active sheet of the active book as the one the block operations act on.
    virtual void useactivesheet() = 0;

    // The block of columns c1..c2 and rows r1..r2 (1-based, as the sheet numbers them) of the
    // active sheet, in one call. c1 <= c2 and r1 <= r2.
    virtual ValueTable readrange(int c1, int c2, int r1, int r2) = 0;
    // Writes a table of exactly that shape in one call, after giving every cell of the block
    // the number format "0" + decimal mark + "000". Empty values leave empty cells.
    virtual void writerange(int c1, int c2, int r1, int r2, const ValueTable& table,
                            char decimal) = 0;
    virtual void disconnect() = 0;
};

// The number of a column named by letters: A = 1, Z = 26, AA = 27, IV = 256, ZZ = 702;
// letters after the second are ignored. The text is not empty.
int colnumber(std::string_view letters);

// The letters of a column number (1 = A), the inverse of colnumber up to ZZ.
std::string colletters(int column);

// A cell text as a value to write: a 32-bit integer if the whole text is one, otherwise a
// real if it reads as one with the given decimal mark, otherwise the text (empty text:
// empty).
CellValue typedvalue(std::string_view text, char decimal);

// The text form of a value read from a sheet: empty for an empty cell, a text unchanged, a
// number in the general format with 15 significant digits. An error value is refused with a
// message naming the cell (given by the block's first column and row).
std::string textform(const CellValue& value, char decimal, int column, int row);

// A block read from a sheet as a data table: its first row the names, every further row a
// case. A cell that is empty, or holds blanks only, receives the missing-value text. The
// block's first column and row (1-based) name cells in messages.
DataTable blocktable(const ValueTable& block, std::string_view missing, char decimal,
                     int firstcolumn, int firstrow);

// What the results block shows: what the report shows, and the test date.
struct ResultsBlockData : ReportData {
    std::string date; // today's date in the locale's short format
};

inline constexpr int maxspreadsheetgroups = 250;

// The results block: k + 13 rows and k + 2 columns (at least 6): the heading, version and
// test date, the overall test, and when p < alpha the comparison table (its cells through
// typedvalue).
ValueTable resultsblock(const ResultsBlockData& data, char decimal);

// The counts block of a grid of m columns and n rows: n + 1 rows and m + 1 columns, every
// cell through typedvalue, the last row and column empty.
ValueTable countsblock(const Grid& grid, char decimal);

} // namespace kw
