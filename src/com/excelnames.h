#pragma once

// The names of Excel's books and sheets: how they are compared and found, the lists shown to
// the user, and the sheet names Excel refuses.

#include "core/sheet/spreadsheetlink.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw::com {

// Whether two names are the same for Excel (letter case ignored).
using SameName = std::function<bool(std::string_view, std::string_view)>;
// Letter case of A-Z ignored, every other byte compared as it is: for Excel's own fixed names
// (PERSONAL.XLSB, "History", the error values), and wherever Windows' comparison is not at
// hand.
bool asciiSame(std::string_view a, std::string_view b);

// The position of a name in a list, by `same`.
std::optional<std::size_t> findName(const std::vector<std::string>& names, std::string_view name,
                                    const SameName& same);

// The open books as listed to the user: the active one selected (by name, letter case
// ignored), and the first personal macro workbook (PERSONAL.XLS, or PERSONAL.XLSB of Excel
// 2007 and later) left out, after the active one was chosen. When the active book is the one
// left out, none is selected.
SpreadsheetLink::Listing bookListing(std::vector<std::string> names,
                                     const std::optional<std::string>& active,
                                     const SameName& same);
// The worksheets of a book, the active one selected by name.
SpreadsheetLink::Listing sheetListing(std::vector<std::string> names,
                                      const std::optional<std::string>& active,
                                      const SameName& same);

// Why Excel would refuse a name for a new sheet, or nothing when it takes it: not empty, at
// most 31 characters, none of : \ / ? * [ ], no apostrophe first or last, not "History".
std::optional<std::string> sheetNameProblem(std::string_view name);

} // namespace kw::com
