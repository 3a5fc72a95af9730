#pragma once

// The parts of the Excel link that need no Windows: text conversion between UTF-8 and
// UTF-16, Excel's cell error values, dates and currency amounts as numbers, the lists of
// books and sheets, sheet names Excel refuses, and the messages. The COM code in
// excellink.cpp uses them; they are unit-tested on every platform.

#include "spreadsheet.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw::com {

// UTF-16 (Windows' wide texts, BSTR) as UTF-8. An unpaired surrogate becomes U+FFFD.
std::string utf8from(std::u16string_view text);

// UTF-8 as UTF-16; nothing when the text is not well-formed UTF-8 (overlong forms, encoded
// surrogates and code points past U+10FFFF included), so that the caller can read it in the
// system's code page instead.
std::optional<std::u16string> utf16from(std::string_view text);

// Excel's cell error values. A cell holding one reads as a VT_ERROR variant whose code is
// 0x800A0000 plus Excel's number for it (2007 for #DIV/0!).
inline constexpr std::uint32_t excelerrorbase = 0x800A0000u;
// What the cell shows for an error code ("#DIV/0!"); an unknown code as "#ERROR <number>".
std::string errortext(std::uint32_t scode);
// The code of an error value from what a cell shows, if it is one of Excel's.
std::optional<std::uint32_t> errorcode(std::string_view shown);

// Excel's serial number of an OLE automation date (days since 30 December 1899). They are
// the same from 1 March 1900 on; before that Excel counts the 29 February 1900 that never
// was, so its serials are one less, and a time without a date (below 1) stays as it is.
double serialfromdate(double oledate);

// A currency amount (a 64-bit integer of ten-thousandths) as a number.
double currencyvalue(std::int64_t tenthousandths);

// Whether two names are the same for Excel (letter case ignored).
using SameName = std::function<bool(std::string_view, std::string_view)>;
// Letter case of A-Z ignored, every other byte compared as it is.
bool asciisame(std::string_view a, std::string_view b);

// The position of a name in a list, by `same`.
std::optional<std::size_t> findname(const std::vector<std::string>& names, std::string_view name,
                                    const SameName& same);

// The open books as listed to the user: the active one selected (by name, letter case
// ignored), and the first personal macro workbook (PERSONAL.XLS, or PERSONAL.XLSB of Excel
// 2007 and later) left out, after the active one was chosen. When the active book is the one
// left out, none is selected.
SpreadsheetLink::Listing booklisting(std::vector<std::string> names,
                                     const std::optional<std::string>& active,
                                     const SameName& same);
// The worksheets of a book, the active one selected by name.
SpreadsheetLink::Listing sheetlisting(std::vector<std::string> names,
                                      const std::optional<std::string>& active,
                                      const SameName& same);

// Why Excel would refuse a name for a new sheet, or nothing when it takes it: not empty, at
// most 31 characters, none of : \ / ? * [ ], no apostrophe first or last, not "History".
std::optional<std::string> sheetnameproblem(std::string_view name);

// The number format that shows three decimals, "0" + decimal mark + "000", and the property it
// is written to: NumberFormat (Excel's format codes, where the point is the decimal mark)
// for a point, NumberFormatLocal (the codes as the user's Excel reads them) for any other
// mark, so that "0,000" means three decimals there and not a thousands separator.
struct NumberFormatWrite {
    std::u16string property;
    std::string format;
};
NumberFormatWrite threedecimals(char decimal);

// A text to write into a cell so that it stays that text: Excel reads a value written to a
// cell as if it were typed, so "=A1" would become a formula, "1/2" a date and "TRUE" a truth
// value. A leading apostrophe, which Excel keeps out of the cell's value, prevents that.
std::string celltext(std::string_view text);

// The message when no Excel is running: "Unable to retrieve a pointer to a running object
// registered with OLE for <progid>/<classid>".
std::string attachmessage(std::string_view progid, std::string_view classid);

// The message of a failed call of an Excel member (such as "Workbooks.Item"): Excel's own
// description, or the system's text of the error code, or the code itself.
std::string callmessage(std::string_view member, std::string_view description,
                        std::string_view systemtext, std::uint32_t hresult);

// Whether an error code says that the Excel the link was attached to is gone (closed, or no
// longer answering), so that the link must attach afresh next time.
bool isdisconnection(std::uint32_t hresult);

// Whether it says that Excel refused the call because it is busy (a cell being edited, a
// dialog open).
bool isbusy(std::uint32_t hresult);

// The code as 0x followed by eight hexadecimal digits.
std::string hexcode(std::uint32_t hresult);

} // namespace kw::com
