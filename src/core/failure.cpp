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

Failure notrealfailure(std::string_view text) {
    return Failure::plain("'" + std::string(text) + "' is not a valid floating point value");
}

Failure notintegerfailure(std::string_view text) {
    return Failure::plain("'" + std::string(text) + "' is not a valid integer value");
}

} // namespace kw
