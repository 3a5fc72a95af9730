#pragma once

#include "core/base/feedback.h"
#include "core/data/datatable.h"
#include "core/io/importoptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace kw {

// Delimited text: CSV, TSV and the like, as spreadsheets and other programs export them.
// Fields are split at the separator; a field in double quotes may hold separators, line ends
// and doubled quotes; the first row holds the names. Lines end with LF, CR LF or CR.

// The format of a delimited text as found from its first bytes.
struct TextFormat {
    char delimiter = ',';
    char decimal = '.';
    std::string encoding = "UTF-8"; // UTF-8, UTF-16LE, UTF-16BE or WINDOWS-1252
};

// Finds the encoding (a byte-order mark; otherwise UTF-8 if the bytes are valid UTF-8,
// otherwise Windows-1252), the separator (of tab, semicolon, comma and vertical bar, the one
// that splits the first lines into the same number of fields, more than one) and the decimal
// mark (a comma when more numbers hold a decimal comma than a decimal point).
TextFormat detectTextFormat(std::string_view bytes);

// The format the options ask for, the parts they leave open found from the bytes.
TextFormat resolveTextFormat(std::string_view bytes, const ImportOptions& options);

// The first `rows` rows (the names first) as split under the options, decoded and unquoted,
// for an import dialog's preview. A malformed row ends the preview.
std::vector<std::vector<std::string>> previewDelimited(std::string_view bytes,
                                                       const ImportOptions& options, int rows);

// Reads delimited text as a table. Numbers written with a decimal mark other than the
// program's (`decimal`) are given the program's mark; missing cells receive the options'
// missing-value code. Throws kw::Failure naming the line and the reason for text that is not
// delimited text under the options (a quote not closed, a row with more or fewer fields than
// the names, bytes the encoding cannot decode).
DataTable readDelimitedData(std::string bytes, const ImportOptions& options, char decimal,
                            Feedback* feedback = nullptr);

// The same for a file.
DataTable readDelimitedFile(const std::string& path, const ImportOptions& options, char decimal,
                            Feedback* feedback = nullptr);

} // namespace kw
