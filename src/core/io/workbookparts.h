#pragma once

#include "core/base/feedback.h"
#include "core/io/ziparchive.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// The parts of a workbook's zip archive that orcus reads, checked before it reads them: each
// unpacked and checked against the archive's directory (size, CRC-32), and its XML checked
// with expat (core/io/xmlcheck.h). `file` names the file in messages ("the file x.xlsx").

// [Content_Types].xml, which orcus parses to tell an .xlsx; nothing when there is none.
void checkContentTypes(std::string_view archive, const std::vector<ZipEntry>& entries,
                       const std::string& file);

// The parts of an .xlsx that orcus reads.
struct XlsxParts {
    std::vector<std::string> names;
    bool inlineStrings = false; // whether a sheet holds inline strings
};

// Checks every part an .xlsx is read from: the relationship parts and the parts of the types
// orcus reads they lead to (the workbook, sheets, shared strings, styles, tables, pivot
// tables, drawings, revisions), and every other part named .xml. Throws kw::Failure naming
// the first part found damaged.
XlsxParts checkXlsxParts(std::string_view archive, const std::vector<ZipEntry>& entries,
                         const std::string& file, Feedback* feedback);

// The content.xml of an .ods, unpacked and checked; nothing when there is none.
std::optional<std::string> checkedOdsContent(std::string_view archive,
                                             const std::vector<ZipEntry>& entries,
                                             const std::string& file, Feedback* feedback);

} // namespace kw
