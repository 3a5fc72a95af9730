#include "core/io/workbook.h"

#include "core/base/failure.h"
#include "core/base/limits.h"
#include "core/base/numbers.h"
#include "core/io/cellblock.h"
#include "core/io/datetimetext.h"
#include "core/io/filebytes.h"
#include "core/io/importedtable.h"
#include "core/io/inlinestrings.h"
#include "core/io/numberformats.h"
#include "core/io/odsrewrite.h"
#include "core/io/orcusproxies.h"
#include "core/io/workbookparts.h"
#include "core/io/xmlcheck.h"
#include "core/io/ziparchive.h"
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

// Cells set while the file is read, beyond those the XML itself spells out one by one:
// .ods repeats a cell over columns with one element, so that a small file could otherwise ask
// for more cells than there is memory.
constexpr std::size_t freeCells = 8'000'000;
constexpr std::size_t maxCells = 200'000'000;

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

enum class Format { xlsx, ods };

Failure notAWorkbook(const std::string& file, const std::string& why) {
    return Failure(Failure::Reason::badData, file + " is not an .xlsx or .ods workbook: " + why);
}

// A part the reader rewrote, checked before orcus reads it: a fault is the reader's.
void checkRewritten(const std::string& file, const std::string& part, std::string_view xml) {
    XmlCheck check(file, part, XmlCheck::Source::rewritten);
    check.feed(xml);
    check.finish();
}

} // namespace

struct Workbook::Contents {
    Format format = Format::xlsx;
    std::unique_ptr<ss::document> doc;
    std::vector<std::string> names;

    ss::sheet_t sheetIndex(const std::string& name) const;
    CellBlock block(ss::sheet_t sheet, const ImportOptions& options) const;
    // The text of every cell of a block, row by row, handed to `take(row, column, text)`
    // (0-based within the block); an error cell goes to `error(row, column, name)`.
    template <typename Take, typename Error>
    void cells(ss::sheet_t sheet, const CellBlock& b, char decimal, Take take, Error error,
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

CellBlock Workbook::Contents::block(ss::sheet_t sheet, const ImportOptions& options) const {
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
void Workbook::Contents::cells(ss::sheet_t sheet, const CellBlock& b, char decimal, Take take,
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
    std::string bytes = readFileBytes(path);
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
    // Orcus reads each part of the archive in one piece, sized by what the archive declares: a
    // part declared larger than deflate packs is not what it claims, and the archive is
    // refused before anything is allocated for it.
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
        // Orcus parses [Content_Types].xml to tell an .xlsx.
        checkContentTypes(bytes, *entries, file);
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
    OrcusReading reading(feedback, expected, budget);
    try {
        // Every part orcus reads is checked first (core/io/workbookparts.h), and so is every
        // part the reader rewrites for it.
        if (!ods) {
            const XlsxParts parts = checkXlsxParts(bytes, *entries, file, feedback);
            if (parts.inlineStrings) {
                Pacer pacer(feedback, "preparing the workbook", 1);
                InlineStrings::Parts unpacked;
                for (const std::string& name : parts.names) {
                    unpacked.emplace_back(name, std::string());
                    unpackZipPart(bytes, *findZipEntry(*entries, name), file,
                                  unpacked.back().second);
                }
                std::vector<std::string> changed;
                if (auto shared = InlineStrings::rewrite(std::move(unpacked), changed, pacer)) {
                    for (const auto& [name, xml] : *shared) {
                        if (std::find(changed.begin(), changed.end(), name) != changed.end()) {
                            checkRewritten(file, name, xml);
                        }
                    }
                    bytes = storedZip(std::move(*shared));
                }
            }
        } else {
            // Orcus reads content.xml alone; it is handed over stored, its styles hidden and,
            // where needed, its cells rewritten.
            std::optional<std::string> content = checkedOdsContent(bytes, *entries, file, feedback);
            if (content) {
                hideStyles(*content);
                if (OdsRewrite::wanted(*content)) {
                    Pacer pacer(feedback, "preparing the workbook", content->size(), 1 << 22);
                    const std::size_t limit = static_cast<std::size_t>(std::min<std::uint64_t>(
                        0xffff0000u, std::max<std::uint64_t>(64u << 20, 4 * content->size())));
                    OdsRewrite rewrite(limit, pacer);
                    std::string rewritten = rewrite.run(*content);
                    if (rewrite.changed()) {
                        checkRewritten(file, "content.xml", rewritten);
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
    CellBlock b = contents_->block(sheet, options);
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
    const CellBlock b = contents_->block(sheet, options);
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
