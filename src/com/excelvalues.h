#pragma once

// Cell values as Excel holds and takes them: its error values, dates and currency amounts as
// numbers, the number format that shows three decimals, and texts that must stay texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kw::com {

// Excel's cell error values. A cell holding one reads as a VT_ERROR variant whose code is
// 0x800A0000 plus Excel's number for it (2007 for #DIV/0!).
inline constexpr std::uint32_t excelErrorBase = 0x800A0000u;
// What the cell shows for an error code ("#DIV/0!"); an unknown code as "#ERROR <number>".
std::string errorText(std::uint32_t scode);
// The code of an error value from what a cell shows, if it is one of Excel's.
std::optional<std::uint32_t> errorCode(std::string_view shown);

// Excel's serial number of an OLE automation date (days since 30 December 1899). They are
// the same from 1 March 1900 on; before that Excel counts the 29 February 1900 that never
// was, so its serials are one less, and a time without a date (below 1) stays as it is.
double serialFromDate(double oleDate);

// A currency amount (a 64-bit integer of ten-thousandths) as a number.
double currencyValue(std::int64_t tenThousandths);

// The number format that shows three decimals, "0" + decimal mark + "000", and the property it
// is written to: NumberFormat (Excel's format codes, where the point is the decimal mark)
// for a point, NumberFormatLocal (the codes as the user's Excel reads them) for any other
// mark, so that "0,000" means three decimals there and not a thousands separator.
struct NumberFormatWrite {
    std::u16string property;
    std::string format;
};
NumberFormatWrite threeDecimals(char decimal);

// A text to write into a cell so that it stays that text: Excel reads a value written to a
// cell as if it were typed, so "=A1" would become a formula, "1/2" a date and "TRUE" a truth
// value. A leading apostrophe, which Excel keeps out of the cell's value, prevents that.
std::string cellText(std::string_view text);

} // namespace kw::com
