#include "core/io/workbook.h"

#include "core/base/failure.h"
#include "core/base/limits.h"
#include "core/base/numbers.h"
#include "core/io/importedtable.h"
#include "core/sheet/cellvalues.h"

#include <ixion/cell.hpp>
#include <ixion/formula_result.hpp>
#include <ixion/model_context.hpp>
#include <ixion/model_iterator.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <locale.h>
#include <new>
#include <optional>
#include <unordered_map>

namespace kw {

namespace ss = orcus::spreadsheet;

namespace {

// The size of a sheet in both formats: a smaller document refuses cells past its edge.
constexpr int sheetRows = 1048576;
constexpr int sheetColumns = 16384;

// Each sheet of the document costs about 4.5 MB before it holds a cell (a store for each of
// its 16384 columns), so that a few KB of XML naming sheets could take gigabytes: a workbook
// of more than 128 sheets is refused.
constexpr std::size_t maxSheets = 128;

// Cells set while the file is read, beyond those the XML itself spells out one by one:
// .ods repeats a cell over columns with one element, so that a small file could otherwise ask
// for more cells than there is memory.
constexpr std::size_t freeCells = 8'000'000;
constexpr std::size_t maxCells = 200'000'000;

// Orcus reads each part of the archive in one piece, sized by what the archive declares.
// Deflate packs at most about 1032 bytes into one, so a part declared larger than that is not
// what it claims; the archive is refused before orcus allocates for it.
constexpr std::uint64_t maxDeflateRatio = 1032;

// Orcus parses numbers with the C library, which follows the thread's locale: under a locale
// with a decimal comma .ods numbers would all read as 0. The locale is C while it reads.
class CLocale {
public:
    CLocale() : c_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
        if (c_ != static_cast<locale_t>(nullptr)) {
            old_ = uselocale(c_);
        }
    }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;
    ~CLocale() {
        if (c_ != static_cast<locale_t>(nullptr)) {
            uselocale(old_);
            freelocale(c_);
        }
    }

private:
    locale_t c_;
    locale_t old_ = static_cast<locale_t>(nullptr);
};

std::uint32_t le32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint32_t le16(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}

struct ZipEntry {
    std::string name;
    std::uint64_t packed = 0;
    std::uint64_t size = 0;
};

// The archive's table of contents, found the way orcus finds it (the last end record found
// scanning backwards in blocks, the entries from the offset it gives), so that the sizes
// checked here are the ones orcus will allocate. Empty when it is not a zip archive.
std::optional<std::vector<ZipEntry>> zipEntries(const std::string& b) {
    const unsigned char magic[4] = {0x06, 0x05, 0x4b, 0x50}; // 50 4B 05 06 read backwards
    std::size_t end = 0;
    bool found = false;
    for (std::size_t readEnd = b.size(); readEnd > 0 && !found;) {
        const std::size_t length = std::min<std::size_t>(22 + 0xffff, readEnd);
        const std::size_t readPos = readEnd - length;
        std::size_t matched = 0;
        for (std::size_t i = readEnd; i-- > readPos;) {
            if (static_cast<unsigned char>(b[i]) == magic[matched]) {
                if (++matched == 4) {
                    end = i;
                    found = true;
                    break;
                }
            } else {
                matched = 0;
            }
        }
        readEnd = readPos;
    }
    if (!found || end + 22 > b.size()) {
        return std::nullopt;
    }
    std::size_t pos = le32(b, end + 16);
    std::vector<ZipEntry> entries;
    while (pos <= b.size() && b.size() - pos >= 46 && le32(b, pos) == 0x02014b50) {
        ZipEntry e;
        e.packed = le32(b, pos + 20);
        e.size = le32(b, pos + 24);
        const std::size_t nameLength = le16(b, pos + 28);
        const std::size_t extra = le16(b, pos + 30);
        const std::size_t comment = le16(b, pos + 32);
        if (b.size() - pos - 46 < nameLength) {
            return std::nullopt;
        }
        e.name = b.substr(pos + 46, nameLength);
        entries.push_back(std::move(e));
        pos += 46 + nameLength + extra + comment;
    }
    return entries;
}

enum class Format { xlsx, ods };

Failure notAWorkbook(const std::string& file, const std::string& why) {
    return Failure(Failure::Reason::badData, file + " is not an .xlsx or .ods workbook: " + why);
}

// What the reading costs, told while orcus reads: cells set so far against the number the
// size of the sheets' XML suggests. Also where a request to stop is heard.
class Reading {
public:
    Reading(Feedback* feedback, std::size_t expectedCells, std::size_t budget)
        : pacer_(feedback, "reading the workbook", expectedCells + 1, 1 << 14),
          expected_(expectedCells), budget_(budget) {}

    void cells(std::size_t n) {
        cells_ += n;
        if (cells_ > budget_) {
            throw Failure(Failure::Reason::badData,
                          "the workbook holds more cells than the program can read (more than " +
                              std::to_string(budget_) + ")");
        }
        pacer_.tick(std::min(cells_, expected_));
    }
    void check() { pacer_.check(std::min(cells_, expected_)); }

private:
    Pacer pacer_;
    std::size_t expected_;
    std::size_t budget_;
    std::size_t cells_ = 0;
};

std::string twoDigits(int v) {
    return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

std::string timeText(long long seconds) {
    return twoDigits(static_cast<int>(seconds / 3600 % 24)) + ":" +
           twoDigits(static_cast<int>(seconds / 60 % 60)) + ":" +
           twoDigits(static_cast<int>(seconds % 60));
}

// The civil date of a day count from 1970-01-01 (proleptic Gregorian).
void civilDate(long long z, long long& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

long long daysFromCivil(long long y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string dateText(long long y, int m, int d) {
    std::string year = std::to_string(y);
    if (y >= 0 && year.size() < 4) {
        year.insert(0, 4 - year.size(), '0');
    }
    return year + "-" + twoDigits(m) + "-" + twoDigits(d);
}

// How a number cell is shown, from its number format.
enum class Shown : std::uint8_t { number, date, time, elapsed, boolean };

// The kind of a format code: its first section with quoted texts, escaped characters,
// fills and brackets taken out; date and time codes are letters of their own.
Shown shownByCode(std::string_view code) {
    std::string plain;
    bool elapsed = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == ';') {
            break;
        }
        if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            if (close == std::string_view::npos) {
                break;
            }
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            const std::size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos) {
                break;
            }
            const std::string_view inside = code.substr(i + 1, close - i - 1);
            if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos) {
                elapsed = true;
                plain += 'h';
            }
            i = close;
        } else {
            plain += c;
        }
    }
    if (plain.find_first_of("yYdD") != std::string::npos) {
        return Shown::date;
    }
    if (plain.find_first_of("hHsS") != std::string::npos) {
        return elapsed ? Shown::elapsed : Shown::time;
    }
    // LibreOffice keeps booleans as numbers shown through this format.
    std::string upper(code);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
    if (upper == "\"TRUE\";\"TRUE\";\"FALSE\"") {
        return Shown::boolean;
    }
    return Shown::number;
}

// The built-in number formats of .xlsx that show dates and times (ids 27-36 and 50-58 are
// the East Asian date formats).
Shown shownById(std::size_t id) {
    if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58)) {
        return Shown::date;
    }
    if ((id >= 18 && id <= 21) || id == 45 || id == 47) {
        return Shown::time;
    }
    if (id == 46) {
        return Shown::elapsed;
    }
    return Shown::number;
}

// A block of cells, 1-based and inclusive.
struct Block {
    int c1 = 0, c2 = 0, r1 = 0, r2 = 0;
    long long rows() const { return static_cast<long long>(r2) - r1 + 1; }
    int columns() const { return c2 - c1 + 1; }
};

std::string blockText(const Block& b) {
    return columnLetters(b.c1) + std::to_string(b.r1) + ":" + columnLetters(b.c2) +
           std::to_string(b.r2);
}

// One corner of a block: [$]letters[$]digits.
bool cellAddress(std::string_view s, int& column, int& row) {
    std::size_t i = 0;
    if (i < s.size() && s[i] == '$') {
        ++i;
    }
    long long c = 0;
    std::size_t letters = 0;
    for (; i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])) && letters < 4;
         ++i, ++letters) {
        c = c * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
    }
    if (letters == 0 || letters > 3) {
        return false;
    }
    if (i < s.size() && s[i] == '$') {
        ++i;
    }
    long long r = 0;
    std::size_t digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 9; ++i, ++digits) {
        r = r * 10 + (s[i] - '0');
    }
    if (digits == 0 || i != s.size()) {
        return false;
    }
    column = static_cast<int>(c);
    row = static_cast<int>(r);
    return true;
}

Block parseBlock(const std::string& text) {
    std::string s;
    for (char c : text) {
        if (c != ' ') {
            s += c;
        }
    }
    const std::size_t colon = s.find(':');
    Block b;
    if (colon == std::string::npos ||
        !cellAddress(std::string_view(s).substr(0, colon), b.c1, b.r1) ||
        !cellAddress(std::string_view(s).substr(colon + 1), b.c2, b.r2)) {
        throw Failure(Failure::Reason::badData,
                      "the range " + quotedValue(text) +
                          " is not a block of cells: give its first and last cell, such as A1:C40");
    }
    if (b.c1 > b.c2) {
        std::swap(b.c1, b.c2);
    }
    if (b.r1 > b.r2) {
        std::swap(b.r1, b.r2);
    }
    if (b.r1 < 1) {
        throw Failure(Failure::Reason::badData,
                      "the range " + quotedValue(text) + " names row 0: rows start at 1");
    }
    if (b.c2 > sheetColumns || b.r2 > sheetRows) {
        throw Failure(Failure::Reason::badData, "the range " + quotedValue(text) +
                                                    " reaches past the last cell of a sheet, " +
                                                    columnLetters(sheetColumns) +
                                                    std::to_string(sheetRows));
    }
    return b;
}

// A part of the archive, read by orcus' own zip reader (the sizes were checked before), with
// the NUL orcus ends it with.
std::optional<std::vector<unsigned char>> zipBuffer(const std::string& bytes,
                                                    std::string_view name) {
    orcus::zip_archive_stream_blob stream(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                          bytes.size());
    orcus::zip_archive archive(&stream);
    archive.load();
    std::vector<unsigned char> buffer;
    if (!archive.read_file_entry(name, buffer)) {
        return std::nullopt;
    }
    return buffer;
}

std::string_view textOf(const std::vector<unsigned char>& buffer) {
    std::size_t size = buffer.size();
    if (size > 0 && buffer[size - 1] == 0) {
        --size;
    }
    return {reinterpret_cast<const char*>(buffer.data()), size};
}

std::optional<std::string> zipPart(const std::string& bytes, std::string_view name) {
    std::optional<std::vector<unsigned char>> buffer = zipBuffer(bytes, name);
    if (!buffer) {
        return std::nullopt;
    }
    return std::string(textOf(*buffer));
}

void putLe(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((v >> (8 * i)) & 0xff);
    }
}

// A zip archive of stored (uncompressed) parts, for orcus to read. Orcus checks no CRC, so
// none is computed.
std::string storedZip(std::vector<std::pair<std::string, std::string>> parts) {
    std::string out;
    std::string directory;
    for (auto& [name, data] : parts) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto nameSize = static_cast<std::uint32_t>(name.size());
        putLe(out, 0x04034b50, 4);
        putLe(out, 20, 2); // version needed
        putLe(out, 0, 2);  // flags
        putLe(out, 0, 2);  // stored
        putLe(out, 0, 4);  // time, date
        putLe(out, 0, 4);  // crc
        putLe(out, size, 4);
        putLe(out, size, 4);
        putLe(out, nameSize, 2);
        putLe(out, 0, 2);
        out += name;
        out += data;
        data = std::string(); // one copy at a time
        putLe(directory, 0x02014b50, 4);
        putLe(directory, 20, 2);
        putLe(directory, 20, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 4);
        putLe(directory, 0, 4);
        putLe(directory, size, 4);
        putLe(directory, size, 4);
        putLe(directory, nameSize, 2);
        putLe(directory, 0, 2); // extra
        putLe(directory, 0, 2); // comment
        putLe(directory, 0, 2); // disk
        putLe(directory, 0, 2); // internal attributes
        putLe(directory, 0, 4); // external attributes
        putLe(directory, offset, 4);
        directory += name;
    }
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    out += directory;
    putLe(out, 0x06054b50, 4);
    putLe(out, 0, 4);
    putLe(out, static_cast<std::uint32_t>(parts.size()), 2);
    putLe(out, static_cast<std::uint32_t>(parts.size()), 2);
    putLe(out, static_cast<std::uint32_t>(directory.size()), 4);
    putLe(out, directoryAt, 4);
    putLe(out, 0, 2);
    return out;
}

// A start tag: its name, attributes (values as written) and where it ends.
struct Tag {
    std::string_view name;
    std::vector<std::pair<std::string_view, std::string_view>> attributes;
    std::size_t end = 0; // just past '>'
    bool selfClosing = false;

    std::string_view get(std::string_view key) const {
        for (const auto& [k, v] : attributes) {
            if (k == key) {
                return v;
            }
        }
        return {};
    }
    bool has(std::string_view key) const {
        return std::any_of(attributes.begin(), attributes.end(),
                           [&](const auto& a) { return a.first == key; });
    }
};

bool xmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The start tag at s[lt] == '<'; nothing for one that does not end or is not well formed.
std::optional<Tag> startTag(std::string_view s, std::size_t lt) {
    Tag tag;
    std::size_t i = lt + 1;
    while (i < s.size() && !xmlSpace(s[i]) && s[i] != '>' && s[i] != '/') {
        ++i;
    }
    tag.name = s.substr(lt + 1, i - lt - 1);
    for (;;) {
        while (i < s.size() && xmlSpace(s[i])) {
            ++i;
        }
        if (i >= s.size()) {
            return std::nullopt;
        }
        if (s[i] == '>' || (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '>')) {
            tag.selfClosing = s[i] == '/';
            tag.end = i + (tag.selfClosing ? 2 : 1);
            return tag;
        }
        const std::size_t nameStart = i;
        while (i < s.size() && s[i] != '=' && !xmlSpace(s[i]) && s[i] != '>') {
            ++i;
        }
        const std::string_view key = s.substr(nameStart, i - nameStart);
        while (i < s.size() && xmlSpace(s[i])) {
            ++i;
        }
        if (i >= s.size() || s[i] != '=') {
            return std::nullopt;
        }
        ++i;
        while (i < s.size() && xmlSpace(s[i])) {
            ++i;
        }
        if (i >= s.size() || (s[i] != '"' && s[i] != '\'')) {
            return std::nullopt;
        }
        const std::size_t close = s.find(s[i], i + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        tag.attributes.emplace_back(key, s.substr(i + 1, close - i - 1));
        i = close + 1;
    }
}

bool startsTag(std::string_view s, std::size_t lt, std::string_view name) {
    if (s.compare(lt + 1, name.size(), name) != 0) {
        return false;
    }
    const std::size_t after = lt + 1 + name.size();
    return after < s.size() && (xmlSpace(s[after]) || s[after] == '>' || s[after] == '/');
}

// An ISO 8601 duration such as PT13H45M30S as hours:minutes:seconds.
std::optional<std::string> durationText(std::string_view d) {
    std::size_t i = 0;
    if (i < d.size() && d[i] == '-') {
        return std::nullopt;
    }
    if (i >= d.size() || d[i] != 'P') {
        return std::nullopt;
    }
    ++i;
    double seconds = 0;
    bool time = false;
    while (i < d.size()) {
        if (d[i] == 'T') {
            time = true;
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < d.size() && ((d[i] >= '0' && d[i] <= '9') || d[i] == '.')) {
            ++i;
        }
        if (i == start || i >= d.size() || i - start > 12) {
            return std::nullopt;
        }
        const double n = std::strtod(std::string(d.substr(start, i - start)).c_str(), nullptr);
        switch (d[i]) {
        case 'D':
            seconds += n * 86400;
            break;
        case 'H':
            seconds += n * 3600;
            break;
        case 'M':
            if (!time) {
                return std::nullopt; // months
            }
            seconds += n * 60;
            break;
        case 'S':
            seconds += n;
            break;
        default:
            return std::nullopt;
        }
        ++i;
    }
    const long long s = std::llround(seconds);
    return (s / 3600 < 10 ? "0" : "") + std::to_string(s / 3600) + timeText(s).substr(2);
}

// The automatic styles of an .ods sheet, made unknown to orcus: the reader takes nothing from
// them (an .ods date is known by its cell's type), and orcus 0.17, built with its assertions,
// aborts the whole program on some malformed ones (a column's properties in a cell style).
// Every element named automatic-styles, whatever its prefix, is renamed in place.
void hideStyles(std::string& content) {
    constexpr std::string_view name = "automatic-styles";
    auto nameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
    };
    for (std::size_t at = content.find(name); at != std::string::npos;
         at = content.find(name, at + name.size())) {
        std::size_t i = at;
        if (i > 0 && content[i - 1] == ':') {
            --i;
            while (i > 0 && nameChar(content[i - 1])) {
                --i;
            }
        }
        if (i > 0 && content[i - 1] == '/') {
            --i;
        }
        if (i > 0 && content[i - 1] == '<') {
            content[at + name.size() - 1] = 'z';
        }
    }
}

// What orcus 0.17 makes of an .ods sheet falls short in places where it loses data without a
// word: cells of the types boolean, percentage, currency and time are left empty; the cached
// result of a formula is kept only when it is a number (a text result turns the cell into an
// error); a row repeated with its cells (number-rows-repeated) is read once, leaving empty
// rows after it; the cells a merged cell covers are left out, moving the cells after them to
// the left; runs of blanks (text:s) drop out of texts. Before orcus reads content.xml, its
// cells are rewritten into what orcus reads right: the types as floats or as the texts they
// show (TRUE, FALSE, 13:45:30), formulas with other results as their cached values, repeated
// rows spelled out, covered cells as plain cells, text:s as its blanks. The file's
// namespaces are taken to have their usual prefixes (table:, office:, text:), as every
// producer writes them; a file with others is read as orcus reads it.
class OdsRewrite {
public:
    OdsRewrite(std::size_t limit, Pacer& pacer) : limit_(limit), pacer_(pacer) {}

    // Whether the content holds anything to rewrite; a quick look, not a parse.
    static bool wanted(std::string_view content) {
        for (const char* mark :
             {"value-type=\"boolean\"", "value-type=\"percentage\"", "value-type=\"currency\"",
              "value-type=\"time\"", "table:formula=", "table:number-rows-repeated=",
              "table:covered-table-cell", "<text:s"}) {
            if (content.find(mark) != std::string_view::npos) {
                return true;
            }
        }
        return false;
    }

    // The rewritten content; whether anything changed tells `changed`.
    std::string run(std::string_view in) {
        std::string out;
        out.reserve(in.size() + in.size() / 16);
        walk(in, out, true);
        return out;
    }
    bool changed() const { return changed_; }

private:
    void grow(std::string& out, std::string_view text) {
        if (out.size() + text.size() > limit_) {
            throw Failure(Failure::Reason::badData,
                          "the workbook holds more cells than the program can read");
        }
        out += text;
    }

    void walk(std::string_view in, std::string& out, bool top) {
        std::size_t pos = 0;
        for (;;) {
            const std::size_t lt = in.find('<', pos);
            if (lt == std::string_view::npos) {
                grow(out, in.substr(pos));
                return;
            }
            if (top) {
                pacer_.tick(lt);
            }
            grow(out, in.substr(pos, lt - pos));
            pos = lt;
            std::optional<Tag> tag;
            if (top && startsTag(in, lt, "table:table-row") && (tag = startTag(in, lt))) {
                pos = row(in, *tag, lt, out);
            } else if (startsTag(in, lt, "table:table-cell") && (tag = startTag(in, lt))) {
                pos = cell(in, *tag, lt, out, false);
            } else if (startsTag(in, lt, "table:covered-table-cell") && (tag = startTag(in, lt))) {
                pos = cell(in, *tag, lt, out, true);
            } else if (in.compare(lt, 26, "</table:covered-table-cell") == 0) {
                grow(out, "</table:table-cell");
                pos = lt + 26;
                changed_ = true;
            } else if (startsTag(in, lt, "text:s") && (tag = startTag(in, lt)) &&
                       tag->selfClosing) {
                const std::string_view c = tag->get("text:c");
                const long long n =
                    c.empty() ? 1 : std::strtoll(std::string(c).c_str(), nullptr, 10);
                grow(out, std::string(static_cast<std::size_t>(std::clamp(n, 1LL, 1000LL)), ' '));
                pos = tag->end;
                changed_ = true;
            } else {
                grow(out, "<");
                pos = lt + 1;
            }
        }
    }

    // A row: one repeated with cells holding values is written out as often as it stands.
    std::size_t row(std::string_view in, const Tag& tag, std::size_t lt, std::string& out) {
        const std::string_view repeat = tag.get("table:number-rows-repeated");
        const long long times =
            repeat.empty() ? 1 : std::strtoll(std::string(repeat).c_str(), nullptr, 10);
        const std::size_t close =
            tag.selfClosing ? std::string_view::npos : in.find("</table:table-row>", tag.end);
        if (times <= 1 || close == std::string_view::npos) {
            grow(out, in.substr(lt, tag.end - lt));
            return tag.end;
        }
        const std::string_view body = in.substr(tag.end, close - tag.end);
        if (body.find("value-type") == std::string_view::npos) {
            grow(out, in.substr(lt, tag.end - lt));
            return tag.end;
        }
        std::string one = "<table:table-row";
        for (const auto& [k, v] : tag.attributes) {
            if (k != "table:number-rows-repeated") {
                one += " " + std::string(k) + "=\"" + std::string(v) + "\"";
            }
        }
        one += ">";
        walk(body, one, false);
        one += "</table:table-row>";
        for (long long i = 0; i < times; ++i) {
            grow(out, one);
        }
        changed_ = true;
        return close + 18;
    }

    std::size_t cell(std::string_view in, const Tag& tag, std::size_t lt, std::string& out,
                     bool covered) {
        const std::string_view type = tag.get("office:value-type");
        const bool formula = tag.has("table:formula");
        const bool error = tag.get("calcext:value-type") == "error";
        std::string newType;
        std::string text; // replaces the content when not empty
        if (!error) {
            if (type == "boolean") {
                newType = "string";
                const std::string_view b = tag.get("office:boolean-value");
                text = b == "true" || b == "1" ? "TRUE" : "FALSE";
            } else if (type == "percentage" || type == "currency") {
                newType = "float";
            } else if (type == "time") {
                if (const auto t = durationText(tag.get("office:time-value"))) {
                    newType = "string";
                    text = *t;
                }
            }
        }
        const bool dropFormula = formula && !error && !type.empty() && type != "float";
        if (newType.empty() && !dropFormula && !covered) {
            grow(out, in.substr(lt, tag.end - lt));
            return tag.end;
        }
        changed_ = true;
        std::string start = "<table:table-cell";
        for (const auto& [k, v] : tag.attributes) {
            if ((dropFormula && k == "table:formula") ||
                (!newType.empty() && (k == "office:value-type" || k == "calcext:value-type" ||
                                      k == "office:boolean-value" || k == "office:time-value"))) {
                continue;
            }
            start += " " + std::string(k) + "=\"" + std::string(v) + "\"";
        }
        if (!newType.empty()) {
            start += " office:value-type=\"" + newType + "\"";
        }
        if (text.empty()) {
            start += tag.selfClosing ? "/>" : ">";
            grow(out, start);
            return tag.end; // the content follows as it is
        }
        grow(out, start + "><text:p>" + text + "</text:p></table:table-cell>");
        if (tag.selfClosing) {
            return tag.end;
        }
        const std::string_view closeTag =
            covered ? "</table:covered-table-cell>" : "</table:table-cell>";
        const std::size_t close = in.find(closeTag, tag.end);
        return close == std::string_view::npos ? in.size() : close + closeTag.size();
    }

    std::size_t limit_;
    Pacer& pacer_;
    bool changed_ = false;
};

// Orcus 0.17 leaves out the cells an .xlsx holds as inline strings (t="inlineStr", written
// by streaming writers), without a word. Such cells are turned into shared strings before
// orcus reads the file: each inline text (the content of its <is>, which has the form of a
// shared string's <si>) is added to xl/sharedStrings.xml, made when there is none, and the
// cell refers to it. Files whose parts use namespace prefixes for the sheet elements are read
// as orcus reads them.
class InlineStrings {
public:
    // Whether a sheet's XML holds inline strings.
    static bool in(std::string_view sheet) {
        return sheet.find("t=\"inlineStr\"") != std::string_view::npos ||
               sheet.find("t='inlineStr'") != std::string_view::npos;
    }

    // The archive rewritten with the inline strings of the sheets shared; nothing when the
    // file is not laid out as expected.
    static std::optional<std::string> rewrite(const std::string& bytes, Pacer& pacer) {
        orcus::zip_archive_stream_blob stream(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                              bytes.size());
        orcus::zip_archive archive(&stream);
        archive.load();
        std::vector<std::pair<std::string, std::string>> parts;
        for (std::size_t i = 0; i < archive.get_file_entry_count(); ++i) {
            const std::string name(archive.get_file_entry_name(i));
            if (name.empty() || name.back() == '/' ||
                std::any_of(parts.begin(), parts.end(),
                            [&](const auto& p) { return p.first == name; })) {
                continue;
            }
            std::optional<std::string> data = zipPart(bytes, name);
            if (!data) {
                return std::nullopt;
            }
            parts.emplace_back(name, std::move(*data));
        }
        auto part = [&](std::string_view name) -> std::string* {
            for (auto& p : parts) {
                if (p.first == name) {
                    return &p.second;
                }
            }
            return nullptr;
        };

        std::string* shared = part("xl/sharedStrings.xml");
        std::string added;
        std::size_t next = 0;
        if (shared != nullptr) {
            next = count(*shared, "<si>") + count(*shared, "<si ") + count(*shared, "<si/>");
        }
        for (auto& [name, data] : parts) {
            if (name.rfind("xl/worksheets/", 0) == 0 && in(data)) {
                pacer.check(0);
                if (!share(data, added, next)) {
                    return std::nullopt;
                }
            }
        }
        if (shared != nullptr) {
            const std::size_t end = shared->rfind("</sst>");
            if (end == std::string::npos) {
                return std::nullopt;
            }
            shared->insert(end, added);
        } else {
            std::string* types = part("[Content_Types].xml");
            std::string* rels = part("xl/_rels/workbook.xml.rels");
            const std::size_t typesEnd = types ? types->rfind("</Types>") : std::string::npos;
            const std::size_t relsEnd = rels ? rels->rfind("</Relationships>") : std::string::npos;
            if (typesEnd == std::string::npos || relsEnd == std::string::npos) {
                return std::nullopt;
            }
            types->insert(typesEnd,
                          "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
                          "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>");
            rels->insert(relsEnd,
                         "<Relationship Id=\"kwSharedStrings\" Type=\"http://schemas."
                         "openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
                         "Target=\"sharedStrings.xml\"/>");
            parts.emplace_back("xl/sharedStrings.xml",
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst xmlns=\"http://"
                               "schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                                   added + "</sst>");
        }
        return storedZip(std::move(parts));
    }

private:
    static std::size_t count(std::string_view s, std::string_view what) {
        std::size_t n = 0;
        for (std::size_t at = s.find(what); at != std::string_view::npos;
             at = s.find(what, at + what.size())) {
            ++n;
        }
        return n;
    }

    // The sheet's inline-string cells as references to the shared strings `added` gains.
    static bool share(std::string& sheet, std::string& added, std::size_t& next) {
        std::string out;
        out.reserve(sheet.size());
        std::size_t pos = 0;
        for (std::size_t lt = sheet.find("<c ", pos); lt != std::string::npos;
             lt = sheet.find("<c ", pos)) {
            const std::optional<Tag> tag = startTag(sheet, lt);
            if (!tag) {
                return false;
            }
            if (tag->get("t") != "inlineStr" || tag->selfClosing) {
                out.append(sheet, pos, tag->end - pos);
                pos = tag->end;
                continue;
            }
            const std::size_t close = sheet.find("</c>", tag->end);
            const std::size_t is = sheet.find("<is", tag->end);
            if (close == std::string::npos || is == std::string::npos || is > close) {
                return false;
            }
            const std::optional<Tag> isTag = startTag(sheet, is);
            if (!isTag || isTag->end > close) {
                return false;
            }
            std::string_view inner;
            if (!isTag->selfClosing) {
                const std::size_t isEnd = sheet.find("</is>", isTag->end);
                if (isEnd == std::string::npos || isEnd > close) {
                    return false;
                }
                inner = std::string_view(sheet).substr(isTag->end, isEnd - isTag->end);
            }
            // An empty text becomes an empty cell: the document keeps no empty shared string.
            bool empty = true;
            for (std::size_t i = 0, depth = 0; i < inner.size() && empty; ++i) {
                depth += inner[i] == '<' ? 1 : 0;
                empty = depth > 0 || xmlSpace(inner[i]) ? empty : false;
                depth -= inner[i] == '>' && depth > 0 ? 1 : 0;
            }
            out.append(sheet, pos, lt - pos);
            out += "<c";
            for (const auto& [k, v] : tag->attributes) {
                if (k != "t") {
                    out += " " + std::string(k) + "=\"" + std::string(v) + "\"";
                }
            }
            if (empty) {
                out += "/>";
            } else {
                out += " t=\"s\"><v>" + std::to_string(next++) + "</v></c>";
                added += "<si>";
                added += inner;
                added += "</si>";
            }
            pos = close + 4;
        }
        out.append(sheet, pos);
        sheet = std::move(out);
        return true;
    }
};

} // namespace

// The proxies between orcus' readers and its document: they count the cells (for progress,
// cancelling and the limit on cells), bound the sheets, and turn .ods dates into their texts
// (the document keeps them as bare numbers, with nothing left to tell them from numbers).
namespace {

class SheetProxy final : public ss::iface::import_sheet {
public:
    SheetProxy(ss::iface::import_sheet* inner, Reading& reading,
               ss::iface::import_shared_strings* strings, bool ods)
        : inner_(inner), reading_(reading), strings_(strings), ods_(ods) {}

    ss::iface::import_sheet_view* get_sheet_view() override { return inner_->get_sheet_view(); }
    ss::iface::import_sheet_properties* get_sheet_properties() override {
        return inner_->get_sheet_properties();
    }
    ss::iface::import_data_table* get_data_table() override { return inner_->get_data_table(); }
    ss::iface::import_auto_filter* get_auto_filter() override { return inner_->get_auto_filter(); }
    ss::iface::import_table* get_table() override { return inner_->get_table(); }
    ss::iface::import_conditional_format* get_conditional_format() override {
        return inner_->get_conditional_format();
    }
    ss::iface::import_named_expression* get_named_expression() override {
        return inner_->get_named_expression();
    }
    ss::iface::import_array_formula* get_array_formula() override {
        return inner_->get_array_formula();
    }
    ss::iface::import_formula* get_formula() override {
        reading_.cells(1);
        return inner_->get_formula();
    }

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override {
        reading_.cells(1);
        inner_->set_auto(row, col, s);
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t id) override {
        reading_.cells(1);
        inner_->set_string(row, col, id);
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override {
        reading_.cells(1);
        inner_->set_value(row, col, value);
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override {
        reading_.cells(1);
        inner_->set_bool(row, col, value);
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour,
                       int minute, double second) override {
        reading_.cells(1);
        if (!ods_ || strings_ == nullptr || month < 1 || month > 12 || day < 1 || day > 31) {
            inner_->set_date_time(row, col, year, month, day, hour, minute, second);
            return;
        }
        std::string text = dateText(year, month, day);
        const long long seconds =
            (static_cast<long long>(hour) * 60 + minute) * 60 + std::llround(second);
        if (seconds > 0 && seconds < 86400) {
            text += " " + timeText(seconds);
        }
        inner_->set_string(row, col, strings_->add(text));
    }
    void set_format(ss::row_t row, ss::col_t col, std::size_t xf) override {
        inner_->set_format(row, col, xf);
    }
    void set_format(ss::row_t row1, ss::col_t col1, ss::row_t row2, ss::col_t col2,
                    std::size_t xf) override {
        inner_->set_format(row1, col1, row2, col2, xf);
    }
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t size) override {
        reading_.cells(size > 0 ? static_cast<std::size_t>(size) : 0);
        inner_->fill_down_cells(row, col, size);
    }
    ss::range_size_t get_sheet_size() const override { return inner_->get_sheet_size(); }

    ss::iface::import_sheet* inner() const { return inner_; }

private:
    ss::iface::import_sheet* inner_;
    Reading& reading_;
    ss::iface::import_shared_strings* strings_;
    bool ods_;
};

class FactoryProxy final : public ss::iface::import_factory {
public:
    FactoryProxy(ss::import_factory& inner, Reading& reading, bool ods)
        : inner_(inner), reading_(reading), ods_(ods) {}

    ss::iface::import_global_settings* get_global_settings() override {
        return inner_.get_global_settings();
    }
    ss::iface::import_shared_strings* get_shared_strings() override {
        return inner_.get_shared_strings();
    }
    ss::iface::import_named_expression* get_named_expression() override {
        return inner_.get_named_expression();
    }
    ss::iface::import_styles* get_styles() override { return inner_.get_styles(); }
    ss::iface::import_reference_resolver*
    get_reference_resolver(ss::formula_ref_context_t cxt) override {
        return inner_.get_reference_resolver(cxt);
    }
    ss::iface::import_pivot_cache_definition*
    create_pivot_cache_definition(ss::pivot_cache_id_t id) override {
        return inner_.create_pivot_cache_definition(id);
    }
    ss::iface::import_pivot_cache_records*
    create_pivot_cache_records(ss::pivot_cache_id_t id) override {
        return inner_.create_pivot_cache_records(id);
    }
    ss::iface::import_sheet* append_sheet(ss::sheet_t index, std::string_view name) override {
        if (sheets_.size() >= maxSheets) {
            throw Failure(Failure::Reason::badData, "the workbook holds more than " +
                                                        std::to_string(maxSheets) +
                                                        " sheets, more than the program reads");
        }
        reading_.check();
        return wrap(inner_.append_sheet(index, name));
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override {
        return wrap(inner_.get_sheet(name));
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override {
        return wrap(inner_.get_sheet(index));
    }
    void finalize() override {
        reading_.check();
        inner_.finalize();
    }

private:
    ss::iface::import_sheet* wrap(ss::iface::import_sheet* sheet) {
        if (sheet == nullptr) {
            return nullptr;
        }
        for (const auto& p : sheets_) {
            if (p->inner() == sheet) {
                return p.get();
            }
        }
        sheets_.push_back(
            std::make_unique<SheetProxy>(sheet, reading_, inner_.get_shared_strings(), ods_));
        return sheets_.back().get();
    }

    ss::import_factory& inner_;
    Reading& reading_;
    bool ods_;
    std::vector<std::unique_ptr<SheetProxy>> sheets_;
};

} // namespace

struct Workbook::Contents {
    Format format = Format::xlsx;
    std::unique_ptr<ss::document> doc;
    std::vector<std::string> names;

    ss::sheet_t sheetIndex(const std::string& name) const;
    Block block(ss::sheet_t sheet, const ImportOptions& options) const;
    // The text of every cell of a block, row by row, handed to `take(row, column, text)`
    // (0-based within the block); an error cell goes to `error(row, column, name)`.
    template <typename Take, typename Error>
    void cells(ss::sheet_t sheet, const Block& b, char decimal, Take take, Error error,
               Feedback* feedback) const;
};

ss::sheet_t Workbook::Contents::sheetIndex(const std::string& name) const {
    if (names.empty()) {
        throw Failure(Failure::Reason::badData, "the workbook holds no sheet");
    }
    if (name.empty()) {
        return 0;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return static_cast<ss::sheet_t>(i);
        }
    }
    // Spreadsheets take sheet names regardless of letter case.
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (lower(names[i]) == lower(name)) {
            return static_cast<ss::sheet_t>(i);
        }
    }
    throw Failure(Failure::Reason::badData, "the workbook has no sheet named " + quotedValue(name));
}

Block Workbook::Contents::block(ss::sheet_t sheet, const ImportOptions& options) const {
    if (!options.range.empty()) {
        return parseBlock(options.range);
    }
    const ixion::abs_range_t used = doc->get_sheet(sheet)->get_data_range();
    if (!used.valid()) {
        throw Failure(Failure::Reason::badData,
                      "the sheet " + quotedValue(names[static_cast<std::size_t>(sheet)]) +
                          " is empty");
    }
    return {used.first.column + 1, used.last.column + 1, used.first.row + 1, used.last.row + 1};
}

template <typename Take, typename Error>
void Workbook::Contents::cells(ss::sheet_t sheet, const Block& b, char decimal, Take take,
                               Error error, Feedback* feedback) const {
    const ixion::model_context& cxt = doc->get_model_context();
    const ss::sheet& sh = *doc->get_sheet(sheet);
    const ss::styles& styles = doc->get_styles();
    const orcus::date_time_t origin = doc->get_origin_date();
    const long long originDay = daysFromCivil(origin.year, origin.month, origin.day);

    // The way each cell format shows numbers, worked out once per format (.xlsx only: the
    // .ods dates arrived as texts).
    std::unordered_map<std::size_t, Shown> shownByFormat;
    auto shown = [&](ss::row_t row, ss::col_t col) {
        if (format != Format::xlsx) {
            return Shown::number;
        }
        const std::size_t xf = sh.get_cell_format(row, col);
        if (xf == 0) {
            return Shown::number;
        }
        if (const auto found = shownByFormat.find(xf); found != shownByFormat.end()) {
            return found->second;
        }
        Shown s = Shown::number;
        if (const ss::cell_format_t* cf = styles.get_cell_format(xf)) {
            const std::size_t id = cf->number_format;
            s = shownById(id);
            for (std::size_t i = 0; s == Shown::number && i < styles.get_number_format_count();
                 ++i) {
                const ss::number_format_t* nf = styles.get_number_format(i);
                if (nf != nullptr && nf->identifier == id) {
                    s = shownByCode(nf->format_string);
                    break;
                }
            }
        }
        shownByFormat.emplace(xf, s);
        return s;
    };
    auto numberText = [&](double v, ss::row_t row, ss::col_t col) -> std::string {
        const Shown how = shown(row, col);
        switch (how) {
        case Shown::number:
            break;
        case Shown::boolean:
            return v != 0 ? "TRUE" : "FALSE";
        case Shown::time:
        case Shown::elapsed:
        case Shown::date: {
            // Beyond the year 9999 no spreadsheet shows a date.
            if (!(std::fabs(v) < 2958466.0)) {
                break;
            }
            const long long seconds = std::llround(v * 86400.0);
            const long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
            const long long rest = seconds - days * 86400;
            if (how == Shown::elapsed && seconds >= 0) {
                return std::to_string(seconds / 3600) + timeText(seconds).substr(2);
            }
            if (how != Shown::date && days == 0) {
                return timeText(rest);
            }
            long long y = 0;
            int m = 0;
            int d = 0;
            civilDate(originDay + days, y, m, d);
            return dateText(y, m, d) + (rest != 0 ? " " + timeText(rest) : std::string());
        }
        }
        return formatGeneral(v, 15, decimal);
    };

    Pacer pacer(feedback, "reading the sheet", static_cast<std::size_t>(b.rows()), 1 << 12);
    const ixion::abs_rc_range_t range(ixion::abs_range_t(
        sheet, b.r1 - 1, b.c1 - 1, static_cast<ixion::row_t>(b.rows()), b.columns()));
    // Only cells inside the sheet's used part are looked up; the rest of the block is empty.
    ixion::abs_range_t used = sh.get_data_range();
    const int usedLastRow = used.valid() ? used.last.row : -1;
    for (ixion::model_iterator it =
             cxt.get_model_iterator(sheet, ixion::rc_direction_t::horizontal, range);
         it.has(); it.next()) {
        const ixion::model_iterator::cell& c = it.get();
        const int r = c.row - (b.r1 - 1);
        const int k = c.col - (b.c1 - 1);
        if (k == 0) {
            pacer.tick(static_cast<std::size_t>(r));
            if (c.row > usedLastRow) {
                break;
            }
        }
        switch (c.type) {
        case ixion::celltype_t::string: {
            const std::string* s = cxt.get_string(std::get<ixion::string_id_t>(c.value));
            take(r, k, s != nullptr ? std::string_view(*s) : std::string_view(),
                 std::get<ixion::string_id_t>(c.value));
            break;
        }
        case ixion::celltype_t::numeric:
            take(r, k, numberText(std::get<double>(c.value), c.row, c.col), ixion::empty_string_id);
            break;
        case ixion::celltype_t::boolean:
            take(r, k, std::get<bool>(c.value) ? "TRUE" : "FALSE", ixion::empty_string_id);
            break;
        case ixion::celltype_t::formula: {
            const ixion::formula_cell* f = std::get<const ixion::formula_cell*>(c.value);
            std::optional<ixion::formula_result> result;
            try {
                result = f->get_result_cache(ixion::formula_result_wait_policy_t::throw_exception);
            } catch (const std::exception&) {
            }
            if (!result) {
                error(r, k, std::string());
                break;
            }
            switch (result->get_type()) {
            case ixion::formula_result::result_type::value:
                take(r, k, numberText(result->get_value(), c.row, c.col), ixion::empty_string_id);
                break;
            case ixion::formula_result::result_type::string:
                take(r, k, result->get_string(), ixion::empty_string_id);
                break;
            case ixion::formula_result::result_type::error: {
                // Orcus keeps no cached error but the fact: the error's own name is lost then.
                const ixion::formula_error_t e = result->get_error();
                error(r, k,
                      e == ixion::formula_error_t::no_result_error
                          ? std::string()
                          : std::string(ixion::get_formula_error_name(e)));
                break;
            }
            case ixion::formula_result::result_type::matrix:
                error(r, k, std::string());
                break;
            }
            break;
        }
        default:
            break; // empty: the caller's cells start missing
        }
    }
}

Workbook::Workbook(std::unique_ptr<Contents> contents) : contents_(std::move(contents)) {}
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;
Workbook::~Workbook() = default;

Workbook Workbook::load(const std::string& path, Feedback* feedback) {
    auto ioError = [&](int err) {
        return Failure(Failure::Reason::fileAccess,
                       "cannot read the file " + path + ": " + std::strerror(err));
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw ioError(EISDIR);
    }
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) {
        throw ioError(errno);
    }
    std::string bytes;
    char buffer[1 << 16];
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size < (std::uintmax_t{1} << 40)) {
        bytes.reserve(static_cast<std::size_t>(size));
    }
    for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0;) {
        bytes.append(buffer, n);
    }
    if (std::ferror(f.get())) {
        throw ioError(errno);
    }
    f.reset();
    return read(std::move(bytes), "the file " + path, feedback);
}

Workbook Workbook::fromBytes(std::string bytes, Feedback* feedback) {
    return read(std::move(bytes), "the file", feedback);
}

Workbook Workbook::read(std::string bytes, const std::string& file, Feedback* feedback) {
    Pacer(feedback, "reading the workbook", 1).check(0);

    const std::optional<std::vector<ZipEntry>> entries = zipEntries(bytes);
    if (!entries) {
        throw notAWorkbook(file, "it is not a zip archive");
    }
    std::uint64_t sheetBytes = 0;
    for (const ZipEntry& e : *entries) {
        if (e.packed > bytes.size() || e.size > e.packed * maxDeflateRatio + 4096) {
            throw Failure(Failure::Reason::badData,
                          file + " is damaged: the part " + quotedValue(e.name) +
                              " of its zip archive claims sizes that cannot be");
        }
        if (e.name == "content.xml" || e.name.rfind("xl/worksheets/", 0) == 0) {
            sheetBytes += e.size;
        }
    }

    // Orcus and the rewriting below read numbers with the C library.
    const CLocale c;
    auto contents = std::make_unique<Contents>();
    try {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        if (orcus::orcus_xlsx::detect(data, bytes.size())) {
            contents->format = Format::xlsx;
        } else if (orcus::orcus_ods::detect(data, bytes.size())) {
            contents->format = Format::ods;
        } else {
            throw notAWorkbook(file, "it is a zip archive without a workbook in it");
        }
    } catch (const Failure&) {
        throw;
    } catch (const std::exception&) {
        throw notAWorkbook(file, "its zip archive is damaged");
    }
    const bool ods = contents->format == Format::ods;

    // Bytes of sheet XML per cell, roughly, for the progress of the reading.
    const std::size_t perCell = ods ? 140 : 60;
    const std::size_t expected = static_cast<std::size_t>(sheetBytes / perCell);
    const std::size_t budget =
        static_cast<std::size_t>(std::min<std::uint64_t>(maxCells, freeCells + sheetBytes / 2));
    Reading reading(feedback, expected, budget);
    try {
        if (!ods) {
            bool inlineStrings = false;
            for (const ZipEntry& e : *entries) {
                if (e.name.rfind("xl/worksheets/", 0) == 0 && !inlineStrings) {
                    const auto sheet = zipBuffer(bytes, e.name);
                    inlineStrings = sheet && InlineStrings::in(textOf(*sheet));
                }
            }
            if (inlineStrings) {
                Pacer pacer(feedback, "preparing the workbook", 1);
                if (std::optional<std::string> shared = InlineStrings::rewrite(bytes, pacer)) {
                    bytes = std::move(*shared);
                }
            }
        }
        if (ods) {
            // Orcus reads content.xml alone; it is handed over stored, its styles hidden and,
            // where needed, its cells rewritten.
            std::optional<std::string> content = zipPart(bytes, "content.xml");
            if (content) {
                hideStyles(*content);
                if (OdsRewrite::wanted(*content)) {
                    Pacer pacer(feedback, "preparing the workbook", content->size(), 1 << 22);
                    const std::size_t limit = static_cast<std::size_t>(std::min<std::uint64_t>(
                        0xffff0000u, std::max<std::uint64_t>(64u << 20, 4 * content->size())));
                    OdsRewrite rewrite(limit, pacer);
                    std::string rewritten = rewrite.run(*content);
                    if (rewrite.changed()) {
                        *content = std::move(rewritten);
                    }
                }
                std::vector<std::pair<std::string, std::string>> parts;
                parts.emplace_back("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
                parts.emplace_back("content.xml", std::move(*content));
                content.reset();
                bytes = std::string();
                bytes = storedZip(std::move(parts));
            }
        }
        contents->doc = std::make_unique<ss::document>(ss::range_size_t{sheetRows, sheetColumns});
        ss::import_factory factory(*contents->doc);
        // A formula orcus cannot parse keeps its cached result instead of failing the file.
        factory.set_formula_error_policy(ss::formula_error_policy_t::skip);
        FactoryProxy proxy(factory, reading, ods);
        std::unique_ptr<orcus::iface::import_filter> filter;
        if (ods) {
            filter = std::make_unique<orcus::orcus_ods>(&proxy);
        } else {
            filter = std::make_unique<orcus::orcus_xlsx>(&proxy);
        }
        filter->read_stream(bytes);
    } catch (const Failure&) {
        throw;
    } catch (const Cancelled&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw Failure(Failure::Reason::outOfMemory, "there is not enough memory to read " + file);
    } catch (const std::exception& e) {
        const std::string why = e.what();
        throw Failure(Failure::Reason::badData,
                      file +
                          " cannot be read: it is damaged, or holds what the reader does not "
                          "know" +
                          (why.empty() ? std::string() : " (" + quotedValue(why) + ")"));
    }
    reading.check();
    bytes = {};

    const ss::document& doc = *contents->doc;
    for (std::size_t i = 0; i < doc.get_sheet_count(); ++i) {
        contents->names.emplace_back(doc.get_sheet_name(static_cast<ss::sheet_t>(i)));
    }
    if (contents->names.empty()) {
        throw Failure(Failure::Reason::badData, file + " holds no sheet");
    }
    return Workbook(std::move(contents));
}

std::vector<std::string> Workbook::sheetNames() const {
    return contents_->names;
}

std::string Workbook::usedRange(const std::string& sheet) const {
    const ixion::abs_range_t used =
        contents_->doc->get_sheet(contents_->sheetIndex(sheet))->get_data_range();
    if (!used.valid()) {
        return {};
    }
    return blockText(
        {used.first.column + 1, used.last.column + 1, used.first.row + 1, used.last.row + 1});
}

std::vector<std::vector<std::string>> Workbook::preview(const ImportOptions& options,
                                                        int rows) const {
    const ss::sheet_t sheet = contents_->sheetIndex(options.sheet);
    Block b = contents_->block(sheet, options);
    if (rows <= 0) {
        return {};
    }
    b.r2 = static_cast<int>(std::min<long long>(b.r2, static_cast<long long>(b.r1) + rows - 1));
    std::vector<std::vector<std::string>> out(
        static_cast<std::size_t>(b.rows()),
        std::vector<std::string>(static_cast<std::size_t>(b.columns())));
    contents_->cells(
        sheet, b, options.decimal.value_or('.'),
        [&](int r, int k, std::string_view text, ixion::string_id_t) {
            out[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = std::string(text);
        },
        [&](int r, int k, const std::string& name) {
            out[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] =
                name.empty() ? "#ERR!" : name;
        },
        nullptr);
    return out;
}

DataTable Workbook::table(const ImportOptions& options, char decimal, Feedback* feedback) const {
    const ss::sheet_t sheet = contents_->sheetIndex(options.sheet);
    const Block b = contents_->block(sheet, options);
    const long long cellCount = b.rows() * b.columns();
    if (cellCount > maxTypedCells) {
        throw Failure(Failure::Reason::badData, "the range " + blockText(b) + " holds " +
                                                    std::to_string(cellCount) + " cells: at most " +
                                                    std::to_string(maxTypedCells) +
                                                    " can be read at once");
    }
    if (b.rows() < 2) {
        throw Failure(Failure::Reason::badData,
                      "the range " + blockText(b) +
                          " holds only the row of names: it needs at least one row of cases "
                          "below it");
    }
    auto store = std::make_shared<TextStore>();
    ImportedTable t(store, options);
    const std::size_t caseCount = static_cast<std::size_t>(b.rows() - 1);
    std::vector<std::string> names(static_cast<std::size_t>(b.columns()));
    std::vector<std::vector<CellRef>> columns(static_cast<std::size_t>(b.columns()),
                                              std::vector<CellRef>(caseCount, t.missing()));
    // A text that recurs (a group's name) is stored once.
    std::vector<std::uint64_t> byString;
    constexpr std::uint64_t none = ~std::uint64_t{0};
    contents_->cells(
        sheet, b, decimal,
        [&](int r, int k, std::string_view text, ixion::string_id_t id) {
            if (r == 0) {
                names[static_cast<std::size_t>(k)] = std::string(text);
                return;
            }
            CellRef ref;
            if (id != ixion::empty_string_id && id < (std::size_t{1} << 28)) {
                if (id >= byString.size()) {
                    byString.resize(std::max<std::size_t>(id + 1, byString.size() * 2), none);
                }
                if (byString[id] == none) {
                    byString[id] = t.cell(text).bits;
                }
                ref.bits = byString[id];
            } else {
                ref = t.cell(text);
            }
            columns[static_cast<std::size_t>(k)][static_cast<std::size_t>(r - 1)] = ref;
        },
        [&](int r, int k, const std::string& name) {
            (void)textForm(CellValue::makeError(name), decimal, b.c1 + k, b.r1 + r);
        },
        feedback);
    return t.finish(std::move(names), std::move(columns));
}

DataTable readWorkbookFile(const std::string& path, const ImportOptions& options, char decimal,
                           Feedback* feedback) {
    return Workbook::load(path, feedback).table(options, decimal, feedback);
}

} // namespace kw
