#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// How a data file other than the program's own space-delimited text becomes a table.
struct ImportOptions {
    // Delimited text: the separator and the decimal mark of its numbers (unset: found from the
    // file), and its encoding (empty: found from the file; otherwise a name iconv knows, such
    // as UTF-8, UTF-16, WINDOWS-1252 or ISO-8859-1).
    std::optional<char> delimiter;
    std::optional<char> decimal;
    std::string encoding;

    // Workbooks: the sheet (empty: the first) and the block, such as "A1:C40" (empty: the
    // sheet's used range). The block's first row holds the names.
    std::string sheet;
    std::string range;

    // Every reader: empty cells, cells of blanks only and cells holding one of these codes
    // (NA, ., ...) receive `missingCode`, which is then the missing-value code of the data.
    std::vector<std::string> naCodes;
    std::string missingCode = "-99";

    // One column per group: the columns become two variables, "group" (each cell's column
    // name, in column order) and "value" (the cells), missing cells left out.
    bool wide = false;
};

// The kinds of data files the program reads.
enum class DataFileKind {
    spaceText,     // the program's own format (readTextFile)
    delimitedText, // CSV, TSV and other separated text (readDelimitedFile)
    workbook,      // .xlsx and .ods (Workbook)
    statistics,    // SPSS .sav, .zsav, .por and Stata .dta (readStatisticsFile)
};

// The kind a file name's extension stands for (letter case ignored): .csv, .tsv and .tab are
// delimited text; .xlsx, .xlsm and .ods workbooks; .sav, .zsav, .por and .dta statistics
// files; anything else, .txt and .dat among them, the program's own text.
DataFileKind dataFileKindByName(std::string_view path);

// The kind the first bytes of a file show, where they are unmistakable: a zip archive (a
// workbook), an SPSS system or portable file, a Stata file. Nothing otherwise.
std::optional<DataFileKind> dataFileKindByContent(std::string_view head);

// The kind of the file at `path`: by its extension where it names one of the other kinds,
// otherwise by its first bytes, otherwise the program's own text.
DataFileKind dataFileKind(const std::string& path);

} // namespace kw
