#pragma once

#include "core/io/importoptions.h"
#include "core/stats/details.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kw::cli {

struct Options {
    std::string file;
    std::optional<std::string> group;
    std::optional<std::string> test;
    std::optional<std::string> alpha;
    std::optional<std::string> missing;
    std::optional<std::string> groupAs; // "texts" or "numbers"
    std::vector<std::string> where;
    std::optional<std::string> sort; // "group" or "median"
    std::optional<std::string> report;
    std::optional<std::string> json;
    bool help = false;

    // The spreadsheet link: a block of a sheet instead of FILE, and results into sheets.
    std::optional<std::string> fromSheet;
    std::optional<std::string> range; // A1:C11
    std::optional<std::string> book;
    std::string emptyAs = "-99";
    bool toSheet = false;
    std::optional<std::string> at; // C10
    bool newBook = false;
    std::optional<std::string> sheet;
    bool newSheet = false;
    bool countsToSheet = false;
    std::optional<std::string> office; // pipe name

    // Files of other programs: how FILE is read (the missing-value code is -99 or --missing),
    // and whether it is delimited text although its name does not say so (--delimiter,
    // --decimal or --encoding given for it). --sheet and --range name a workbook's sheet and
    // block when there is no --to-sheet or --from-sheet.
    ImportOptions import;
    bool delimitedText = false;

    // The statistics beyond the test, written by --details OUT and into the JSON, as asked
    // (their alpha is the test's).
    std::optional<std::string> details;
    DetailsRequest statistics;

    // A plot of the groups, written with --plot OUT (its format from the extension), of the
    // kind asked, laid out at the size asked (pixels at 96 dpi), a PNG at plotDpi.
    std::optional<std::string> plot;
    std::string plotKind = "box"; // box, ranks or pairs
    int plotWidth = 800;
    int plotHeight = 500;
    int plotDpi = 300;

    // The shareable report (tables, details and plots) as one HTML file.
    std::optional<std::string> html;
};

// The extension of a --plot file, in lower case (png, svg or pdf), or nothing for another.
std::optional<std::string> plotFormat(const std::string& path);

// How FILE is to be read.
DataFileKind fileKind(const Options& options);

// "A1:C11" as first and last column (letters) and row (digits); nothing if malformed.
struct CellRange {
    std::string firstColumn, firstRow, lastColumn, lastRow;
};
std::optional<CellRange> parseRange(const std::string& text);
// "C10" as column letters and row digits.
std::optional<std::pair<std::string, std::string>> parseCell(const std::string& text);

// Parses the command line (without the program name). Options take their value as the next
// argument (which may begin with a minus sign, as a missing-value code of -99 does) or after
// '='. Throws UsageError for anything that does not fit.
Options parseOptions(const std::vector<std::string>& args);

struct UsageError {
    std::string message;
};

extern const char* const usage;
extern const char* const helpText;

// A --where condition split at its operator: the first "<>" or "=" whose left part names a
// variable (names may themselves hold '=').
struct WhereCondition {
    int position = -1;        // of the variable among the names
    int operatorPosition = 0; // 0 " =", 1 "<>"
    std::string value;
};
std::optional<WhereCondition> splitWhere(const std::string& text,
                                         const std::vector<std::string>& variables);

} // namespace kw::cli
