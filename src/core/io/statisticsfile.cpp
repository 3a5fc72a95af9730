#include "core/io/statisticsfile.h"

#include "core/base/failure.h"
#include "core/base/limits.h"
#include "core/base/numbers.h"
#include "core/io/filebytes.h"
#include "core/io/importedtable.h"

#include <readstat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

namespace kw {

namespace {

enum class Kind { sav, por, dta };

std::string lowerExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// The kind the bytes show; a portable file by its name's extension when its header does not
// show it where expected.
std::optional<Kind> kindOf(const std::string& bytes, const std::string& name) {
    if (bytes.rfind("$FL2", 0) == 0 || bytes.rfind("$FL3", 0) == 0) {
        return Kind::sav;
    }
    if (bytes.rfind("<stata_dta>", 0) == 0) {
        return Kind::dta;
    }
    // Stata 8 to 12: a release byte (104 to 115), the byte order (1 or 2), the file type 1.
    if (bytes.size() >= 4 && static_cast<unsigned char>(bytes[0]) >= 104 &&
        static_cast<unsigned char>(bytes[0]) <= 115 && (bytes[1] == 1 || bytes[1] == 2) &&
        bytes[2] == 1) {
        return Kind::dta;
    }
    if (bytes.find("SPSSPORT") != std::string::npos && bytes.find("SPSSPORT") < 600) {
        return Kind::por;
    }
    // Only portable files have no mark at their start that tells them.
    if (lowerExtension(name) == "por") {
        return Kind::por;
    }
    return std::nullopt;
}

// The file served from memory: readstat reads through these handlers, which spares the
// system a call for every row of a Stata file and tells the progress as the reading goes.
struct Source {
    const std::string* bytes = nullptr;
    std::size_t pos = 0;
};

int sourceOpen(const char*, void*) {
    return 0;
}
int sourceClose(void*) {
    return 0;
}
readstat_off_t sourceSeek(readstat_off_t offset, readstat_io_flags_t whence, void* io) {
    auto* s = static_cast<Source*>(io);
    long long base = 0;
    if (whence == READSTAT_SEEK_CUR) {
        base = static_cast<long long>(s->pos);
    } else if (whence == READSTAT_SEEK_END) {
        base = static_cast<long long>(s->bytes->size());
    }
    const long long to = base + static_cast<long long>(offset);
    if (to < 0 || to > static_cast<long long>(s->bytes->size())) {
        return -1;
    }
    s->pos = static_cast<std::size_t>(to);
    return static_cast<readstat_off_t>(to);
}
ssize_t sourceRead(void* buffer, size_t count, void* io) {
    auto* s = static_cast<Source*>(io);
    const std::size_t n = std::min(count, s->bytes->size() - s->pos);
    if (n == 0) {
        return 0;
    }
    std::memcpy(buffer, s->bytes->data() + s->pos, n);
    s->pos += n;
    return static_cast<ssize_t>(n);
}
readstat_error_t sourceUpdate(long, readstat_progress_handler progress, void* user, void* io) {
    auto* s = static_cast<Source*>(io);
    if (progress == nullptr || s->bytes->empty()) {
        return READSTAT_OK;
    }
    const double fraction = static_cast<double>(s->pos) / static_cast<double>(s->bytes->size());
    return progress(fraction, user) == READSTAT_HANDLER_OK ? READSTAT_OK
                                                           : READSTAT_ERROR_USER_ABORT;
}

struct LabelSet {
    std::map<double, std::string> numbers;
    std::unordered_map<std::string, std::string> texts;
};

struct Variable {
    std::string name;
    std::string labelSet;
    bool text = false;
    std::vector<double> numbers; // NaN: missing
    std::vector<CellRef> texts;  // string variables, as read
};

// What the callbacks gather. Labels are joined to the variables only after the parse: a .dta
// file holds its labels after its values.
struct Gathered {
    Feedback* feedback = nullptr;
    ImportedTable* table = nullptr;
    std::vector<Variable> variables;
    std::unordered_map<std::string, LabelSet> labels;
    long long rows = -1;     // as the file declares, -1 when it does not
    long long delivered = 0; // rows that reached the value handler
    std::string detail;      // readstat's own words on a failure
    bool cancelled = false;
    // Values beyond this are refused: a compressed file (.zsav) may hold far more values than
    // its size suggests.
    std::size_t budget = 0;
    std::size_t values = 0;
    bool tooMany = false;
    // The longest a label set's name may be (0: any length). A Stata file keeps these names
    // in fields of a fixed length, and libreadstat hands them over without an end where the
    // file gives none.
    std::size_t labelSetLength = 0;
};

int onMetadata(readstat_metadata_t* metadata, void* context) {
    auto* g = static_cast<Gathered*>(context);
    g->rows = readstat_get_row_count(metadata);
    if (g->labelSetLength != 0) {
        const int version = readstat_get_file_format_version(metadata);
        g->labelSetLength = version < 110 ? 9 : version < 118 ? 33 : 129;
    }
    return READSTAT_HANDLER_OK;
}

int onVariable(int index, readstat_variable_t* variable, const char* labelSet, void* context) {
    auto* g = static_cast<Gathered*>(context);
    if (index < 0 || static_cast<std::size_t>(index) != g->variables.size()) {
        return READSTAT_HANDLER_ABORT;
    }
    Variable v;
    const char* name = readstat_variable_get_name(variable);
    v.name = name != nullptr ? name : "";
    if (labelSet != nullptr) {
        v.labelSet = g->labelSetLength == 0
                         ? std::string(labelSet)
                         : std::string(labelSet, strnlen(labelSet, g->labelSetLength));
    }
    v.text = readstat_variable_get_type_class(variable) == READSTAT_TYPE_CLASS_STRING;
    // A declared row count reserves the columns, up to a bound: a damaged header may declare
    // any number.
    if (g->rows > 0) {
        const auto reserve = static_cast<std::size_t>(std::min<long long>(g->rows, 1 << 22));
        if (v.text) {
            v.texts.reserve(reserve);
        } else {
            v.numbers.reserve(reserve);
        }
    }
    g->variables.push_back(std::move(v));
    return READSTAT_HANDLER_OK;
}

int onValue(int row, readstat_variable_t* variable, readstat_value_t value, void* context) {
    auto* g = static_cast<Gathered*>(context);
    const int index = readstat_variable_get_index(variable);
    if (index < 0 || static_cast<std::size_t>(index) >= g->variables.size() || row < 0) {
        return READSTAT_HANDLER_ABORT;
    }
    Variable& v = g->variables[static_cast<std::size_t>(index)];
    const std::size_t have = v.text ? v.texts.size() : v.numbers.size();
    // Values come row by row, each variable in turn; anything else is refused.
    if (static_cast<std::size_t>(row) != have) {
        return READSTAT_HANDLER_ABORT;
    }
    if (++g->values > g->budget) {
        g->tooMany = true;
        return READSTAT_HANDLER_ABORT;
    }
    g->delivered = std::max<long long>(g->delivered, static_cast<long long>(row) + 1);
    const bool missing = readstat_value_is_system_missing(value) ||
                         readstat_value_is_tagged_missing(value) ||
                         readstat_value_is_defined_missing(value, variable);
    if (v.text) {
        const char* s = missing ? nullptr : readstat_string_value(value);
        v.texts.push_back(s != nullptr ? g->table->cell(s) : g->table->missing());
    } else {
        v.numbers.push_back(missing ? std::numeric_limits<double>::quiet_NaN()
                                    : readstat_double_value(value));
    }
    return READSTAT_HANDLER_OK;
}

int onValueLabel(const char* set, readstat_value_t key, const char* label, void* context) {
    auto* g = static_cast<Gathered*>(context);
    if (set == nullptr || label == nullptr || readstat_value_is_tagged_missing(key) ||
        readstat_value_is_system_missing(key)) {
        return READSTAT_HANDLER_OK;
    }
    LabelSet& labels = g->labels[set];
    if (readstat_value_type(key) == READSTAT_TYPE_STRING) {
        const char* k = readstat_string_value(key);
        if (k != nullptr) {
            labels.texts.emplace(k, label);
        }
    } else {
        labels.numbers.emplace(readstat_double_value(key), label);
    }
    return READSTAT_HANDLER_OK;
}

void onError(const char* message, void* context) {
    auto* g = static_cast<Gathered*>(context);
    if (message != nullptr && g->detail.empty()) {
        g->detail = message;
        while (!g->detail.empty() &&
               (g->detail.back() == '\n' || g->detail.back() == '.' || g->detail.back() == ' ')) {
            g->detail.pop_back();
        }
    }
}

int onProgress(double fraction, void* context) {
    auto* g = static_cast<Gathered*>(context);
    if (g->feedback == nullptr) {
        return READSTAT_HANDLER_OK;
    }
    if (g->feedback->cancelled()) {
        g->cancelled = true;
        return READSTAT_HANDLER_ABORT;
    }
    g->feedback->progress("reading the file", std::clamp(fraction, 0.0, 1.0));
    return READSTAT_HANDLER_OK;
}

using Parser = std::unique_ptr<readstat_parser_t, void (*)(readstat_parser_t*)>;

Failure damaged(const std::string& file, const std::string& why) {
    return Failure(Failure::Reason::badData, file + " cannot be read: " + why);
}

// A column's cells: labels where the variable's set has one for the value, numbers in the
// general format. Dates and times (SPSS DATE and TIME formats, Stata %td and %tc) are shown as
// the numbers they are stored as (SPSS: seconds since 1582-10-14, Stata: days or milliseconds
// since 1960-01-01); the test takes them as any other number. Recurring values (codes, small whole
// numbers) are turned into text once.
std::vector<CellRef> numberCells(const Variable& v, const LabelSet* labels, ImportedTable& t,
                                 char decimal, Pacer& pacer, std::size_t& done) {
    std::vector<CellRef> cells;
    cells.reserve(v.numbers.size());
    std::unordered_map<double, CellRef> seen;
    for (const double x : v.numbers) {
        if (++done % 4096 == 0) {
            pacer.tick(done);
        }
        if (std::isnan(x)) {
            cells.push_back(t.missing());
            continue;
        }
        if (const auto found = seen.find(x); found != seen.end()) {
            cells.push_back(found->second);
            continue;
        }
        const std::string* label = nullptr;
        if (labels != nullptr) {
            const auto found = labels->numbers.find(x);
            if (found != labels->numbers.end() &&
                found->second.find_first_not_of(' ') != std::string::npos) {
                label = &found->second;
            }
        }
        const CellRef ref =
            label != nullptr ? t.cell(*label) : t.cell(formatGeneral(x, 15, decimal));
        if (seen.size() < 65536) {
            seen.emplace(x, ref);
        }
        cells.push_back(ref);
    }
    return cells;
}

} // namespace

DataTable readStatisticsData(std::string bytes, const std::string& name,
                             const ImportOptions& options, char decimal, Feedback* feedback) {
    const std::string file = "the file " + name;
    Pacer(feedback, "reading the file", 1).check(0);
    const std::optional<Kind> kind = kindOf(bytes, name);
    if (!kind) {
        throw Failure(Failure::Reason::badData,
                      file + " is not an SPSS (.sav, .zsav, .por) or Stata (.dta) data file");
    }
    // A Stata file of release 117 or later ends with this tag; without it, the value labels
    // that sit at its end are missing, which readstat does not notice.
    if (*kind == Kind::dta && bytes.rfind("<stata_dta>", 0) == 0) {
        std::size_t end = bytes.size();
        while (end > 0 && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r')) {
            --end;
        }
        if (end < 12 || bytes.compare(end - 12, 12, "</stata_dta>") != 0) {
            throw Failure(Failure::Reason::badData,
                          file + " is cut short: the end of the Stata file is missing");
        }
    }

    auto store = std::make_shared<TextStore>();
    ImportedTable table(store, options);
    Gathered g;
    g.feedback = feedback;
    g.table = &table;
    if (*kind == Kind::dta) {
        g.labelSetLength = 9; // the shortest, until the header tells the version
    }
    g.budget = static_cast<std::size_t>(
        std::min<std::uint64_t>(maxTypedCells, (std::uint64_t{16} << 20) + 512 * bytes.size()));
    Source source{&bytes, 0};

    Parser parser(readstat_parser_init(), &readstat_parser_free);
    if (!parser) {
        throw Failure(Failure::Reason::outOfMemory, "there is not enough memory to read " + file);
    }
    readstat_parser_t* p = parser.get();
    readstat_set_metadata_handler(p, onMetadata);
    readstat_set_variable_handler(p, onVariable);
    readstat_set_value_handler(p, onValue);
    readstat_set_value_label_handler(p, onValueLabel);
    readstat_set_error_handler(p, onError);
    readstat_set_progress_handler(p, onProgress);
    readstat_set_open_handler(p, sourceOpen);
    readstat_set_close_handler(p, sourceClose);
    readstat_set_seek_handler(p, sourceSeek);
    readstat_set_read_handler(p, sourceRead);
    readstat_set_update_handler(p, sourceUpdate);
    readstat_set_io_ctx(p, &source);

    readstat_error_t err = READSTAT_OK;
    try {
        switch (*kind) {
        case Kind::sav:
            err = readstat_parse_sav(p, name.c_str(), &g);
            break;
        case Kind::por:
            err = readstat_parse_por(p, name.c_str(), &g);
            break;
        case Kind::dta:
            err = readstat_parse_dta(p, name.c_str(), &g);
            break;
        }
    } catch (const std::bad_alloc&) {
        throw Failure(Failure::Reason::outOfMemory, "there is not enough memory to read " + file);
    }
    parser.reset();
    if (g.cancelled) {
        throw Cancelled();
    }
    if (g.tooMany) {
        throw Failure(Failure::Reason::badData,
                      file + " holds more values than the program can read (more than " +
                          std::to_string(g.budget) + ")");
    }

    // Every variable must hold as many values as the first: a file that ends inside a row
    // has not been read whole.
    auto count = [](const Variable& v) {
        return static_cast<long long>(v.text ? v.texts.size() : v.numbers.size());
    };
    long long rows = g.variables.empty() ? 0 : count(g.variables.front());
    for (const Variable& v : g.variables) {
        if (count(v) != rows && err == READSTAT_OK) {
            err = READSTAT_ERROR_ROW_COUNT_MISMATCH;
        }
        rows = std::min(rows, count(v));
    }
    if (err == READSTAT_OK && g.rows >= 0 && rows != g.rows) {
        err = READSTAT_ERROR_ROW_COUNT_MISMATCH;
    }
    if (err != READSTAT_OK) {
        if (err == READSTAT_ERROR_MALLOC) {
            throw Failure(Failure::Reason::outOfMemory,
                          "there is not enough memory to read " + file);
        }
        if (g.delivered > 0 &&
            (err == READSTAT_ERROR_ROW_COUNT_MISMATCH || err == READSTAT_ERROR_READ ||
             err == READSTAT_ERROR_PARSE || err == READSTAT_ERROR_SEEK)) {
            throw Failure(Failure::Reason::badData,
                          file + " ends after row " + std::to_string(rows) +
                              (g.rows > 0 ? " of " + std::to_string(g.rows) : std::string()) +
                              ": it is damaged or cut short");
        }
        if (err == READSTAT_ERROR_USER_ABORT) {
            throw damaged(file, "its values do not follow its variables row by row");
        }
        std::string why = readstat_error_message(err);
        if (!why.empty()) {
            why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
        }
        if (!g.detail.empty() && g.detail != readstat_error_message(err)) {
            why += ": " + quotedValue(g.detail);
        }
        const bool broken = err == READSTAT_ERROR_READ || err == READSTAT_ERROR_SEEK ||
                            err == READSTAT_ERROR_PARSE || err == READSTAT_ERROR_ROW_COUNT_MISMATCH;
        throw damaged(file, broken ? "it is damaged or cut short (" + why + ")" : why);
    }
    if (g.variables.empty()) {
        throw Failure(Failure::Reason::badData, file + " holds no variables");
    }

    Pacer pacer(feedback, "reading the file",
                static_cast<std::size_t>(rows) * g.variables.size() + 1, 1 << 16);
    std::size_t done = 0;
    std::vector<std::string> names;
    std::vector<std::vector<CellRef>> columns;
    names.reserve(g.variables.size());
    columns.reserve(g.variables.size());
    for (Variable& v : g.variables) {
        names.push_back(v.name);
        const auto found = v.labelSet.empty() ? g.labels.end() : g.labels.find(v.labelSet);
        const LabelSet* labels = found == g.labels.end() ? nullptr : &found->second;
        if (!v.text) {
            columns.push_back(numberCells(v, labels, table, decimal, pacer, done));
            v.numbers = {};
            continue;
        }
        if (labels != nullptr && !labels->texts.empty()) {
            std::unordered_map<std::uint64_t, CellRef> relabelled;
            for (CellRef& c : v.texts) {
                if (c.bits == table.missing().bits) {
                    continue;
                }
                const auto known = relabelled.find(c.bits);
                if (known != relabelled.end()) {
                    c = known->second;
                    continue;
                }
                const auto label = labels->texts.find(std::string(store->view(c)));
                if (label != labels->texts.end() &&
                    label->second.find_first_not_of(' ') != std::string::npos) {
                    const CellRef old = c;
                    c = table.cell(label->second);
                    relabelled.emplace(old.bits, c);
                }
            }
        }
        done += v.texts.size();
        pacer.tick(done);
        columns.push_back(std::move(v.texts));
    }
    return table.finish(std::move(names), std::move(columns));
}

DataTable readStatisticsFile(const std::string& path, const ImportOptions& options, char decimal,
                             Feedback* feedback) {
    std::string bytes = readFileBytes(path);
    return readStatisticsData(std::move(bytes), path, options, decimal, feedback);
}

} // namespace kw
