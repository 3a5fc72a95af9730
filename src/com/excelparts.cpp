#include "excelparts.h"

#include "collation.h"

#include <array>
#include <cstdio>

namespace kw::com {

namespace {

void appendutf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

struct ErrorValue {
    std::uint32_t number;
    const char* shown;
};

// Excel's error values (XlCVError) and how a cell shows them.
constexpr std::array<ErrorValue, 14> errorvalues{{
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

bool ispersonal(std::string_view name) {
    return asciisame(name, "personal.xls") || asciisame(name, "personal.xlsb");
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

std::string utf8from(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            const char32_t c = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                               (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            appendutf8(out, c);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendutf8(out, 0xFFFD);
        } else {
            appendutf8(out, u);
        }
    }
    return out;
}

std::optional<std::u16string> utf16from(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t c = 0;
        std::size_t more = 0;
        char32_t least = 0;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            c = b & 0x1F;
            more = 1;
            least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            c = b & 0x0F;
            more = 2;
            least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            c = b & 0x07;
            more = 3;
            least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (more >= text.size() - i) { // the sequence is cut off at the end
            return std::nullopt;
        }
        for (std::size_t k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return std::nullopt;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += more + 1;
    }
    return out;
}

std::string errortext(std::uint32_t scode) {
    const std::uint32_t number = scode - excelerrorbase;
    for (const ErrorValue& e : errorvalues) {
        if (scode >= excelerrorbase && e.number == number) {
            return e.shown;
        }
    }
    if (scode >= excelerrorbase && scode < excelerrorbase + 0x10000u) {
        return "#ERROR " + std::to_string(number);
    }
    return "#ERROR " + hexcode(scode);
}

std::optional<std::uint32_t> errorcode(std::string_view shown) {
    for (const ErrorValue& e : errorvalues) {
        if (asciisame(shown, e.shown)) {
            return excelerrorbase + e.number;
        }
    }
    return std::nullopt;
}

double serialfromdate(double oledate) {
    if (oledate >= 2 && oledate < 61) {
        return oledate - 1;
    }
    return oledate;
}

double currencyvalue(std::int64_t tenthousandths) {
    // Whole units and the rest apart, so that amounts beyond 2^53 ten-thousandths keep their
    // units exactly as far as a double can.
    const std::int64_t units = tenthousandths / 10000;
    const std::int64_t rest = tenthousandths % 10000;
    return static_cast<double>(units) + static_cast<double>(rest) / 10000.0;
}

bool asciisame(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CaselessCollation().compare(a, b) == 0;
}

std::optional<std::size_t> findname(const std::vector<std::string>& names, std::string_view name,
                                    const SameName& same) {
    // The exact name first: two names that differ only in letter case cannot both be open in
    // Excel, but the caller's comparison may be looser than Excel's.
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return i;
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (same(names[i], name)) {
            return i;
        }
    }
    return std::nullopt;
}

SpreadsheetLink::Listing booklisting(std::vector<std::string> names,
                                     const std::optional<std::string>& active,
                                     const SameName& same) {
    SpreadsheetLink::Listing out = sheetlisting(std::move(names), active, same);
    for (std::size_t i = 0; i < out.names.size(); ++i) {
        if (ispersonal(out.names[i])) {
            out.names.erase(out.names.begin() + static_cast<std::ptrdiff_t>(i));
            const int removed = static_cast<int>(i);
            if (out.active == removed) {
                out.active = -1;
            } else if (out.active > removed) {
                --out.active;
            }
            break;
        }
    }
    return out;
}

SpreadsheetLink::Listing sheetlisting(std::vector<std::string> names,
                                      const std::optional<std::string>& active,
                                      const SameName& same) {
    SpreadsheetLink::Listing out;
    out.names = std::move(names);
    if (active) {
        if (const auto at = findname(out.names, *active, same)) {
            out.active = static_cast<int>(*at);
        }
    }
    return out;
}

std::optional<std::string> sheetnameproblem(std::string_view name) {
    std::string quoted(1, '\''); // appended, not "'" + ...: GCC 12 warns wrongly on that
    quoted.append(name).push_back('\'');
    if (name.empty()) {
        return std::string("a sheet name cannot be empty");
    }
    const auto wide = utf16from(name);
    const std::size_t length = wide ? wide->size() : name.size();
    if (length > 31) {
        return "the sheet name " + quoted + " is longer than the 31 characters Excel allows";
    }
    const auto bad = name.find_first_of(":\\/?*[]");
    if (bad != std::string_view::npos) {
        return "the sheet name " + quoted + " holds the character " + name[bad] +
               ", which Excel does not allow in sheet names (: \\ / ? * [ ])";
    }
    if (name.front() == '\'' || name.back() == '\'') {
        return "the sheet name " + quoted +
               " begins or ends with an apostrophe, which Excel "
               "does not allow";
    }
    if (asciisame(name, "History")) {
        return std::string("Excel keeps the sheet name 'History' for itself");
    }
    return std::nullopt;
}

NumberFormatWrite threedecimals(char decimal) {
    if (decimal == '.') {
        return {u"NumberFormat", "0.000"};
    }
    return {u"NumberFormatLocal", std::string("0") + decimal + "000"};
}

std::string celltext(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    std::string out(1, '\''); // Excel's prefix that keeps a text a text
    out.append(text);
    return out;
}

std::string attachmessage(std::string_view progid, std::string_view classid) {
    return "Unable to retrieve a pointer to a running object registered with OLE for " +
           std::string(progid) + "/" + std::string(classid);
}

std::string callmessage(std::string_view member, std::string_view description,
                        std::string_view systemtext, std::uint32_t hresult) {
    std::string text(trimmed(description));
    if (text.empty()) {
        text = std::string(trimmed(systemtext));
    }
    if (text.empty()) {
        text = "error " + hexcode(hresult);
    }
    std::string out = "Excel could not do " + std::string(member) + ": " + text;
    if (isbusy(hresult)) {
        out += " (Excel is busy: finish editing the cell or close the open dialog in Excel, "
               "then try again)";
    } else if (isdisconnection(hresult)) {
        out += " (the Excel the program was connected to has closed or stopped answering; "
               "the next attempt connects to the running Excel afresh)";
    }
    return out;
}

bool isdisconnection(std::uint32_t hresult) {
    switch (hresult) {
    case 0x800706BAu: // RPC_S_SERVER_UNAVAILABLE
    case 0x800706BEu: // RPC_S_CALL_FAILED
    case 0x800706BFu: // RPC_S_CALL_FAILED_DNE
    case 0x80010006u: // RPC_E_CONNECTION_TERMINATED
    case 0x80010007u: // RPC_E_SERVER_DIED
    case 0x80010012u: // RPC_E_SERVER_DIED_DNE
    case 0x80010108u: // RPC_E_DISCONNECTED
    case 0x800401FDu: // CO_E_OBJNOTCONNECTED
        return true;
    default:
        return false;
    }
}

bool isbusy(std::uint32_t hresult) {
    switch (hresult) {
    case 0x80010001u: // RPC_E_CALL_REJECTED
    case 0x8001010Au: // RPC_E_SERVERCALL_RETRYLATER
    case 0x800AC472u: // VBA_E_IGNORE: Excel refuses automation while it is in a modal state
        return true;
    default:
        return false;
    }
}

std::string hexcode(std::uint32_t hresult) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hresult));
    return buf;
}

} // namespace kw::com
