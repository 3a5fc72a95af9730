// The delimited-text reader on arbitrary bytes, against a plain character-by-character
// reading of the same text: either both refuse it (the reader with a kw::Failure naming the
// same line), or the reader's table holds exactly the names and cells read here. The preview
// must never throw and must split the start of the text as the reader does.
//
// The first two bytes choose the options (see `optionsOf`); the rest is the file. With the
// "large" choice, everything after the first line of the file is repeated until it passes
// 1 MB, so that the reader splits the lines among its workers when the text holds no quote.

#include "core/base/failure.h"
#include "core/base/numbers.h"
#include "core/data/datatable.h"
#include "core/io/delimitedtext.h"
#include "core/io/textencoding.h"
#include "fuzzcheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Choice {
    kw::ImportOptions options;
    char decimal = '.'; // the program's
    bool large = false;
};

// Byte 0: bits 0-2 the separator (detected, comma, semicolon, tab, bar, blank, none, or the
// byte 1), bits 3-4 the decimal mark (detected, point, comma, detected), bits 5-6 the encoding
// (detected, UTF-8, WINDOWS-1252, UTF-16LE), bit 7 the wide layout. Byte 1: bit 0 the
// program's decimal comma, bits 1-2 an NA code (none, "NA", ".", "-"), bit 3 a missing-value
// code of its own, bits 4 to 6 (all set) large: slow, so an eighth of the inputs at most.
Choice optionsOf(std::uint8_t a, std::uint8_t b) {
    Choice c;
    kw::ImportOptions& o = c.options;
    static constexpr char separators[] = {0, ',', ';', '\t', '|', ' ', '\0'};
    const int s = a & 7;
    if (s == 7) {
        o.delimiter = static_cast<char>(b);
    } else if (s > 0) {
        o.delimiter = separators[s];
    }
    const int d = (a >> 3) & 3;
    if (d == 1 || d == 2) {
        o.decimal = d == 1 ? '.' : ',';
    }
    static const char* encodings[] = {"", "UTF-8", "WINDOWS-1252", "UTF-16LE"};
    o.encoding = encodings[(a >> 5) & 3];
    o.wide = (a & 128) != 0;
    c.decimal = (b & 1) != 0 ? ',' : '.';
    static const char* codes[] = {nullptr, "NA", ".", "-"};
    if (const char* code = codes[(b >> 1) & 3]) {
        o.naCodes = {code};
    }
    if ((b & 8) != 0) {
        o.missingCode = "NaN";
    }
    c.large = (b & 0x70) == 0x70;
    return c;
}

std::string enlarged(std::string bytes) {
    const std::size_t firstEnd = bytes.find_first_of("\r\n");
    if (firstEnd == std::string::npos || firstEnd + 1 >= bytes.size()) {
        return bytes;
    }
    const std::string body = bytes.substr(firstEnd + 1);
    while (bytes.size() <= (std::size_t{1} << 20)) {
        bytes += body;
    }
    return bytes;
}

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// The records of UTF-8 text as the reader documents them, or where and why they end.
struct Reference {
    std::vector<std::vector<std::string>> records;
    std::vector<std::size_t> lines; // where each record starts
    std::size_t errorLine = 0;      // a record that cannot be split
};

Reference split(std::string_view t, std::optional<char> separator) {
    Reference ref;
    const bool blanks = separator != ' ';
    const auto isSeparator = [&](char c) { return separator && c == *separator; };
    const std::size_t n = t.size();
    std::size_t line = 1;
    std::size_t i = 0;
    const auto pastLineEnd = [&](std::size_t k) {
        ++line;
        return k + 1 + (t[k] == '\r' && k + 1 < n && t[k + 1] == '\n' ? 1 : 0);
    };
    while (i < n) {
        std::size_t j = i;
        while (j < n && t[j] == ' ') {
            ++j;
        }
        if (j == n) {
            break;
        }
        if (isLineEnd(t[j])) {
            i = pastLineEnd(j);
            continue;
        }
        ref.lines.push_back(line);
        std::vector<std::string> fields;
        for (;;) {
            std::size_t k = i;
            while (blanks && k < n && t[k] == ' ') {
                ++k;
            }
            if (k < n && t[k] == '"') {
                std::string field;
                const std::size_t open = line;
                std::size_t p = k + 1;
                for (;;) {
                    if (p >= n) {
                        ref.errorLine = open;
                        return ref;
                    }
                    if (t[p] == '"') {
                        if (p + 1 < n && t[p + 1] == '"') {
                            field += '"';
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    if (t[p] == '\n' || (t[p] == '\r' && !(p + 1 < n && t[p + 1] == '\n'))) {
                        ++line;
                    }
                    field += t[p++];
                }
                while (blanks && p < n && t[p] == ' ') {
                    ++p;
                }
                if (p < n && !isSeparator(t[p]) && !isLineEnd(t[p])) {
                    ref.errorLine = line;
                    return ref;
                }
                fields.push_back(field);
                i = p;
            } else {
                std::size_t p = i;
                while (p < n && !isSeparator(t[p]) && !isLineEnd(t[p])) {
                    ++p;
                }
                fields.emplace_back(t.substr(i, p - i));
                i = p;
            }
            if (i >= n) {
                break;
            }
            if (isLineEnd(t[i])) {
                i = pastLineEnd(i);
                break;
            }
            ++i;
        }
        ref.records.push_back(std::move(fields));
    }
    return ref;
}

bool isMissing(const std::string& s, const kw::ImportOptions& o) {
    return s.find_first_not_of(' ') == std::string::npos ||
           std::find(o.naCodes.begin(), o.naCodes.end(), s) != o.naCodes.end();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const Choice choice = optionsOf(data[0], data[1]);
    const kw::ImportOptions& options = choice.options;
    std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    if (choice.large) {
        bytes = enlarged(std::move(bytes));
    }

    // The preview and the format never throw.
    const auto preview = kw::previewDelimited(bytes, options, 50);
    FUZZ_CHECK(preview.size() <= 50);
    const kw::TextFormat format = kw::resolveTextFormat(bytes, options);
    FUZZ_CHECK(format.decimal == '.' || format.decimal == ',');

    std::optional<kw::DataTable> table;
    std::string refusal;
    try {
        table = kw::readDelimitedData(bytes, options, choice.decimal);
    } catch (const kw::Failure& f) {
        FUZZ_CHECK(f.reason() == kw::Failure::Reason::badData);
        refusal = f.message();
    }
    if (table) {
        const kw::DataTable& t = *table;
        FUZZ_CHECK(t.variableCount() >= 1 && t.caseCount() >= 1);
        FUZZ_CHECK(t.names().size() == static_cast<std::size_t>(t.variableCount()));
        FUZZ_CHECK(!options.wide || t.variableCount() == 2);
        for (int c = 1; c <= t.variableCount(); ++c) {
            const kw::ColumnView column = t.column(c);
            FUZZ_CHECK(column.size() == static_cast<std::size_t>(t.caseCount()));
            for (int r = 1; r <= t.caseCount(); ++r) {
                FUZZ_CHECK(column[std::size_t(r - 1)] == t.value(c, r));
            }
        }
    }

    // The plain reading, for text that is UTF-8 as it stands.
    const bool utf8 = (options.encoding.empty() || options.encoding == "UTF-8") &&
                      kw::byteOrderMark(bytes).encoding.empty() &&
                      (!options.encoding.empty() || kw::unmarkedUtf16(bytes).empty()) &&
                      kw::invalidUtf8(bytes) == std::string_view::npos;
    const bool usable =
        !options.delimiter || (*options.delimiter != '"' && !isLineEnd(*options.delimiter) &&
                               static_cast<unsigned char>(*options.delimiter) < 128);
    if (!utf8 || !usable) {
        return 0;
    }
    const std::optional<char> separator =
        format.delimiter == '\0' ? std::nullopt : std::optional<char>(format.delimiter);
    const Reference ref = split(bytes, separator);

    // The preview splits the start alike, rows of the reader's size for a small text.
    if (bytes.size() < 100000) {
        const std::size_t shown = std::min<std::size_t>(ref.records.size(), 50);
        FUZZ_CHECK(preview.size() == shown);
        for (std::size_t k = 0; k < shown; ++k) {
            FUZZ_CHECK(preview[k] == ref.records[k]);
        }
    }

    // The first record that cannot be split, or whose number of fields is not the names'.
    std::size_t badLine = 0;
    const std::size_t names = ref.records.empty() ? 0 : ref.records[0].size();
    for (std::size_t k = 1; k < ref.records.size() && badLine == 0; ++k) {
        if (ref.records[k].size() != names) {
            badLine = ref.lines[k];
        }
    }
    if (badLine == 0) {
        badLine = ref.errorLine;
    }
    if (badLine != 0) {
        FUZZ_CHECK(!table);
        FUZZ_CHECK(refusal.rfind("line " + std::to_string(badLine) + " of the file ", 0) == 0);
        return 0;
    }
    if (options.wide) {
        return 0; // cells rearranged: the invariants above
    }
    if (ref.records.size() < 2) {
        FUZZ_CHECK(!table); // no names, or no case below them
        return 0;
    }
    FUZZ_CHECK(table);
    std::vector<std::string> expectedNames = ref.records[0];
    std::size_t columns = expectedNames.size();
    const auto allMissing = [&](std::size_t k) {
        for (std::size_t r = 1; r < ref.records.size(); ++r) {
            if (!ref.records[r][k].empty() &&
                !(ref.records[r][k].find_first_not_of(' ') == std::string::npos) &&
                std::find(options.naCodes.begin(), options.naCodes.end(), ref.records[r][k]) ==
                    options.naCodes.end()) {
                return false;
            }
        }
        return true;
    };
    if (columns > 1 && expectedNames.back().find_first_not_of(' ') == std::string::npos &&
        allMissing(columns - 1)) {
        --columns;
    }
    const kw::DataTable& t = *table;
    FUZZ_CHECK(static_cast<std::size_t>(t.variableCount()) == columns);
    FUZZ_CHECK(static_cast<std::size_t>(t.caseCount()) + 1 == ref.records.size());
    for (std::size_t k = 0; k < columns; ++k) {
        const std::string& name = expectedNames[k];
        FUZZ_CHECK(t.name(int(k + 1)) == (name.find_first_not_of(' ') == std::string::npos
                                              ? "var" + std::to_string(k + 1)
                                              : name));
        for (std::size_t r = 1; r < ref.records.size(); ++r) {
            std::string cell = ref.records[r][k];
            if (isMissing(cell, options)) {
                cell = options.missingCode;
            } else if (format.decimal != choice.decimal) {
                const std::size_t mark = cell.find(format.decimal);
                if (mark != std::string::npos && kw::parseReal(cell, format.decimal)) {
                    cell[mark] = choice.decimal;
                }
            }
            FUZZ_CHECK(t.value(int(k + 1), int(r)) == cell);
        }
    }
    return 0;
}
