#include "core/base/failure.h"

#include <filesystem>
#include <ios>
#include <new>

namespace kw {

Failure::Failure(Reason reason, std::string caption, std::string message, int helpPage)
    : std::runtime_error(message), reason_(reason), caption_(std::move(caption)),
      message_(std::move(message)), helpPage_(helpPage) {}

Failure::Failure(Reason reason, std::string message)
    : Failure(reason, std::string(), std::move(message), -1) {}

Failure Failure::warning(std::string message, int helpPage) {
    return Failure(Reason::refusal, "WARNING", std::move(message), helpPage);
}

Failure Failure::error(std::string message, int helpPage) {
    return Failure(Reason::refusal, "ERROR", std::move(message), helpPage);
}

Failure caughtFailure() {
    try {
        throw;
    } catch (const Failure& failure) {
        return failure;
    } catch (const std::bad_alloc&) {
        return Failure(Failure::Reason::outOfMemory, "not enough memory for this data");
    } catch (const std::filesystem::filesystem_error& e) {
        return Failure(Failure::Reason::fileAccess, e.what());
    } catch (const std::ios_base::failure& e) {
        return Failure(Failure::Reason::fileAccess, e.what());
    } catch (const std::exception& e) {
        return Failure(Failure::Reason::unexpected, e.what());
    } catch (...) {
        return Failure(Failure::Reason::unexpected, "an unexpected failure");
    }
}

std::string quotedValue(std::string_view text) {
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

Failure notANumber(std::string_view text) {
    return Failure(Failure::Reason::notANumber,
                   quotedValue(text) + " is not a valid floating point value");
}

Failure notAWholeNumber(std::string_view text) {
    return Failure(Failure::Reason::notAWholeNumber,
                   quotedValue(text) + " is not a valid integer value");
}

} // namespace kw
