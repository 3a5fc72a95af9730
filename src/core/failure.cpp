#include "failure.h"

namespace kw {

Failure::Failure(Kind kind, std::string caption, std::string message, int helppage)
    : std::runtime_error(message), kind_(kind), caption_(std::move(caption)),
      message_(std::move(message)), helppage_(helppage) {}

Failure Failure::warning(std::string message, int helppage) {
    return Failure(Kind::Notice, "WARNING", std::move(message), helppage);
}

Failure Failure::error(std::string message, int helppage) {
    return Failure(Kind::Notice, "ERROR", std::move(message), helppage);
}

Failure Failure::plain(std::string message) {
    return Failure(Kind::Message, "", std::move(message), -1);
}

std::string quotedvalue(std::string_view text) {
    constexpr std::size_t longest = 200;
    constexpr std::size_t shown = 60;
    std::string out(1, '\'');
    if (text.size() <= longest) {
        out.append(text);
    } else {
        std::size_t cut = shown;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut; // not inside a UTF-8 character
        }
        out.append(text.substr(0, cut))
            .append("...' (")
            .append(std::to_string(text.size()))
            .append(" characters)");
        return out;
    }
    out.push_back('\'');
    return out;
}

Failure notrealfailure(std::string_view text) {
    return Failure::plain(quotedvalue(text) + " is not a valid floating point value");
}

Failure notintegerfailure(std::string_view text) {
    return Failure::plain(quotedvalue(text) + " is not a valid integer value");
}

} // namespace kw
