#include "core/io/delimitedtext.h"

#include "core/base/failure.h"
#include "core/base/numbers.h"
#include "core/base/parallel.h"
#include "core/io/filebytes.h"
#include "core/io/importedtable.h"
#include "core/io/lineslices.h"
#include "core/io/textencoding.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace kw {

namespace {

// The separators detection tries, in the order preferred when several fit.
constexpr std::array<char, 4> candidates = {'\t', ';', ',', '|'};

// What detection looks at: the first lines up to these counts, and never more bytes than the
// cap (a file without line ends), so that a huge or hostile file costs no more than a small one.
constexpr std::size_t sampleLines = 100;
constexpr std::size_t sampleBytes = 1 << 16;
constexpr std::size_t sampleCap = 1 << 20;

// What a preview decodes of a file.
constexpr std::size_t previewBytes = 1 << 18;

// A cell that is to receive the table's missing cell: no run of the text has these bits.
constexpr std::uint64_t pendingMissing = ~std::uint64_t{0};

// Why a record could not be read.
enum class Status { ok, unclosedQuote, textAfterQuote };

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Line ends in [p, p + n), CR LF as one; the byte after the run is not an LF.
std::size_t lineEnds(const char* p, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        count += p[i] == '\n' || (p[i] == '\r' && (i + 1 == n || p[i + 1] != '\n'));
    }
    return count;
}

// Reads the records of text[begin, end) one by one. Quoted fields are unquoted in place (their
// text moves to where the opening quote stood, doubled quotes made single), so that every
// field is a run of the text. A separator of '\0' stands for none: each line one field.
class Splitter {
public:
    Splitter(char* data, std::size_t begin, std::size_t end, char separator)
        : data_(data), pos_(begin), end_(end), blanksAroundQuotes_(separator != ' ') {
        stop_['\n'] = true;
        stop_['\r'] = true;
        if (separator != '\0') {
            stop_[static_cast<unsigned char>(separator)] = true;
        }
    }

    // Passes blank lines (empty, or blanks only); false at the end of the text.
    bool nextRecord() {
        for (;;) {
            std::size_t k = pos_;
            while (k < end_ && data_[k] == ' ') {
                ++k;
            }
            if (k >= end_) {
                pos_ = end_;
                return false;
            }
            if (!isLineEnd(data_[k])) {
                return true;
            }
            pos_ = pastLineEnd(k);
            ++line_;
        }
    }

    // Reads the record at the position, calling onField(offset, length) for each of its
    // fields; on success the position is the start of the next line.
    template <class OnField> Status readRecord(OnField&& onField) {
        char* d = data_;
        const std::size_t end = end_;
        std::size_t i = pos_;
        for (;;) {
            std::size_t q = i;
            while (blanksAroundQuotes_ && q < end && d[q] == ' ') {
                ++q;
            }
            std::size_t next = 0; // the separator, line end or end of text after the field
            if (q < end && d[q] == '"') {
                const std::size_t openLine = line_;
                std::size_t w = q;
                std::size_t r = q + 1;
                for (;;) {
                    const void* hit = std::memchr(d + r, '"', end - r);
                    if (hit == nullptr) {
                        errorLine_ = openLine;
                        return Status::unclosedQuote;
                    }
                    const auto h = static_cast<std::size_t>(static_cast<const char*>(hit) - d);
                    line_ += lineEnds(d + r, h - r);
                    std::memmove(d + w, d + r, h - r);
                    w += h - r;
                    if (h + 1 < end && d[h + 1] == '"') {
                        d[w++] = '"';
                        r = h + 2;
                        continue;
                    }
                    r = h + 1;
                    break;
                }
                while (blanksAroundQuotes_ && r < end && d[r] == ' ') {
                    ++r;
                }
                if (r < end && !stop_[static_cast<unsigned char>(d[r])]) {
                    errorLine_ = line_;
                    return Status::textAfterQuote;
                }
                onField(q, w - q);
                next = r;
            } else {
                std::size_t j = i;
                while (j < end && !stop_[static_cast<unsigned char>(d[j])]) {
                    ++j;
                }
                onField(i, j - i);
                next = j;
            }
            if (next >= end) {
                pos_ = end;
                lineEnded_ = false;
                return Status::ok;
            }
            if (isLineEnd(d[next])) {
                pos_ = pastLineEnd(next);
                ++line_;
                lineEnded_ = true;
                return Status::ok;
            }
            i = next + 1; // past the separator
        }
    }

    std::size_t pos() const { return pos_; }
    // The line of the position, from 1 at the start of the text.
    std::size_t line() const { return line_; }
    // Where a record that could not be read went wrong: the line of the quote not closed or of
    // the text after a closing quote.
    std::size_t errorLine() const { return errorLine_; }
    // Whether the last record read ended with a line end (rather than with the text).
    bool lineEnded() const { return lineEnded_; }

private:
    std::size_t pastLineEnd(std::size_t k) const {
        return k + 1 + (data_[k] == '\r' && k + 1 < end_ && data_[k + 1] == '\n' ? 1 : 0);
    }

    char* data_;
    std::size_t pos_;
    std::size_t end_;
    bool blanksAroundQuotes_;
    std::array<bool, 256> stop_{};
    std::size_t line_ = 1;
    std::size_t errorLine_ = 0;
    bool lineEnded_ = false;
};

std::string plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

[[noreturn]] void refuseRecord(Status status, std::size_t line) {
    const std::string where = "line " + std::to_string(line) + " of the file ";
    throw Failure(Failure::Reason::badData,
                  where + (status == Status::unclosedQuote
                               ? "opens a quoted field that is not closed"
                               : "holds text after the closing quote of a quoted field"));
}

// The first lines of a text, for detection. `cut`: its last record may be incomplete.
struct Sample {
    std::string_view text;
    bool cut = false;
};

Sample sampleOf(std::string_view text, bool textIsStart) {
    const std::size_t limit = std::min(text.size(), sampleCap);
    std::size_t pos = 0;
    for (std::size_t lines = 0; pos < limit && lines < sampleLines && pos < sampleBytes; ++lines) {
        std::size_t e = pos;
        while (e < limit && !isLineEnd(text[e])) {
            ++e;
        }
        if (e >= limit) {
            return {text.substr(0, limit), textIsStart || limit < text.size()};
        }
        pos = e + 1 + (text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n' ? 1 : 0);
    }
    return {text.substr(0, pos), false};
}

// Splits the sample's records under a separator, up to the first that cannot be read (and
// without a last record that may be incomplete), calling onField(record, text) for each field.
// Returns the number of fields of each record; `quoteError`: a record had text after a
// closing quote.
template <class OnField>
std::vector<std::size_t> splitSample(const Sample& sample, char separator, bool& quoteError,
                                     OnField&& onField) {
    std::string copy(sample.text);
    Splitter splitter(copy.data(), 0, copy.size(), separator);
    std::vector<std::size_t> counts;
    quoteError = false;
    while (splitter.nextRecord()) {
        std::size_t fields = 0;
        std::vector<std::pair<std::size_t, std::size_t>> runs;
        const Status status = splitter.readRecord([&](std::size_t offset, std::size_t length) {
            ++fields;
            runs.emplace_back(offset, length);
        });
        if (status != Status::ok) {
            quoteError = status == Status::textAfterQuote;
            break;
        }
        if (sample.cut && !splitter.lineEnded()) {
            break;
        }
        for (const auto& [offset, length] : runs) {
            onField(counts.size(), std::string_view(copy.data() + offset, length));
        }
        counts.push_back(fields);
    }
    return counts;
}

// The separator of the sample: of the candidates, the first that splits every record into the
// same number of fields, more than one. When none does, the one whose first record (the names)
// splits into several fields and the most records match that, so that the reading names the
// line that does not; and no separator (one column) when no candidate splits the names.
char detectSeparator(const Sample& sample) {
    char best = '\0';
    std::size_t bestMatches = 0;
    for (char candidate : candidates) {
        bool quoteError = false;
        const auto counts =
            splitSample(sample, candidate, quoteError, [](std::size_t, std::string_view) {});
        if (counts.empty() || counts.front() < 2) {
            continue;
        }
        const auto matches =
            static_cast<std::size_t>(std::count(counts.begin(), counts.end(), counts.front()));
        if (matches == counts.size() && !quoteError) {
            return candidate;
        }
        if (matches > bestMatches) {
            best = candidate;
            bestMatches = matches;
        }
    }
    return best;
}

// How the text is split and its numbers written, and the average bytes of a record in the
// sample (to reserve room for the columns).
struct Layout {
    char separator = ',';
    char decimal = '.';
    double recordBytes = 0;
};

// The layout of UTF-8 text under the options, detecting what they leave open. A decimal comma
// is detected when more fields of the data lines read as numbers only with a decimal comma
// than only with a point; with the comma as separator an unquoted decimal comma cannot occur.
Layout layoutOf(std::string_view text, const ImportOptions& options, bool textIsStart) {
    const Sample sample = sampleOf(text, textIsStart);
    Layout layout;
    layout.separator = options.delimiter ? *options.delimiter : detectSeparator(sample);
    std::size_t commas = 0;
    std::size_t points = 0;
    bool quoteError = false;
    const auto counts = splitSample(sample, layout.separator, quoteError,
                                    [&](std::size_t record, std::string_view field) {
                                        if (record == 0) {
                                            return; // the names
                                        }
                                        if (field.find(',') != std::string_view::npos) {
                                            commas += parseReal(field, ',').has_value() ? 1 : 0;
                                        } else if (field.find('.') != std::string_view::npos) {
                                            points += parseReal(field, '.').has_value() ? 1 : 0;
                                        }
                                    });
    if (options.decimal) {
        layout.decimal = *options.decimal;
    } else {
        layout.decimal = layout.separator != ',' && commas > points ? ',' : '.';
    }
    if (!counts.empty()) {
        layout.recordBytes =
            static_cast<double>(sample.text.size()) / static_cast<double>(counts.size());
    }
    return layout;
}

void checkOptions(const ImportOptions& options) {
    if (options.delimiter) {
        const char c = *options.delimiter;
        if (c == '"' || isLineEnd(c)) {
            throw Failure(Failure::Reason::badData,
                          "a double quote or a line end cannot be the separator");
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            throw Failure(Failure::Reason::badData,
                          "the separator must be a character of the ASCII set");
        }
    }
    if (options.decimal && *options.decimal != '.' && *options.decimal != ',') {
        throw Failure(Failure::Reason::badData, "the decimal mark must be a point or a comma");
    }
}

// The encoding found from the bytes: a byte-order mark (its length in `mark`), UTF-16 without
// one, valid UTF-8, else Windows-1252. `cut`: the bytes are the start of the text.
std::string detectEncoding(std::string_view bytes, bool cut, std::size_t& mark) {
    mark = 0;
    const ByteOrderMark bom = byteOrderMark(bytes);
    if (!bom.encoding.empty()) {
        mark = bom.length;
        return std::string(bom.encoding);
    }
    if (const std::string_view utf16 = unmarkedUtf16(bytes); !utf16.empty()) {
        return std::string(utf16);
    }
    return invalidUtf8(bytes, cut) == std::string_view::npos ? "UTF-8" : "WINDOWS-1252";
}

// The decoded start of a text for detection and preview, cut after its last whole line when
// the bytes are only its start or do not decode to their end; `cut` then tells whether its
// last record may be incomplete. Throws only for an encoding iconv does not know.
std::string headText(std::string_view head, const std::string& encoding, std::size_t mark,
                     bool& cut) {
    std::string text;
    std::size_t decoded = 0;
    const std::string_view bytes = head.substr(std::min(mark, head.size()));
    if (isUtf8Name(encoding)) {
        const std::size_t bom = byteOrderMark(bytes).encoding == "UTF-8" ? 3 : 0;
        const std::size_t bad = invalidUtf8(bytes.substr(bom), true);
        decoded = bad == std::string_view::npos ? bytes.size() : bom + bad;
        text.assign(bytes.substr(bom, decoded - bom));
    } else {
        text = decodeToUtf8(bytes, encoding, true, &decoded);
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            text.erase(0, 3);
        }
    }
    cut = cut || decoded < bytes.size();
    if (cut) {
        const std::size_t last = text.find_last_of("\r\n");
        if (last != std::string::npos) {
            text.resize(last + 1);
        }
    }
    return text;
}

// What one worker read from a slice of the data lines.
struct Chunk {
    std::vector<std::vector<CellRef>> columns;
    struct Long {
        std::size_t column;
        std::size_t row;
        std::size_t offset;
        std::size_t length;
    };
    std::vector<Long> longCells; // runs too long for a reference, copied later
    std::size_t lines = 0;       // line ends passed
    Status status = Status::ok;  // a record that could not be read
    std::size_t errorLine = 0;   // from 1 at the slice's start; 0: none
    std::size_t fields = 0;      // the fields of a record with a wrong number of them
};

// A plain decimal: an optional sign, digits and one decimal mark, at least one digit and not
// so many that the value could leave the range of a double. Every such text reads as a number
// (parseReal), and most numbers in files have this shape, so the general parser is spared.
bool plainDecimal(std::string_view text, char mark) {
    std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    std::size_t digits = 0;
    bool marked = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == mark && !marked) {
            marked = true;
        } else {
            return false;
        }
    }
    return digits > 0 && digits < 300 && marked;
}

// How a field becomes a cell.
struct CellRules {
    const ImportedTable* table; // for what counts as missing
    bool codes;                 // whether there are codes to look for
    char fileDecimal;
    char decimal;
};

// Reads the data records of text[from, to) into the chunk, up to the first that cannot be
// read or has another number of fields than there are names.
void readChunk(char* text, std::size_t from, std::size_t to, char separator,
               std::size_t variableCount, std::size_t reserve, const CellRules& rules, Chunk& chunk,
               Pacer* pacer) {
    chunk.columns.assign(variableCount, {});
    for (auto& c : chunk.columns) {
        c.reserve(reserve);
    }
    const bool convert = rules.fileDecimal != rules.decimal;
    std::size_t k = 0;
    auto onField = [&](std::size_t offset, std::size_t length) {
        if (k >= variableCount) {
            ++k;
            return;
        }
        auto& column = chunk.columns[k++];
        char* p = text + offset;
        const std::string_view field(p, length);
        if (length == 0 || ((p[0] == ' ' || rules.codes) && rules.table->isMissingText(field))) {
            column.push_back(CellRef{pendingMissing});
            return;
        }
        if (convert) {
            if (void* mark = std::memchr(p, rules.fileDecimal, length)) {
                if (plainDecimal(field, rules.fileDecimal) || parseReal(field, rules.fileDecimal)) {
                    *static_cast<char*>(mark) = rules.decimal;
                }
            }
        }
        if (TextStore::fitsBase(length)) {
            column.push_back(TextStore::baseCell(offset, length));
        } else {
            chunk.longCells.push_back({k - 1, column.size(), offset, length});
            column.push_back(CellRef{});
        }
    };
    Splitter splitter(text, from, to, separator);
    while (splitter.nextRecord()) {
        const std::size_t line = splitter.line();
        k = 0;
        const Status status = splitter.readRecord(onField);
        if (status != Status::ok) {
            chunk.status = status;
            chunk.errorLine = splitter.errorLine();
            return;
        }
        if (k != variableCount) {
            chunk.errorLine = line;
            chunk.fields = k;
            return;
        }
        if (pacer != nullptr) {
            pacer->tick(splitter.pos() - from);
        }
    }
    chunk.lines = splitter.line() - 1;
}

} // namespace

TextFormat resolveTextFormat(std::string_view bytes, const ImportOptions& options) {
    TextFormat format;
    std::size_t mark = 0;
    format.encoding =
        options.encoding.empty() ? detectEncoding(bytes, true, mark) : options.encoding;
    const std::string_view head = bytes.substr(0, sampleCap);
    bool cut = head.size() < bytes.size();
    std::string text;
    try {
        text = headText(head, format.encoding, mark, cut);
    } catch (const Failure&) {
        text.assign(head); // an encoding iconv does not know: the reading will say so
    }
    ImportOptions usable = options;
    if (usable.delimiter && (*usable.delimiter == '"' || isLineEnd(*usable.delimiter))) {
        usable.delimiter.reset();
    }
    if (usable.decimal && *usable.decimal != '.' && *usable.decimal != ',') {
        usable.decimal.reset();
    }
    const Layout layout = layoutOf(text, usable, cut);
    format.delimiter = options.delimiter ? *options.delimiter : layout.separator;
    format.decimal = options.decimal ? *options.decimal : layout.decimal;
    return format;
}

TextFormat detectTextFormat(std::string_view bytes) {
    return resolveTextFormat(bytes, ImportOptions{});
}

std::vector<std::vector<std::string>> previewDelimited(std::string_view bytes,
                                                       const ImportOptions& options, int rows) {
    std::vector<std::vector<std::string>> preview;
    if (rows <= 0) {
        return preview;
    }
    try {
        checkOptions(options);
        const std::string_view head = bytes.substr(0, previewBytes);
        bool cut = head.size() < bytes.size();
        std::size_t mark = 0;
        const std::string encoding =
            options.encoding.empty() ? detectEncoding(head, cut, mark) : options.encoding;
        std::string text = headText(head, encoding, mark, cut);
        const Layout layout = layoutOf(text, options, cut);
        Splitter splitter(text.data(), 0, text.size(), layout.separator);
        while (preview.size() < static_cast<std::size_t>(rows) && splitter.nextRecord()) {
            std::vector<std::string> row;
            const Status status = splitter.readRecord([&](std::size_t offset, std::size_t length) {
                row.emplace_back(text.data() + offset, length);
            });
            if (status != Status::ok || (cut && !splitter.lineEnded())) {
                break;
            }
            preview.push_back(std::move(row));
        }
    } catch (...) {
        // What could be split is shown; the reading names the problem.
    }
    return preview;
}

DataTable readDelimitedData(std::string bytes, const ImportOptions& options, char decimal,
                            Feedback* feedback) {
    checkOptions(options);

    // The text as UTF-8: valid UTF-8 is read where it lies, other encodings are decoded.
    std::string encoding = options.encoding;
    std::size_t mark = 0;
    bool valid = false;
    if (encoding.empty()) {
        encoding = detectEncoding(bytes, false, mark);
        valid = encoding == "UTF-8" && mark == 0; // detection checked every byte
    }
    std::string text;
    std::size_t begin = 0;
    if (isUtf8Name(encoding)) {
        begin = byteOrderMark(bytes).encoding == "UTF-8" ? 3 : 0;
        if (!valid) {
            checkUtf8(std::string_view(bytes).substr(begin));
        }
        text = std::move(bytes);
    } else {
        text = decodeToUtf8(std::string_view(bytes).substr(mark), encoding);
        std::string().swap(bytes);
        begin = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    }
    const std::size_t end = text.size();
    const Layout layout = layoutOf(std::string_view(text).substr(begin), options, false);
    char* data = text.data();

    // The names.
    Splitter header(data, begin, end, layout.separator);
    if (!header.nextRecord()) {
        throw Failure(Failure::Reason::badData, "the file is empty");
    }
    std::vector<std::string> names;
    const Status status = header.readRecord(
        [&](std::size_t offset, std::size_t length) { names.emplace_back(data + offset, length); });
    if (status != Status::ok) {
        refuseRecord(status, header.errorLine());
    }
    const std::size_t variableCount = names.size();
    const std::size_t first = header.pos();
    const std::size_t firstLine = header.line();

    // The data lines: in slices over the workers when no quote can make a line end part of a
    // field, otherwise in one go.
    const std::size_t length = end - first;
    const bool quoted = std::memchr(data + first, '"', length) != nullptr;
    const unsigned parts = quoted || length < (1u << 20) ? 1 : workers();
    const std::vector<std::size_t> bound =
        lineSlices(std::string_view(data, end), first, end, parts);
    ImportedTable probe(std::make_shared<TextStore>(), options);
    const CellRules rules{&probe, !options.naCodes.empty(), layout.decimal, decimal};
    const double recordBytes = std::max(layout.recordBytes, 2.0 * double(variableCount));
    std::vector<Chunk> chunks(parts);
    Pacer pacer(feedback, "reading", bound[1] - bound[0]);
    parallelSlices(
        parts,
        [&](unsigned, std::size_t from, std::size_t to) {
            for (std::size_t p = from; p < to; ++p) {
                const auto reserve =
                    static_cast<std::size_t>(double(bound[p + 1] - bound[p]) / recordBytes * 1.1) +
                    16;
                readChunk(data, bound[p], bound[p + 1], layout.separator, variableCount, reserve,
                          rules, chunks[p], p == 0 ? &pacer : nullptr);
            }
        },
        1);

    std::size_t line = firstLine;
    for (const Chunk& c : chunks) {
        if (c.status != Status::ok) {
            refuseRecord(c.status, line + c.errorLine - 1);
        }
        if (c.errorLine != 0) {
            throw Failure(Failure::Reason::badData,
                          "line " + std::to_string(line + c.errorLine - 1) + " of the file holds " +
                              plural(c.fields, "field", "fields") + ", but the first line names " +
                              plural(variableCount, "variable", "variables"));
        }
        line += c.lines;
    }

    // The slices joined, the cells too long for a reference copied, the missing cells given.
    auto store = std::make_shared<TextStore>(std::move(text));
    ImportedTable table(store, options);
    std::vector<std::vector<CellRef>> columns = std::move(chunks[0].columns);
    for (std::size_t p = 0; p < chunks.size(); ++p) {
        const std::size_t offset = p == 0 ? 0 : columns[0].size();
        for (std::size_t k = 0; p > 0 && k < variableCount; ++k) {
            columns[k].insert(columns[k].end(), chunks[p].columns[k].begin(),
                              chunks[p].columns[k].end());
            chunks[p].columns[k] = {};
        }
        for (const Chunk::Long& l : chunks[p].longCells) {
            columns[l.column][offset + l.row] = store->refer(l.offset, l.length);
        }
    }
    // A separator at the end of every line, names included, adds an unnamed empty column.
    const auto pending = [](CellRef r) { return r.bits == pendingMissing; };
    if (variableCount > 1 && names.back().find_first_not_of(' ') == std::string::npos &&
        std::all_of(columns.back().begin(), columns.back().end(), pending)) {
        names.pop_back();
        columns.pop_back();
    }
    for (auto& column : columns) {
        std::replace_if(column.begin(), column.end(), pending, table.missing());
    }
    return table.finish(std::move(names), std::move(columns));
}

DataTable readDelimitedFile(const std::string& path, const ImportOptions& options, char decimal,
                            Feedback* feedback) {
    StageTimers stages(feedback);
    stages.next("  read bytes");
    std::string bytes = readFileBytes(path);
    stages.next("  split values");
    return readDelimitedData(std::move(bytes), options, decimal, feedback);
}

} // namespace kw
