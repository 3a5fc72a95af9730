#include "core/results/tableworkbook.h"

#include "core/base/failure.h"
#include "core/base/numbers.h"
#include "core/io/safefile.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <locale.h>
#include <map>
#include <optional>
#include <set>
#include <unistd.h>

namespace kw {

TextCells::TextCells(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {
    for (const auto& row : rows_) {
        columns_ = std::max(columns_, static_cast<int>(row.size()));
    }
}

std::string TextCells::cell(int col, int row) const {
    if (row < 0 || row >= rowCount() || col < 0) {
        return {};
    }
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    return col < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(col)]
                                                : std::string();
}

namespace {

// The C locale for this thread while the library writes: its snprintf would write "7,25"
// under a German locale, which no reader takes for a number.
class CLocale {
public:
    CLocale() : c_(newlocale(LC_ALL_MASK, "C", locale_t(nullptr))) {
        if (c_ != locale_t(nullptr)) {
            old_ = uselocale(c_);
        }
    }
    ~CLocale() {
        if (c_ != locale_t(nullptr)) {
            uselocale(old_);
            freelocale(c_);
        }
    }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;

private:
    locale_t c_;
    locale_t old_ = LC_GLOBAL_LOCALE;
};

// The number a text is, with the format that shows it as the text did ("" for the general
// format); nothing for a text that is not a number, or would not come back the same.
struct NumberCell {
    double value;
    std::string format;
};

std::optional<NumberCell> numberCell(std::string_view text, char decimal) {
    std::size_t i = 0;
    std::size_t n = text.size();
    while (i < n && text[i] == ' ') {
        ++i;
    }
    while (n > i && text[n - 1] == ' ') {
        --n;
    }
    const std::string_view t = text.substr(i, n - i);
    if (t.empty()) {
        return std::nullopt;
    }
    const std::optional<double> value = parseReal(t, decimal);
    if (!value) {
        return std::nullopt;
    }
    std::size_t p = t[0] == '-' || t[0] == '+' ? 1 : 0;
    // "007" is a code, not seven.
    if (p + 1 < t.size() && t[p] == '0' && std::isdigit(static_cast<unsigned char>(t[p + 1]))) {
        return std::nullopt;
    }
    int significant = 0;
    int decimals = -1; // none: no decimal mark
    int exponentDigits = -1;
    bool seenNonZero = false;
    for (; p < t.size(); ++p) {
        const char c = t[p];
        if (c == decimal) {
            decimals = 0;
        } else if (c == 'E' || c == 'e') {
            exponentDigits = 0;
            for (++p; p < t.size(); ++p) {
                exponentDigits += std::isdigit(static_cast<unsigned char>(t[p])) ? 1 : 0;
            }
            break;
        } else {
            seenNonZero = seenNonZero || c != '0';
            significant += seenNonZero ? 1 : 0;
            decimals += decimals >= 0 ? 1 : 0;
        }
    }
    if (significant > 15) {
        return std::nullopt; // a double keeps 15 digits: the rest would be lost
    }
    std::string format;
    if (decimals > 0 || exponentDigits > 0) {
        format = "0";
        if (decimals > 0) {
            format += '.' + std::string(static_cast<std::size_t>(std::min(decimals, 30)), '0');
        }
        if (exponentDigits > 0) {
            format +=
                "E+" + std::string(static_cast<std::size_t>(std::min(exponentDigits, 3)), '0');
        }
    }
    return NumberCell{*value, format};
}

// The text as valid UTF-8 that XML allows, at most the 32,767 characters a cell holds:
// other bytes become U+FFFD, control characters other than tab and line ends go.
std::string cellText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size() && chars < 32767; ++chars) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
                out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const int length = c >= 0xF0 ? (c <= 0xF4 ? 4 : 0) : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            valid =
                (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) == 0x80;
        }
        if (valid && length == 3) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            valid = !(c == 0xE0 && c1 < 0xA0) && !(c == 0xED && c1 >= 0xA0); // overlong, surrogates
        }
        if (valid && length == 4) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            valid = !(c == 0xF0 && c1 < 0x90) && !(c == 0xF4 && c1 >= 0x90);
        }
        if (valid) {
            out.append(text.substr(i, static_cast<std::size_t>(length)));
            i += static_cast<std::size_t>(length);
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

// A name of at most 31 characters without the characters sheet names may not hold.
std::string sheetName(const std::string& wanted, std::size_t room) {
    std::string name;
    std::size_t chars = 0;
    const std::string text = cellText(wanted);
    for (std::size_t i = 0; i < text.size() && chars < room; ++chars) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (std::string_view("[]:*?/\\").find(static_cast<char>(c)) != std::string_view::npos ||
            c < 0x20) {
            name += '_';
        } else {
            name.append(text, i, length);
        }
        i += length;
    }
    while (!name.empty() && name.front() == '\'') {
        name.front() = '_';
    }
    while (!name.empty() && name.back() == '\'') {
        name.back() = '_';
    }
    return name;
}

std::string folded(const std::string& name) {
    std::string f = name;
    std::transform(f.begin(), f.end(), f.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return f;
}

struct WorkbookDeleter {
    void operator()(lxw_workbook* wb) const { lxw_workbook_free(wb); }
};

[[noreturn]] void failWriting(const std::string& path, lxw_error error) {
    throw Failure(Failure::Reason::fileAccess,
                  "cannot write the file " + path + ": " + lxw_strerror(error));
}

// A file of the library's own, removed when done.
class TemporaryFile {
public:
    TemporaryFile() {
        std::error_code ec;
        std::string pattern =
            (std::filesystem::temp_directory_path(ec) / "kw-workbook-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            throw Failure(Failure::Reason::fileAccess,
                          "cannot write a temporary file in " + pattern);
        }
        close(fd);
        path_ = pattern;
    }
    ~TemporaryFile() { std::remove(path_.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace

std::vector<std::string> workbookSheetNames(const std::vector<std::string>& names) {
    std::vector<std::string> result;
    std::set<std::string> taken; // Excel compares names without letter case
    for (const std::string& wanted : names) {
        std::string name = sheetName(wanted, 31);
        if (name.empty()) {
            name = "Sheet";
        }
        for (int n = 2; taken.count(folded(name)) > 0; ++n) {
            const std::string suffix = " (" + std::to_string(n) + ")";
            name = sheetName(wanted.empty() ? "Sheet" : wanted, 31 - suffix.size()) + suffix;
        }
        taken.insert(folded(name));
        result.push_back(name);
    }
    return result;
}

void writeTableWorkbook(const std::string& path, const std::vector<WorkbookTable>& tables,
                        char decimal, Feedback* feedback) {
    std::size_t total = 0;
    for (const WorkbookTable& table : tables) {
        total += table.cells
                     ? static_cast<std::size_t>(std::min(table.cells->rowCount(), workbookRowLimit))
                     : 0;
    }
    // The rows go to the library as they come; it packs them into the file at the end.
    Pacer pacer(feedback, "preparing the workbook", total, 4096);
    std::vector<std::string> names;
    for (const WorkbookTable& table : tables) {
        names.push_back(table.name);
    }
    names = workbookSheetNames(names);

    const TemporaryFile temporary;
    {
        const CLocale cLocale;
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        std::unique_ptr<lxw_workbook, WorkbookDeleter> book(
            workbook_new_opt(temporary.path().c_str(), &options));
        if (!book) {
            failWriting(path, LXW_ERROR_MEMORY_MALLOC_FAILED);
        }
        std::map<std::string, lxw_format*> formats;
        auto formatFor = [&](const std::string& numberFormat) -> lxw_format* {
            if (numberFormat.empty()) {
                return nullptr;
            }
            lxw_format*& format = formats[numberFormat];
            if (format == nullptr) {
                format = workbook_add_format(book.get());
                format_set_num_format(format, numberFormat.c_str());
            }
            return format;
        };
        std::size_t done = 0;
        for (std::size_t t = 0; t < tables.size(); ++t) {
            lxw_worksheet* sheet = workbook_add_worksheet(book.get(), names[t].c_str());
            if (sheet == nullptr) {
                failWriting(path, LXW_ERROR_SHEETNAME_ALREADY_USED);
            }
            const Grid* grid = tables[t].cells.get();
            if (grid == nullptr) {
                continue;
            }
            const int rows = std::min(grid->rowCount(), workbookRowLimit);
            const int columns = std::min(grid->columnCount(), workbookColumnLimit);
            if (rows < grid->rowCount() || columns < grid->columnCount()) {
                pacer.check(done);
                if (feedback != nullptr) {
                    feedback->warning(Failure(Failure::Reason::badData,
                                              "the sheet " + names[t] + " holds the first " +
                                                  std::to_string(rows) + " rows and " +
                                                  std::to_string(columns) + " columns of " +
                                                  std::to_string(grid->rowCount()) + " rows and " +
                                                  std::to_string(grid->columnCount()) +
                                                  " columns: a sheet holds no more"));
                }
            }
            std::string text;
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < columns; ++c) {
                    text.clear();
                    grid->appendCell(c, r, text);
                    if (text.empty()) {
                        continue;
                    }
                    lxw_error error = LXW_NO_ERROR;
                    if (const std::optional<NumberCell> number = numberCell(text, decimal)) {
                        error = worksheet_write_number(sheet, static_cast<lxw_row_t>(r),
                                                       static_cast<lxw_col_t>(c), number->value,
                                                       formatFor(number->format));
                    } else {
                        const std::string shown = cellText(text);
                        if (shown.empty()) {
                            continue;
                        }
                        error = worksheet_write_string(sheet, static_cast<lxw_row_t>(r),
                                                       static_cast<lxw_col_t>(c), shown.c_str(),
                                                       nullptr);
                    }
                    if (error != LXW_NO_ERROR) {
                        failWriting(path, error);
                    }
                }
                pacer.tick(++done);
            }
        }
        const lxw_error closed = workbook_close(book.release()); // frees the workbook
        if (closed != LXW_NO_ERROR) {
            failWriting(path, closed);
        }
    }
    // Copied into place whole, or the target is left as it was.
    std::ifstream in(temporary.path(), std::ios::binary);
    if (!in) {
        failWriting(path, LXW_ERROR_CREATING_XLSX_FILE);
    }
    writeFileSafely(path, [&](std::ostream& out) { out << in.rdbuf(); });
}

} // namespace kw
