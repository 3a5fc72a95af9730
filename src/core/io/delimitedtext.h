#pragma once

#include "core/base/feedback.h"
#include "core/data/datatable.h"
#include "core/io/importoptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace kw {

// Delimited text: CSV, TSV and the like, as spreadsheets and other programs export them.
// Fields are split at the separator; a field in double quotes (blanks around the quotes
// allowed) may hold separators, line ends and doubled quotes, a quote inside an unquoted field
// is a character like any other; the first row holds the names. Lines end with LF, CR LF or
// CR; blank lines are skipped. A separator of '\0' stands for none: each line is one field.

// The format of a delimited text as found from its first bytes.
struct TextFormat {
    char delimiter = ','; // '\0': none, one column
    char decimal = '.';
    std::string encoding = "UTF-8"; // UTF-8, UTF-16LE, UTF-16BE, WINDOWS-1252 or as given
};

// Finds the encoding (a byte-order mark; otherwise UTF-16 when every other byte of the start
// is NUL, UTF-8 if the bytes are valid UTF-8, otherwise Windows-1252), the separator (of tab,
// semicolon, comma and vertical bar, the first in this order that splits the first lines into
// the same number of fields, more than one; when none does, the one that splits the names
// and the most lines alike, so that the reading names the line that differs; none when no
// candidate splits the names) and the decimal mark (a comma when more numbers hold a decimal
// comma than a decimal point, never with the comma as separator). `bytes` may be the whole
// text or its start; the separator and mark are found from the first 100 lines or 64 KB.
// Never throws.
TextFormat detectTextFormat(std::string_view bytes);

// The format the options ask for, the parts they leave open found from the bytes.
TextFormat resolveTextFormat(std::string_view bytes, const ImportOptions& options);

// The first `rows` rows (the names first) as split under the options, decoded and unquoted,
// for an import dialog's preview; looks at the first 256 KB only. Rows may hold different
// numbers of fields; a row that cannot be split (a quote not closed, text after a closing
// quote) ends the preview, as do bytes the encoding cannot decode. Never throws: for options
// that cannot be used (an unknown encoding) the preview is empty.
std::vector<std::vector<std::string>> previewDelimited(std::string_view bytes,
                                                       const ImportOptions& options, int rows);

// Reads delimited text as a table. Numbers written with a decimal mark other than the
// program's (`decimal`) are given the program's mark; missing cells receive the options'
// missing-value code; other cells are kept as written. An unnamed last column without a value
// (a separator at the end of every line) is left out. Throws kw::Failure naming the line and
// the reason for text that is not delimited text under the options (a quote not closed, text
// after a closing quote, a row with more or fewer fields than the names, bytes the encoding
// cannot decode), and for options that cannot be used (an unknown encoding, a quote or line
// end as separator, a decimal mark other than point and comma).
DataTable readDelimitedData(std::string bytes, const ImportOptions& options, char decimal,
                            Feedback* feedback = nullptr);

// The same for a file.
DataTable readDelimitedFile(const std::string& path, const ImportOptions& options, char decimal,
                            Feedback* feedback = nullptr);

} // namespace kw
