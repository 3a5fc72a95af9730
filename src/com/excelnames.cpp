#include "com/excelnames.h"

#include "com/utf16.h"
#include "core/base/locale.h"

namespace kw::com {

namespace {

bool isPersonal(std::string_view name) {
    return asciiSame(name, "personal.xls") || asciiSame(name, "personal.xlsb");
}

} // namespace

bool asciiSame(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CaselessCollation().compare(a, b) == 0;
}

std::optional<std::size_t> findName(const std::vector<std::string>& names, std::string_view name,
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

SpreadsheetLink::Listing bookListing(std::vector<std::string> names,
                                     const std::optional<std::string>& active,
                                     const SameName& same) {
    SpreadsheetLink::Listing out = sheetListing(std::move(names), active, same);
    for (std::size_t i = 0; i < out.names.size(); ++i) {
        if (isPersonal(out.names[i])) {
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

SpreadsheetLink::Listing sheetListing(std::vector<std::string> names,
                                      const std::optional<std::string>& active,
                                      const SameName& same) {
    SpreadsheetLink::Listing out;
    out.names = std::move(names);
    if (active) {
        if (const auto at = findName(out.names, *active, same)) {
            out.active = static_cast<int>(*at);
        }
    }
    return out;
}

std::optional<std::string> sheetNameProblem(std::string_view name) {
    std::string quoted(1, '\''); // appended, not "'" + ...: GCC 12 warns wrongly on that
    quoted.append(name).push_back('\'');
    if (name.empty()) {
        return std::string("a sheet name cannot be empty");
    }
    const auto wide = utf16From(name);
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
    if (asciiSame(name, "History")) {
        return std::string("Excel keeps the sheet name 'History' for itself");
    }
    return std::nullopt;
}

} // namespace kw::com
