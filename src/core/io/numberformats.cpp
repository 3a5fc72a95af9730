#include "core/io/numberformats.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace kw {

Shown shownByCode(std::string_view code) {
    std::string plain;
    bool elapsed = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == ';') {
            break;
        }
        if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            if (close == std::string_view::npos) {
                break;
            }
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            const std::size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos) {
                break;
            }
            const std::string_view inside = code.substr(i + 1, close - i - 1);
            if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos) {
                elapsed = true;
                plain += 'h';
            }
            i = close;
        } else {
            plain += c;
        }
    }
    if (plain.find_first_of("yYdD") != std::string::npos) {
        return Shown::date;
    }
    if (plain.find_first_of("hHsS") != std::string::npos) {
        return elapsed ? Shown::elapsed : Shown::time;
    }
    // LibreOffice keeps booleans as numbers shown through this format.
    std::string upper(code);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
    if (upper == "\"TRUE\";\"TRUE\";\"FALSE\"") {
        return Shown::boolean;
    }
    return Shown::number;
}

Shown shownById(std::size_t id) {
    if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58)) {
        return Shown::date;
    }
    if ((id >= 18 && id <= 21) || id == 45 || id == 47) {
        return Shown::time;
    }
    if (id == 46) {
        return Shown::elapsed;
    }
    return Shown::number;
}

} // namespace kw
