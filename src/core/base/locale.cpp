#include "core/base/locale.h"

#include <ctime>

namespace kw {

int CaselessCollation::compare(std::string_view a, std::string_view b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<unsigned char>(x + 32);
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<unsigned char>(y + 32);
        }
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::uint64_t CaselessCollation::sortPrefix(std::string_view text) const {
    // The first 8 bytes as compare sees them, most significant first; a shorter text is
    // padded with zero bytes, which keeps it before its longer continuations.
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        auto c = i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
        if (c >= 'A' && c <= 'Z') {
            c += 32;
        }
        key = (key << 8) | c;
    }
    return key;
}

std::string Locale::date() const {
    if (today != nullptr) {
        return today();
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, "%x", &local);
    return std::string(buf, n);
}

const Collation& Locale::collate() const {
    static const CaselessCollation caseless;
    return collation != nullptr ? *collation : caseless;
}

} // namespace kw
