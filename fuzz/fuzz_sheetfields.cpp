// The fields of the spreadsheet dialogs as the core receives them, and the column and value
// conversions beneath them. The input is lines of text:
//
//   options        ',' decimal comma, 'x' no spreadsheet application running, 'f' save the
//                  results of a fixed data set rather than of the block read, 't' save to a
//                  sheet with as many rows as there are row numbers
//   block rows     up to a line "==": cells separated by tabs, each "" (empty), "i" integer,
//                  "r" real (as strtod reads it), "e" error with its shown text, "t" text,
//                  or else a text as it stands; put at A1 of the first sheet of "data.ods"
//   read range     sheet, first column, last column, first row, last row, missing value
//   save target    flags ('b' new book, 's' new sheet), book, sheet, column, row
//   more texts     each through columnNumber, columnLetters and typedValue
//
// The dialog fields take any bytes: the window lets only letters or digits through, but the
// session must not depend on it.

#include "core/base/failure.h"
#include "core/base/numbers.h"
#include "core/io/textreader.h"
#include "core/session/session.h"
#include "core/sheet/cellvalues.h"
#include "core/sheet/spreadsheetlink.h"
#include "fuzzcheck.h"
#include "support/memorylink.h"
#include "support/sessionsteps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {}
    bool done() const { return rest_.empty(); }
    std::string next() { // "" once all are taken
        const std::size_t end = rest_.find('\n');
        std::string line(rest_.substr(0, end));
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
        return line;
    }

private:
    std::string_view rest_;
};

kw::CellValue cellvalue(std::string_view text) {
    if (text.empty()) {
        return kw::CellValue::makeEmpty();
    }
    const std::string body(text.substr(1));
    switch (text[0]) {
    case 'i':
        return kw::CellValue::makeInteger(fuzznumber(body));
    case 'r':
        return kw::CellValue::makeReal(std::strtod(body.c_str(), nullptr));
    case 'e':
        return kw::CellValue::makeError(body);
    case 't':
        return kw::CellValue::makeText(body);
    default:
        return kw::CellValue::makeText(std::string(text));
    }
}

bool isletter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    }
    return text;
}

// The value a cell written from a text shows, as a number; empty for texts and empty cells.
std::optional<double> numeric(const kw::CellValue& v) {
    if (v.kind == kw::CellValue::Kind::integer) {
        return v.integer;
    }
    if (v.kind == kw::CellValue::Kind::real) {
        return v.real;
    }
    return std::nullopt;
}

// A sheet value turned to text and back: an error is refused, a number keeps the value of
// its 15-digit form.
void roundtrip(const kw::CellValue& v, char decimal, int column, int row) {
    std::string text;
    try {
        text = kw::textForm(v, decimal, column, row);
    } catch (const kw::Failure& f) {
        FUZZ_CHECK(v.kind == kw::CellValue::Kind::error);
        FUZZ_CHECK(f.message().find("error value") != std::string::npos);
        return;
    }
    FUZZ_CHECK(v.kind != kw::CellValue::Kind::error);
    if (v.kind == kw::CellValue::Kind::text) {
        FUZZ_CHECK(text == v.text);
    }
    if (v.kind == kw::CellValue::Kind::empty) {
        FUZZ_CHECK(text.empty());
    }
    if (v.kind == kw::CellValue::Kind::integer ||
        (v.kind == kw::CellValue::Kind::real && std::isfinite(v.real))) {
        const auto back = kw::parseReal(text, decimal);
        FUZZ_CHECK(back.has_value());
        const auto typed = numeric(kw::typedValue(text, decimal));
        FUZZ_CHECK(typed.has_value() && *typed == *back);
    }
}

void direct(const std::string& text) {
    if (!text.empty()) {
        const int column = kw::columnNumber(text);
        if (text.size() <= 2 && std::all_of(text.begin(), text.end(), isletter)) {
            FUZZ_CHECK(column >= 1 && column <= 702);
            FUZZ_CHECK(kw::columnLetters(column) == upper(text));
        }
    }
    const int n = fuzznumber(text);
    const std::string letters = kw::columnLetters(n);
    FUZZ_CHECK(letters.empty() == (n < 1));
    if (n >= 1 && n <= 702) {
        FUZZ_CHECK(kw::columnNumber(letters) == n);
    }
    for (char decimal : {'.', ','}) {
        const kw::CellValue v = kw::typedValue(text, decimal);
        FUZZ_CHECK((v.kind == kw::CellValue::Kind::empty) == text.empty());
        if (v.kind == kw::CellValue::Kind::text) {
            FUZZ_CHECK(v.text == text);
        }
        if (v.kind == kw::CellValue::Kind::integer) {
            FUZZ_CHECK(kw::parseInteger(text) == v.integer);
        }
        if (v.kind == kw::CellValue::Kind::real) {
            FUZZ_CHECK(std::isfinite(v.real) && !kw::parseInteger(text));
        }
        roundtrip(v, decimal, n, n);
    }
}

std::string today() {
    return "1/2/26";
}

// A small data set whose groups differ: its results carry the comparison table.
constexpr const char* fixedData = "g x\n1 1\n1 2\n1 3\n2 4\n2 5\n2 6\n3 7\n3 8\n3 9\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Lines lines(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string options = lines.next();
    kw::Locale locale;
    locale.decimal = options.find(',') != std::string::npos ? ',' : '.';
    locale.today = today;

    kw::test::MemoryLink link;
    link.maxRows = 200; // a sheet small enough that any block fits in memory
    link.addBook("data.ods");
    link.books[0].sheets.push_back({"Data 2", {}, {}});
    std::vector<std::string> more; // texts for the direct calls
    for (int r = 1; !lines.done(); ++r) {
        std::string row = lines.next();
        if (row == "==") {
            break;
        }
        more.push_back(row);
        std::string_view rest = row;
        for (int c = 1; r <= 40 && c <= 8; ++c) {
            const std::size_t tab = rest.find('\t');
            const kw::CellValue v = cellvalue(rest.substr(0, tab));
            roundtrip(v, locale.decimal, c, r);
            if (v.kind != kw::CellValue::Kind::empty) {
                link.books[0].sheets[0].cells[{r, c}] = v;
            }
            if (tab == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(tab + 1);
        }
    }
    link.addBook("results.ods");
    link.activeBook = 0;
    link.running = options.find('x') == std::string::npos;

    kw::SheetRange range;
    for (std::string* field : {&range.sheet, &range.firstColumn, &range.lastColumn, &range.firstRow,
                               &range.lastRow, &range.missingCode}) {
        *field = lines.next();
        more.push_back(*field);
    }
    const std::string flags = lines.next();
    kw::SheetTarget target;
    target.newBook = flags.find('b') != std::string::npos;
    target.newSheet = flags.find('s') != std::string::npos;
    for (std::string* field : {&target.book, &target.sheet, &target.column, &target.row}) {
        *field = lines.next();
        more.push_back(*field);
    }
    while (!lines.done()) {
        more.push_back(lines.next());
    }

    kw::Session s(locale);
    bool read = false;
    try {
        kw::test::readSheet(s, link, range);
        read = true;
    } catch (const kw::Failure&) {
    }
    FUZZ_CHECK(s.missingCode() == range.missingCode);
    if (read) {
        // The block became the table: names from its first row, blank cells the missing text.
        const int c1 = kw::columnNumber(range.firstColumn);
        const int r1 = *kw::parseInteger(range.firstRow);
        const auto& cells = link.books[0].sheets[std::size_t(link.books[0].activeSheet)].cells;
        const kw::DataTable& t = s.table();
        FUZZ_CHECK(t.variableCount() == kw::columnNumber(range.lastColumn) - c1 + 1);
        FUZZ_CHECK(t.caseCount() == *kw::parseInteger(range.lastRow) - r1);
        for (int c = 1; c <= t.variableCount(); ++c) {
            for (int r = 0; r <= t.caseCount(); ++r) {
                const auto at = cells.find({r1 + r, c1 + c - 1});
                std::string expected = at == cells.end()
                                           ? std::string()
                                           : kw::textForm(at->second, locale.decimal, 1, 1);
                if (expected.find_first_not_of(' ') == std::string::npos) {
                    expected = range.missingCode;
                }
                FUZZ_CHECK(t.cell(c, r) == expected);
            }
        }
    }
    try {
        if (!read || options.find('f') != std::string::npos) {
            s.loadTable(kw::readTextData(fixedData));
        }
        s.pickGroup(0);
        s.pickTest(1);
        kw::test::calculate(s);
    } catch (const kw::Failure&) {
    }

    if (options.find('t') != std::string::npos) {
        link.maxRows = std::numeric_limits<int>::max(); // the results block is small
    }
    try {
        s.checkSheetSave();
        s.saveToSheet(link, target);
        // The heading stands at the cell asked for, on the sheet that is active now.
        const kw::test::MemoryLink::Book& book = link.books[std::size_t(link.activeBook)];
        const auto& cells = book.sheets[std::size_t(book.activeSheet)].cells;
        const auto heading =
            cells.find({*kw::parseInteger(target.row), kw::columnNumber(target.column)});
        FUZZ_CHECK(heading != cells.end() &&
                   heading->second.text == "KRUSKAL WALLIS NONPARAMETRIC ANOVA");
    } catch (const kw::Failure&) {
    }
    try {
        s.countsToSheet(link);
    } catch (const kw::Failure&) {
    }

    for (const std::string& text : more) {
        direct(text);
    }
    return 0;
}
