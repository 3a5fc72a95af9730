#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace kw::cli {

const char* const usage =
    "usage: kwtest FILE [--group NAME] [--test NAME] [--alpha A] [--missing CODE]\n"
    "              [--group-as texts|numbers] [--where NAME=VALUE]... [--where NAME<>VALUE]...\n"
    "              [--sort group|median] [--report OUT] [--json OUT]\n"
    "              [--to-sheet --at C10 [--book TITLE | --new-book] [--sheet NAME | --new-sheet]]\n"
    "              [--counts-to-sheet] [--office PIPE]\n"
    "              [--pairwise dunn|conover|dscf] [--adjust none|bonferroni|sidak|holm|\n"
    "               holm-sidak|hochberg|hommel|bh|by] [--control GROUP]\n"
    "              [--exact auto|always|never] [--resamples B] [--seed S] [--details OUT]\n"
    "              [--sheet NAME] [--range A1:C40] [--delimiter C] [--decimal point|comma]\n"
    "              [--encoding NAME] [--na CODE]... [--wide]\n"
    "              [--plot OUT.svg|OUT.png|OUT.pdf [--plot-kind box|ranks|pairs]\n"
    "               [--plot-size WxH] [--plot-dpi N]]\n"
    "              [--html OUT.html]\n"
    "       kwtest --from-sheet SHEET --range A1:C11 [--book TITLE] [--empty-as CODE] ...\n"
    "       kwtest --help\n";

const char* const helpText =
    "Kruskal-Wallis test with multiple comparison of groups, run on a space-delimited text\n"
    "file (first line: variable names; then one line per case).\n"
    "\n"
#if defined(_WIN32)
    "FILE may also be delimited text (.csv, .tsv, .tab); this kwtest for Windows reads no\n"
    "workbooks and no SPSS or Stata files (save them as CSV). Its empty and missing cells\n"
    "become the missing-value code, -99 unless --missing gives another, which is then in\n"
    "force:\n"
#else
    "FILE may also be delimited text (.csv, .tsv, .tab), a workbook (.xlsx, .xlsm, .ods) or\n"
    "an SPSS or Stata file (.sav, .zsav, .por, .dta); its empty and missing cells become the\n"
    "missing-value code, -99 unless --missing gives another, which is then in force:\n"
#endif
    "  --delimiter C         the separator of delimited text: a character, or tab (default:\n"
    "                        found from the file); read a .txt FILE as delimited text\n"
    "  --decimal MARK        point or comma: the decimal mark of its numbers (default: found)\n"
#if defined(_WIN32)
    "  --encoding NAME       its encoding: UTF-8, UTF-16, UTF-32 or a single-byte one such\n"
    "                        as WINDOWS-1252 or ISO-8859-1 (default: found from a byte-order\n"
    "                        mark or the bytes)\n"
#else
    "  --encoding NAME       its encoding, such as UTF-8, UTF-16, WINDOWS-1252 or ISO-8859-1\n"
    "                        (default: found from a byte-order mark or the bytes)\n"
#endif
    "  --na CODE             cells holding CODE are missing too (repeatable), such as NA\n"
#if !defined(_WIN32)
    "  --sheet NAME          the sheet of a workbook (default: the first)\n"
    "  --range A1:C40        the block of that sheet, names in its first row (default: all)\n"
#endif
    "  --wide                one column per group: the columns become the variables 'group'\n"
    "                        (their names) and 'value' (their cells, missing ones left out)\n"
    "\n"
    "The steps are those of the window, in this order: read FILE, type the missing-value\n"
    "code, pick the grouping variable, set how groups are treated, pick the test variable,\n"
    "add the selection conditions, set alpha, calculate, re-sort the comparison, and save the\n"
    "report.\n"
    "\n"
    "  --group NAME          grouping variable (its values must be discrete)\n"
    "  --test NAME           test variable (its values must be numbers)\n"
    "  --alpha A             significance level, default 0.05; a multiple comparison of\n"
    "                        groups follows when p < A\n"
    "  --missing CODE        missing-value code: cases whose test value is CODE are left out\n"
    "  --group-as MODE       treat the grouping variable as 'texts' or 'numbers' (set by the\n"
    "                        check of the grouping variable unless given)\n"
    "  --where NAME=VALUE    include only cases whose NAME is VALUE (repeatable; all must hold)\n"
    "  --where NAME<>VALUE   include only cases whose NAME is not VALUE\n"
    "  --sort group|median   order of the multiple comparison table (default: group)\n"
    "  --report OUT          write the results report to OUT (default: standard output)\n"
    "  --json OUT            write the result grids and values to OUT as JSON\n"
    "  --help                show this text\n"
    "\n"
    "Beyond the test, written with --details OUT and into the JSON (--json):\n"
    "  descriptives of each group (n, median, quartiles by R's type 7, min, max, mean rank,\n"
    "  rank sum); epsilon-squared and eta-squared(H) with 95% percentile bootstrap\n"
    "  intervals; the p of H asymptotic and exact or by Monte Carlo; pairwise comparisons\n"
    "  with adjusted p; the letters of the groups; a line for a paper; a methods paragraph.\n"
    "  --details OUT         write these as a text report to OUT\n"
    "  --pairwise METHOD     dunn (the default), conover or dscf (Dwass-Steel-Critchlow-\n"
    "                        Fligner, its p adjusted for the family already)\n"
    "  --adjust METHOD       none, bonferroni, sidak, holm (the default), holm-sidak,\n"
    "                        hochberg, hommel, bh (Benjamini-Hochberg), by (Benjamini-\n"
    "                        Yekutieli)\n"
    "  --control GROUP       compare each group with this one only (dunn and conover)\n"
    "  --exact MODE          the p of H exactly: auto (when it is quick enough, the\n"
    "                        default), always, or never (Monte Carlo)\n"
    "  --resamples B         bootstrap resamples and Monte Carlo relabellings (default 2000\n"
    "                        and 10000)\n"
    "  --seed S              the random numbers' seed (default 1)\n"
    "\n"
#if defined(_WIN32) && !defined(KW_WITH_PLOT)
    "This kwtest for Windows draws no plots: --plot, --plot-kind, --plot-size, --plot-dpi and\n"
    "--html are refused (they need Qt, which it is built without).\n"
#else
    "A plot of the groups, drawn without a display (Qt's offscreen platform):\n"
    "  --plot OUT            write it to OUT, as SVG, PNG or PDF by OUT's extension\n"
    "  --plot-kind KIND      box (box plots with the cases as points when few, the letters\n"
    "                        of the pairwise comparisons and the group sizes; the default),\n"
    "                        ranks (mean ranks with 95% intervals) or pairs (the adjusted p\n"
    "                        of each pair as a triangle heat map)\n"
    "  --plot-size WxH       its layout size in pixels at 96 dpi, each 200 to 5000 (default\n"
    "                        800x500)\n"
    "  --plot-dpi N          the resolution of a PNG, 72 to 1200 (default 300)\n"
    "  --html OUT            write the report as one self-contained HTML file: the data, the\n"
    "                        selection, the test, the tables of --details (--pairwise and\n"
    "                        --adjust apply), the line for a paper, the methods and the plots\n"
#endif
    "\n"
#if defined(_WIN32)
    "With a running Excel (the link attaches to it; it never starts or closes Excel):\n"
    "  --from-sheet SHEET    read the data from this sheet instead of FILE\n"
    "  --range A1:C11        the block to read: names in its first row, one case per row\n"
    "  --book TITLE          the workbook to use (made the active one first)\n"
    "  --empty-as CODE       what empty cells become, and the missing-value code unless\n"
    "                        --missing is given (default -99)\n"
    "  --to-sheet            write the results block into a sheet after the calculation\n"
    "  --at C10              its top-left cell\n"
    "  --new-book            into a new workbook (default: the active or --book workbook)\n"
    "  --sheet NAME          into this existing sheet (its cells in the block are replaced)\n"
    "  --new-sheet           into a new sheet after the last (the default)\n"
    "  --counts-to-sheet     write the counts grid to A1 of a new sheet of the workbook\n"
    "  --office PIPE         not used: it names LibreOffice's pipe on Linux\n"
#else
    "With a running LibreOffice Calc that accepts the program's connection (see README):\n"
    "  --from-sheet SHEET    read the data from this sheet instead of FILE\n"
    "  --range A1:C11        the block to read: names in its first row, one case per row\n"
    "  --book TITLE          the document to use (made the active one first)\n"
    "  --empty-as CODE       what empty cells become, and the missing-value code unless\n"
    "                        --missing is given (default -99)\n"
    "  --to-sheet            write the results block into a sheet after the calculation\n"
    "  --at C10              its top-left cell\n"
    "  --new-book            into a new document (default: the active or --book document)\n"
    "  --sheet NAME          into this existing sheet (its cells in the block are replaced)\n"
    "  --new-sheet           into a new sheet after the last (the default)\n"
    "  --counts-to-sheet     write the counts grid to A1 of a new sheet of the document\n"
    "  --office PIPE         the pipe Calc accepts on (default: $KW_OFFICE_PIPE or\n"
    "                        kruskalwallis)\n"
#endif
    "\n"
    "Exit status: 0 on success; 1 when the data or a choice is refused (the reason goes to\n"
    "standard error and no output file is created or changed); 2 for a usage error.\n"
    "Warnings that let the calculation go on are written to standard error.\n";

namespace {

// A whole number of digits only, within the range of 64 bits.
std::optional<std::uint64_t> wholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 19 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoull(text);
}

// The options of the statistics beyond the test.
void statisticsOption(Options& o, const std::string& name, const std::string& value) {
    if (name == "--pairwise") {
        const auto method = pairwiseMethodNamed(value);
        if (!method) {
            throw UsageError{"--pairwise takes dunn, conover or dscf"};
        }
        o.statistics.method = *method;
    } else if (name == "--adjust") {
        const auto adjustment = adjustmentNamed(value);
        if (!adjustment) {
            throw UsageError{"--adjust takes none, bonferroni, sidak, holm, holm-sidak, "
                             "hochberg, hommel, bh or by"};
        }
        o.statistics.adjustment = *adjustment;
    } else if (name == "--control") {
        o.statistics.control = value;
    } else if (name == "--exact") {
        const auto mode = exactModeNamed(value);
        if (!mode) {
            throw UsageError{"--exact takes auto, always or never"};
        }
        o.statistics.exact = *mode;
    } else if (name == "--resamples") {
        const auto b = wholeNumber(value);
        if (!b || *b == 0 || *b > 10'000'000) {
            throw UsageError{"--resamples takes a whole number from 1 to 10000000"};
        }
        o.statistics.resamples = *b;
    } else if (name == "--seed") {
        const auto seed = wholeNumber(value);
        if (!seed) {
            throw UsageError{"--seed takes a whole number"};
        }
        o.statistics.seed = *seed;
    } else {
        o.details = value;
    }
}

// A whole number from `low` to `high`, or nothing.
std::optional<int> numberWithin(const std::string& text, int low, int high) {
    const auto n = wholeNumber(text);
    if (!n || *n < std::uint64_t(low) || *n > std::uint64_t(high)) {
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

// The options of the plot.
void plotOption(Options& o, const std::string& name, const std::string& value) {
    if (name == "--plot") {
        if (!plotFormat(value)) {
            throw UsageError{"--plot takes a file name ending in .svg, .png or .pdf"};
        }
        o.plot = value;
    } else if (name == "--plot-kind") {
        if (value != "box" && value != "ranks" && value != "pairs") {
            throw UsageError{"--plot-kind takes box, ranks or pairs"};
        }
        o.plotKind = value;
    } else if (name == "--plot-size") {
        const auto x = value.find('x');
        const auto w = numberWithin(value.substr(0, x), 200, 5000);
        const auto h =
            x == std::string::npos ? std::nullopt : numberWithin(value.substr(x + 1), 200, 5000);
        if (!w || !h) {
            throw UsageError{"--plot-size takes WIDTHxHEIGHT, each from 200 to 5000, such as "
                             "800x500"};
        }
        o.plotWidth = *w;
        o.plotHeight = *h;
    } else {
        const auto dpi = numberWithin(value, 72, 1200);
        if (!dpi) {
            throw UsageError{"--plot-dpi takes a whole number from 72 to 1200"};
        }
        o.plotDpi = *dpi;
    }
}

// The options of files of other programs.
void importOption(Options& o, const std::string& name, const std::string& value) {
    if (name == "--delimiter") {
        if (value == "tab" || value == "\\t") {
            o.import.delimiter = '\t';
        } else if (value.size() == 1 && value != "\"" && value != "\n" && value != "\r") {
            o.import.delimiter = value[0];
        } else {
            throw UsageError{"--delimiter takes one character (not a quote or a line end), or tab"};
        }
        o.delimitedText = true;
    } else if (name == "--decimal") {
        if (value != "point" && value != "comma") {
            throw UsageError{"--decimal takes point or comma"};
        }
        o.import.decimal = value == "point" ? '.' : ',';
        o.delimitedText = true;
    } else if (name == "--encoding") {
        if (value.empty()) {
            throw UsageError{"--encoding takes the name of an encoding, such as UTF-8"};
        }
        o.import.encoding = value;
        o.delimitedText = true;
    } else {
        o.import.naCodes.push_back(value);
    }
}

} // namespace

DataFileKind fileKind(const Options& options) {
    if (options.delimitedText && dataFileKindByName(options.file) == DataFileKind::spaceText) {
        return DataFileKind::delimitedText;
    }
    return dataFileKind(options.file);
}

Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    bool endOfOptions = false;
    std::vector<std::string> positional;
    bool plotKindGiven = false;
    bool plotSizeGiven = false;
    bool plotDpiGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (endOfOptions || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            endOfOptions = true;
            continue;
        }
        std::string name = a;
        std::optional<std::string> value;
        if (auto eq = a.find('='); eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        if (name == "--help") {
            o.help = true;
            continue;
        }
        if (name == "--wide") {
            if (value) {
                throw UsageError{"option " + name + " takes no value"};
            }
            o.import.wide = true;
            continue;
        }
        if (name == "--to-sheet" || name == "--new-book" || name == "--new-sheet" ||
            name == "--counts-to-sheet") {
            if (value) {
                throw UsageError{"option " + name + " takes no value"};
            }
            bool& flag = name == "--to-sheet"    ? o.toSheet
                         : name == "--new-book"  ? o.newBook
                         : name == "--new-sheet" ? o.newSheet
                                                 : o.countsToSheet;
            flag = true;
            continue;
        }
        static const char* const known[] = {
            "--group",    "--test",     "--alpha",     "--missing",    "--group-as",  "--where",
            "--sort",     "--report",   "--json",      "--from-sheet", "--range",     "--book",
            "--empty-as", "--at",       "--sheet",     "--office",     "--pairwise",  "--adjust",
            "--control",  "--exact",    "--resamples", "--seed",       "--details",   "--delimiter",
            "--decimal",  "--encoding", "--na",        "--plot",       "--plot-kind", "--plot-size",
            "--plot-dpi", "--html"};
        plotKindGiven = plotKindGiven || name == "--plot-kind";
        plotSizeGiven = plotSizeGiven || name == "--plot-size";
        plotDpiGiven = plotDpiGiven || name == "--plot-dpi";
        if (std::find(std::begin(known), std::end(known), name) == std::end(known)) {
            throw UsageError{"unknown option " + name};
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                throw UsageError{"option " + name + " needs a value"};
            }
            value = args[++i];
        }
        if (name == "--group") {
            o.group = *value;
        } else if (name == "--test") {
            o.test = *value;
        } else if (name == "--alpha") {
            o.alpha = *value;
        } else if (name == "--missing") {
            o.missing = *value;
        } else if (name == "--group-as") {
            if (*value != "texts" && *value != "numbers") {
                throw UsageError{"--group-as takes texts or numbers"};
            }
            o.groupAs = *value;
        } else if (name == "--where") {
            if (value->find('=') == std::string::npos && value->find("<>") == std::string::npos) {
                throw UsageError{"--where takes NAME=VALUE or NAME<>VALUE"};
            }
            o.where.push_back(*value);
        } else if (name == "--sort") {
            if (*value != "group" && *value != "median") {
                throw UsageError{"--sort takes group or median"};
            }
            o.sort = *value;
        } else if (name == "--report") {
            o.report = *value;
        } else if (name == "--json") {
            o.json = *value;
        } else if (name == "--html") {
            o.html = *value;
        } else if (name == "--from-sheet") {
            o.fromSheet = *value;
        } else if (name == "--range") {
            if (!parseRange(*value)) {
                throw UsageError{"--range takes a block such as A1:C11"};
            }
            o.range = *value;
        } else if (name == "--book") {
            o.book = *value;
        } else if (name == "--empty-as") {
            o.emptyAs = *value;
        } else if (name == "--at") {
            if (!parseCell(*value)) {
                throw UsageError{"--at takes a cell such as C10"};
            }
            o.at = *value;
        } else if (name == "--sheet") {
            o.sheet = *value;
        } else if (name == "--office") {
            o.office = *value;
        } else if (name == "--delimiter" || name == "--decimal" || name == "--encoding" ||
                   name == "--na") {
            importOption(o, name, *value);
        } else if (name.compare(0, 6, "--plot") == 0) {
            plotOption(o, name, *value);
        } else {
            statisticsOption(o, name, *value);
        }
    }
    if (o.help) {
        return o;
    }
    if (o.fromSheet) {
        if (!positional.empty()) {
            throw UsageError{"give either a data file or --from-sheet, not both"};
        }
        if (!o.range) {
            throw UsageError{"--from-sheet needs --range"};
        }
    } else {
        if (positional.size() != 1) {
            throw UsageError{positional.empty() ? "no data file given"
                                                : "more than one data file given"};
        }
        o.file = positional.front();
    }
    // A workbook FILE takes --sheet and --range for the block to read, unless the spreadsheet
    // link uses them.
    const bool workbookFile = !o.fromSheet && dataFileKindByName(o.file) == DataFileKind::workbook;
    if (workbookFile && !o.toSheet && o.sheet) {
        o.import.sheet = *o.sheet;
        o.sheet.reset();
    }
    if (workbookFile && o.range) {
        o.import.range = *o.range;
        o.range.reset();
    }
    if (o.range && !o.fromSheet) {
        throw UsageError{"--range goes with --from-sheet"};
    }
    if (o.toSheet && !o.at) {
        throw UsageError{"--to-sheet needs --at"};
    }
    if ((o.at || o.newBook || o.sheet || o.newSheet) && !o.toSheet) {
        throw UsageError{"--at, --new-book, --sheet and --new-sheet go with --to-sheet"};
    }
    const bool otherProgramsFile =
        !o.fromSheet && (o.delimitedText || dataFileKindByName(o.file) != DataFileKind::spaceText);
    if (o.fromSheet && (o.delimitedText || o.import.wide || !o.import.naCodes.empty())) {
        throw UsageError{"--delimiter, --decimal, --encoding, --na and --wide go with a FILE"};
    }
    if (!otherProgramsFile && (o.import.wide || !o.import.naCodes.empty())) {
        throw UsageError{"--na and --wide go with delimited text, workbook and statistics "
                         "files (give --delimiter to read a .txt FILE as delimited text)"};
    }
    if (o.delimitedText && dataFileKindByName(o.file) != DataFileKind::spaceText &&
        dataFileKindByName(o.file) != DataFileKind::delimitedText) {
        throw UsageError{"--delimiter, --decimal and --encoding go with delimited text"};
    }
    if (o.missing) {
        o.import.missingCode = *o.missing;
    }
    if (o.newBook && o.book) {
        throw UsageError{"give either --book or --new-book"};
    }
    if (o.sheet && o.newSheet) {
        throw UsageError{"give either --sheet or --new-sheet"};
    }
    if (o.newBook && o.sheet) {
        throw UsageError{"a new document has no sheet to name: leave out --sheet"};
    }
    if (o.statistics.control && o.statistics.method == PairwiseMethod::dscf) {
        throw UsageError{"--control goes with --pairwise dunn or conover"};
    }
    if (!o.plot && (plotKindGiven || plotSizeGiven || plotDpiGiven)) {
        throw UsageError{"--plot-kind, --plot-size and --plot-dpi go with --plot"};
    }
    // A PNG is held whole in memory while it is drawn.
    if (o.plot && *plotFormat(*o.plot) == "png" &&
        std::max(o.plotWidth, o.plotHeight) * std::int64_t(o.plotDpi) > 20000 * 96) {
        throw UsageError{"--plot-size and --plot-dpi make a PNG of more than 20000 pixels a "
                         "side"};
    }
    return o;
}

std::optional<std::string> plotFormat(const std::string& path) {
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) {
        return std::nullopt;
    }
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "png" || ext == "svg" || ext == "pdf") {
        return ext;
    }
    return std::nullopt;
}

std::optional<std::pair<std::string, std::string>> parseCell(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    std::size_t j = i;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
        ++j;
    }
    if (i == 0 || j == i || j != text.size()) {
        return std::nullopt;
    }
    return std::make_pair(text.substr(0, i), text.substr(i));
}

std::optional<CellRange> parseRange(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const auto first = parseCell(text.substr(0, colon));
    const auto last = parseCell(text.substr(colon + 1));
    if (!first || !last) {
        return std::nullopt;
    }
    return CellRange{first->first, first->second, last->first, last->second};
}

std::optional<WhereCondition> splitWhere(const std::string& text,
                                         const std::vector<std::string>& variables) {
    for (std::size_t p = 0; p < text.size(); ++p) {
        int op = -1;
        std::size_t oplen = 0;
        if (text.compare(p, 2, "<>") == 0) {
            op = 1;
            oplen = 2;
        } else if (text[p] == '=') {
            op = 0;
            oplen = 1;
        } else {
            continue;
        }
        auto it = std::find(variables.begin(), variables.end(), text.substr(0, p));
        if (it != variables.end()) {
            return WhereCondition{static_cast<int>(it - variables.begin()), op,
                                  text.substr(p + oplen)};
        }
    }
    return std::nullopt;
}

} // namespace kw::cli
