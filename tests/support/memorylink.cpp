#include "support/memorylink.h"

#include "core/base/failure.h"
#include "core/sheet/cellvalues.h"

#include <algorithm>

namespace kw::test {

namespace {

bool sameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

void MemoryLink::attach() {
    if (!running) {
        throw Failure(Failure::Reason::noSpreadsheet, "no spreadsheet application is running");
    }
    connected = true;
}

MemoryLink::Book& MemoryLink::active() {
    if (activeBook < 0 || activeBook >= static_cast<int>(books.size())) {
        throw Failure(Failure::Reason::spreadsheet, "no book is open");
    }
    return books[static_cast<std::size_t>(activeBook)];
}

MemoryLink::Sheet& MemoryLink::activeSheet() {
    Book& b = active();
    return b.sheets[static_cast<std::size_t>(b.activeSheet)];
}

MemoryLink::Book& MemoryLink::addBook(const std::string& name) {
    books.push_back(Book{name, {Sheet{"Sheet1", {}, {}}}, 0});
    activeBook = static_cast<int>(books.size()) - 1;
    return books.back();
}

MemoryLink::Sheet& MemoryLink::sheet(const std::string& book, const std::string& name) {
    for (Book& b : books) {
        if (b.name == book) {
            for (Sheet& s : b.sheets) {
                if (s.name == name) {
                    return s;
                }
            }
            b.sheets.push_back(Sheet{name, {}, {}});
            return b.sheets.back();
        }
    }
    throw Failure(Failure::Reason::spreadsheet, "no book named " + book);
}

void MemoryLink::set(const std::string& book, const std::string& sheetname, const std::string& cell,
                     CellValue value) {
    const auto digit = cell.find_first_of("0123456789");
    const int column = columnNumber(cell.substr(0, digit));
    const int row = std::stoi(cell.substr(digit));
    sheet(book, sheetname).cells[{row, column}] = std::move(value);
}

SpreadsheetLink::Listing MemoryLink::listBooks() {
    attach();
    Listing out;
    for (const Book& b : books) {
        out.names.push_back(b.name);
    }
    out.active = activeBook;
    return out;
}

SpreadsheetLink::Listing MemoryLink::listSheets() {
    attach();
    Listing out;
    if (activeBook < 0) {
        return out;
    }
    for (const Sheet& s : active().sheets) {
        out.names.push_back(s.name);
    }
    out.active = active().activeSheet;
    return out;
}

void MemoryLink::newBook() {
    attach();
    addBook("Book" + std::to_string(books.size() + 1));
}

std::string MemoryLink::freshName(const Book& book) const {
    for (int n = static_cast<int>(book.sheets.size()) + 1;; ++n) {
        const std::string name = "Sheet" + std::to_string(n);
        if (std::none_of(book.sheets.begin(), book.sheets.end(),
                         [&](const Sheet& s) { return s.name == name; })) {
            return name;
        }
    }
}

std::string MemoryLink::newSheet(const std::optional<std::string>& name) {
    attach();
    Book& b = active();
    const std::string given = name ? *name : freshName(b);
    b.sheets.insert(b.sheets.begin() + b.activeSheet, Sheet{given, {}, {}});
    return given; // the new sheet sits at the old active index and is active now
}

std::string MemoryLink::appendSheet(const std::optional<std::string>& name) {
    attach();
    Book& b = active();
    const std::string given = name ? *name : freshName(b);
    b.sheets.push_back(Sheet{given, {}, {}});
    b.activeSheet = static_cast<int>(b.sheets.size()) - 1;
    return given;
}

void MemoryLink::selectBook(const std::string& name) {
    attach();
    for (std::size_t i = 0; i < books.size(); ++i) {
        if (sameText(books[i].name, name)) {
            activeBook = static_cast<int>(i);
            return;
        }
    }
    throw Failure(Failure::Reason::spreadsheet, "there is no open book named '" + name + "'");
}

void MemoryLink::selectSheet(const std::string& name) {
    attach();
    Book& b = active();
    for (std::size_t i = 0; i < b.sheets.size(); ++i) {
        if (sameText(b.sheets[i].name, name)) {
            b.activeSheet = static_cast<int>(i);
            return;
        }
    }
    throw Failure(Failure::Reason::spreadsheet,
                  "the book '" + b.name + "' has no sheet named '" + name + "'");
}

void MemoryLink::useActiveSheet() {
    attach();
    (void)activeSheet();
}

void MemoryLink::checkBlock(int c1, int c2, int r1, int r2) const {
    if (c1 < 1 || r1 < 1 || c2 < c1 || r2 < r1) {
        throw Failure(Failure::Reason::spreadsheet, "that is not a block of cells");
    }
    if (c2 > maxColumns || r2 > maxRows) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the block reaches past the last column or row of the sheet");
    }
}

ValueTable MemoryLink::readRange(int c1, int c2, int r1, int r2) {
    attach();
    checkBlock(c1, c2, r1, r2);
    const Sheet& s = activeSheet();
    ValueTable t(r2 - r1 + 1, c2 - c1 + 1);
    for (const auto& [at, value] : s.cells) {
        const auto [row, column] = at;
        if (row >= r1 && row <= r2 && column >= c1 && column <= c2) {
            t.at(row - r1, column - c1) = value;
        }
    }
    return t;
}

void MemoryLink::writeRange(int c1, int c2, int r1, int r2, const ValueTable& table, char decimal) {
    attach();
    checkBlock(c1, c2, r1, r2);
    if (table.rowCount() != r2 - r1 + 1 || table.columnCount() != c2 - c1 + 1) {
        throw Failure(Failure::Reason::spreadsheet, "the table does not have the block's shape");
    }
    Sheet& s = activeSheet();
    // By offsets into the block: a counter that ran to r2 would overflow past the last row.
    for (int i = 0; i < table.rowCount(); ++i) {
        const int r = r1 + i;
        for (int j = 0; j < table.columnCount(); ++j) {
            const int c = c1 + j;
            s.formats[{r, c}] = std::string("0") + decimal + "000";
            const CellValue& v = table.at(i, j);
            if (v.kind == CellValue::Kind::empty) {
                s.cells.erase({r, c});
            } else {
                s.cells[{r, c}] = v;
            }
        }
    }
}

} // namespace kw::test
