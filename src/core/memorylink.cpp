#include "memorylink.h"

#include "failure.h"

#include <algorithm>

namespace kw {

namespace {

bool sametext(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

void MemoryLink::attach() {
    if (!running) {
        throw Failure::plain("no spreadsheet application is running");
    }
    connected = true;
}

MemoryLink::Book& MemoryLink::active() {
    if (activebook < 0 || activebook >= static_cast<int>(books.size())) {
        throw Failure::plain("no book is open");
    }
    return books[static_cast<std::size_t>(activebook)];
}

MemoryLink::Sheet& MemoryLink::activesheet() {
    Book& b = active();
    return b.sheets[static_cast<std::size_t>(b.activesheet)];
}

MemoryLink::Book& MemoryLink::addbook(const std::string& name) {
    books.push_back(Book{name, {Sheet{"Sheet1", {}, {}}}, 0});
    activebook = static_cast<int>(books.size()) - 1;
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
    throw Failure::plain("no book named " + book);
}

void MemoryLink::set(const std::string& book, const std::string& sheetname, const std::string& cell,
                     CellValue value) {
    const auto digit = cell.find_first_of("0123456789");
    const int column = colnumber(cell.substr(0, digit));
    const int row = std::stoi(cell.substr(digit));
    sheet(book, sheetname).cells[{row, column}] = std::move(value);
}

SpreadsheetLink::Listing MemoryLink::listbooks() {
    attach();
    Listing out;
    for (const Book& b : books) {
        out.names.push_back(b.name);
    }
    out.active = activebook;
    return out;
}

SpreadsheetLink::Listing MemoryLink::listsheets() {
    attach();
    Listing out;
    if (activebook < 0) {
        return out;
    }
    for (const Sheet& s : active().sheets) {
        out.names.push_back(s.name);
    }
    out.active = active().activesheet;
    return out;
}

void MemoryLink::newbook() {
    attach();
    addbook("Book" + std::to_string(books.size() + 1));
}

std::string MemoryLink::freshname(const Book& book) const {
    for (int n = static_cast<int>(book.sheets.size()) + 1;; ++n) {
        const std::string name = "Sheet" + std::to_string(n);
        if (std::none_of(book.sheets.begin(), book.sheets.end(),
                         [&](const Sheet& s) { return s.name == name; })) {
            return name;
        }
    }
}

std::string MemoryLink::newsheet(const std::optional<std::string>& name) {
    attach();
    Book& b = active();
    const std::string given = name ? *name : freshname(b);
    b.sheets.insert(b.sheets.begin() + b.activesheet, Sheet{given, {}, {}});
    return given; // the new sheet sits at the old active index and is active now
}

std::string MemoryLink::appendsheet(const std::optional<std::string>& name) {
    attach();
    Book& b = active();
    const std::string given = name ? *name : freshname(b);
    b.sheets.push_back(Sheet{given, {}, {}});
    b.activesheet = static_cast<int>(b.sheets.size()) - 1;
    return given;
}

void MemoryLink::selectbook(const std::string& name) {
    attach();
    for (std::size_t i = 0; i < books.size(); ++i) {
        if (sametext(books[i].name, name)) {
            activebook = static_cast<int>(i);
            return;
        }
    }
    throw Failure::plain("there is no open book named '" + name + "'");
}

void MemoryLink::selectsheet(const std::string& name) {
    attach();
    Book& b = active();
    for (std::size_t i = 0; i < b.sheets.size(); ++i) {
        if (sametext(b.sheets[i].name, name)) {
            b.activesheet = static_cast<int>(i);
            return;
        }
    }
    throw Failure::plain("the book '" + b.name + "' has no sheet named '" + name + "'");
}

void MemoryLink::useactivesheet() {
    attach();
    (void)activesheet();
}

void MemoryLink::checkblock(int c1, int c2, int r1, int r2) const {
    if (c1 < 1 || r1 < 1 || c2 < c1 || r2 < r1) {
        throw Failure::plain("that is not a block of cells");
    }
    if (c2 > maxcolumns || r2 > maxrows) {
        throw Failure::plain("the block reaches past the last column or row of the sheet");
    }
}

ValueTable MemoryLink::readrange(int c1, int c2, int r1, int r2) {
    attach();
    checkblock(c1, c2, r1, r2);
    const Sheet& s = activesheet();
    ValueTable t(r2 - r1 + 1, c2 - c1 + 1);
    for (const auto& [at, value] : s.cells) {
        const auto [row, column] = at;
        if (row >= r1 && row <= r2 && column >= c1 && column <= c2) {
            t.at(row - r1, column - c1) = value;
        }
    }
    return t;
}

void MemoryLink::writerange(int c1, int c2, int r1, int r2, const ValueTable& table, char decimal) {
    attach();
    checkblock(c1, c2, r1, r2);
    if (table.rows() != r2 - r1 + 1 || table.cols() != c2 - c1 + 1) {
        throw Failure::plain("the table does not have the block's shape");
    }
    Sheet& s = activesheet();
    // By offsets into the block: a counter that ran to r2 would overflow past the last row.
    for (int i = 0; i < table.rows(); ++i) {
        const int r = r1 + i;
        for (int j = 0; j < table.cols(); ++j) {
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

} // namespace kw
