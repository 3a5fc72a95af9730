#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kw::cli {

struct WhereOption {
    std::string text; // NAME=VALUE or NAME<>VALUE as given
};

struct Options {
    std::string file;
    std::optional<std::string> group;
    std::optional<std::string> test;
    std::optional<std::string> alpha;
    std::optional<std::string> missing;
    std::optional<std::string> groupas; // "texts" or "numbers"
    std::vector<std::string> where;
    std::optional<std::string> sort; // "group" or "median"
    std::optional<std::string> report;
    std::optional<std::string> json;
    bool help = false;

    // The spreadsheet link: a block of a sheet instead of FILE, and results into sheets.
    std::optional<std::string> fromsheet;
    std::optional<std::string> range; // A1:C11
    std::optional<std::string> book;
    std::string emptyas = "-99";
    bool tosheet = false;
    std::optional<std::string> at; // C10
    bool newbook = false;
    std::optional<std::string> sheet;
    bool newsheet = false;
    bool countstosheet = false;
    std::optional<std::string> office; // pipe name
};

// "A1:C11" as first and last column (letters) and row (digits); nothing if malformed.
struct CellRange {
    std::string firstcolumn, firstrow, lastcolumn, lastrow;
};
std::optional<CellRange> parserange(const std::string& text);
// "C10" as column letters and row digits.
std::optional<std::pair<std::string, std::string>> parsecell(const std::string& text);

// Parses the command line (without the program name). Options take their value as the next
// argument (which may begin with a minus sign, as a missing-value code of -99 does) or after
// '='. Throws UsageError for anything that does not fit.
Options parseoptions(const std::vector<std::string>& args);

struct UsageError {
    std::string message;
};

extern const char* const usage;
extern const char* const helptext;

// A --where condition split at its operator: the first "<>" or "=" whose left part names a
// variable (names may themselves hold '=').
struct WhereCondition {
    int position = -1;        // of the variable in the chooser
    int operatorposition = 0; // 0 " =", 1 "<>"
    std::string value;
};
std::optional<WhereCondition> splitwhere(const std::string& text,
                                         const std::vector<std::string>& variables);

} // namespace kw::cli
