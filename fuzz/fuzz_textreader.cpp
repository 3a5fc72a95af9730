// The text reader on arbitrary bytes, against a plain line-by-line reading of the same bytes:
// either both refuse the data (the reader with a kw::Failure, for the same line), or the
// reader's table holds exactly the names and values read here. Every name and value is read
// through the table, so that a view pointing outside its text is caught.
//
// An input that starts with the byte FF stands for a large file: the rest up to a NUL byte
// with everything after its first line repeated until it passes 1 MB, then what follows the
// NUL. The reader then splits the lines among its workers, and their slices meet in ever
// other places of the text.

#include "core/base/failure.h"
#include "core/data/datatable.h"
#include "core/io/textreader.h"
#include "fuzzcheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Appends the blank-separated words of `line`, at most `limit` of them; returns how many
// there were (up to the limit).
std::size_t words(std::string_view line, std::size_t limit, std::vector<std::string_view>& out) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < line.size() && count < limit;) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t j = std::min(line.find(' ', i), line.size());
        out.push_back(line.substr(i, j - i));
        ++count;
        i = j;
    }
    return count;
}

// The file as the reader documents it: lines end with CR LF, LF or CR, a Ctrl-Z ends the
// file, only the blank separates.
struct Expected {
    std::vector<std::string_view> names;
    std::vector<std::string_view> values; // row by row, as many as names each
    std::size_t shortline = 0; // physical line number of the first line with too few values
    bool refused = false;
};

Expected expect(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1a'));
    Expected e;
    std::size_t lineno = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        const std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') {
            ++pos;
        }
        if (++lineno == 1) {
            words(line, bytes.size(), e.names);
            if (e.names.empty()) {
                break;
            }
            continue;
        }
        const std::size_t n = words(line, e.names.size(), e.values);
        if (n > 0 && n < e.names.size()) {
            e.shortline = lineno;
            break;
        }
    }
    e.refused = e.names.empty() || e.shortline != 0 || e.values.empty();
    return e;
}

// The large file an input stands for (see above), or the input itself.
std::string filebytes(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size == 0 || data[0] != 0xFF) {
        return bytes;
    }
    // FF, the first line, lines to repeat, and optionally a NUL byte and lines for the end.
    bytes.erase(0, 1);
    const std::size_t nul = std::min(bytes.find('\0'), bytes.size());
    const std::string tail = bytes.substr(std::min(nul + 1, bytes.size()));
    bytes.resize(nul);
    const std::size_t firstend = bytes.find_first_of("\r\n");
    if (firstend != std::string::npos && firstend + 1 < bytes.size()) {
        const std::string body = bytes.substr(firstend + 1);
        bytes.reserve((std::size_t{1} << 20) + body.size() + tail.size());
        while (bytes.size() <= (std::size_t{1} << 20)) {
            bytes += body;
        }
    }
    return bytes + tail;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = filebytes(data, size);
    const Expected expected = expect(bytes);

    std::optional<kw::DataTable> table;
    try {
        table = kw::readTextData(bytes);
    } catch (const kw::Failure& f) {
        FUZZ_CHECK(expected.refused);
        if (expected.shortline != 0) {
            const std::string line = "line " + std::to_string(expected.shortline) + " ";
            FUZZ_CHECK(f.message().rfind(line, 0) == 0);
        }
        return 0;
    }
    FUZZ_CHECK(!expected.refused);

    const kw::DataTable& t = *table;
    const std::size_t variableCount = expected.names.size();
    FUZZ_CHECK(static_cast<std::size_t>(t.variableCount()) == variableCount);
    FUZZ_CHECK(static_cast<std::size_t>(t.caseCount()) * variableCount == expected.values.size());
    for (int c = 1; c <= t.variableCount(); ++c) {
        FUZZ_CHECK(t.name(c) == expected.names[std::size_t(c - 1)]);
        FUZZ_CHECK(t.cell(c, 0) == t.name(c));
        const kw::ColumnView column = t.column(c);
        FUZZ_CHECK(column.size() == static_cast<std::size_t>(t.caseCount()));
        for (int r = 1; r <= t.caseCount(); ++r) {
            const std::string_view value = t.value(c, r);
            FUZZ_CHECK(value ==
                       expected.values[std::size_t(r - 1) * variableCount + std::size_t(c - 1)]);
            FUZZ_CHECK(column[std::size_t(r - 1)] == value);
        }
    }
    FUZZ_CHECK(t.cell(0, t.caseCount()) == std::to_string(t.caseCount()));
    FUZZ_CHECK(t.cell(t.variableCount() + 1, 1).empty() && t.cell(1, t.caseCount() + 1).empty());

    // An edit gives the table a cell of its own; views taken before keep the old text.
    const kw::ColumnView before = t.column(1);
    const std::string old(before[0]);
    kw::DataTable edited = t;
    edited.setValue(1, 1, old + "x");
    FUZZ_CHECK(edited.value(1, 1) == old + "x");
    FUZZ_CHECK(before[0] == old && t.value(1, 1) == old);
    return 0;
}
