#include "com/excelvalues.h"

#include "com/excelfailures.h"
#include "com/excelnames.h"

#include <array>

namespace kw::com {

namespace {

struct ErrorValue {
    std::uint32_t number;
    const char* shown;
};

// Excel's error values (XlCVError) and how a cell shows them.
constexpr std::array<ErrorValue, 14> errorValues{{
    {2000, "#NULL!"},
    {2007, "#DIV/0!"},
    {2015, "#VALUE!"},
    {2023, "#REF!"},
    {2029, "#NAME?"},
    {2036, "#NUM!"},
    {2042, "#N/A"},
    {2043, "#GETTING_DATA"},
    {2045, "#SPILL!"},
    {2046, "#CONNECT!"},
    {2047, "#BLOCKED!"},
    {2048, "#UNKNOWN!"},
    {2049, "#FIELD!"},
    {2050, "#CALC!"},
}};

} // namespace

std::string errorText(std::uint32_t scode) {
    const std::uint32_t number = scode - excelErrorBase;
    for (const ErrorValue& e : errorValues) {
        if (scode >= excelErrorBase && e.number == number) {
            return e.shown;
        }
    }
    if (scode >= excelErrorBase && scode < excelErrorBase + 0x10000u) {
        return "#ERROR " + std::to_string(number);
    }
    return "#ERROR " + hexCode(scode);
}

std::optional<std::uint32_t> errorCode(std::string_view shown) {
    for (const ErrorValue& e : errorValues) {
        if (asciiSame(shown, e.shown)) {
            return excelErrorBase + e.number;
        }
    }
    return std::nullopt;
}

double serialFromDate(double oleDate) {
    if (oleDate >= 2 && oleDate < 61) {
        return oleDate - 1;
    }
    return oleDate;
}

double currencyValue(std::int64_t tenThousandths) {
    // Whole units and the rest apart, so that amounts beyond 2^53 ten-thousandths keep their
    // units exactly as far as a double can.
    const std::int64_t units = tenThousandths / 10000;
    const std::int64_t rest = tenThousandths % 10000;
    return static_cast<double>(units) + static_cast<double>(rest) / 10000.0;
}

NumberFormatWrite threeDecimals(char decimal) {
    if (decimal == '.') {
        return {u"NumberFormat", "0.000"};
    }
    return {u"NumberFormatLocal", std::string("0") + decimal + "000"};
}

std::string cellText(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    std::string out(1, '\''); // Excel's prefix that keeps a text a text
    out.append(text);
    return out;
}

} // namespace kw::com
