#include "core/base/locale.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

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

std::optional<ByteRanks> byteRanks(const Collation& collation, std::string_view alphabet) {
    std::string bytes(alphabet);
    std::sort(bytes.begin(), bytes.end());
    bytes.erase(std::unique(bytes.begin(), bytes.end()), bytes.end());
    if (bytes.empty() || bytes.size() > 64 || std::any_of(bytes.begin(), bytes.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80 || c == '\0';
        })) {
        return std::nullopt;
    }
    // The single bytes in the collation's order; bytes it finds equal share a rank.
    std::stable_sort(bytes.begin(), bytes.end(), [&](char x, char y) {
        return collation.compare(std::string(1, x), std::string(1, y)) < 0;
    });
    ByteRanks ranks{};
    std::uint8_t rank = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 0 ||
            collation.compare(std::string(1, bytes[i - 1]), std::string(1, bytes[i])) != 0) {
            ++rank;
        }
        ranks[static_cast<unsigned char>(bytes[i])] = rank;
    }
    // Texts whose rank sequences differ must compare as those do (a shorter text before its
    // continuations). A fixed generator: the same answer on every run.
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    auto randomText = [&] {
        std::string t(next() % 7, ' ');
        for (char& c : t) {
            c = bytes[next() % bytes.size()];
        }
        return t;
    };
    for (int probe = 0; probe < 4000; ++probe) {
        std::string x = randomText();
        std::string y = probe % 4 == 0 ? x + randomText() : randomText();
        if (probe % 8 == 1 && !x.empty()) {
            y = x; // equal but for one byte
            y[next() % y.size()] = bytes[next() % bytes.size()];
        }
        int byRank = 0;
        for (std::size_t i = 0; i < std::min(x.size(), y.size()) && byRank == 0; ++i) {
            const int rx = ranks[static_cast<unsigned char>(x[i])];
            const int ry = ranks[static_cast<unsigned char>(y[i])];
            byRank = rx < ry ? -1 : (rx > ry ? 1 : 0);
        }
        if (byRank == 0 && x.size() != y.size()) {
            byRank = x.size() < y.size() ? -1 : 1;
        }
        const int c = collation.compare(x, y);
        if (byRank != 0 && (c < 0 ? -1 : (c > 0 ? 1 : 0)) != byRank) {
            return std::nullopt;
        }
    }
    return ranks;
}

std::uint64_t rankedPrefix(const ByteRanks& ranks, std::string_view text, std::size_t from) {
    std::uint64_t key = 0;
    for (std::size_t i = from; i < from + 8; ++i) {
        key = (key << 8) | (i < text.size() ? ranks[static_cast<unsigned char>(text[i])] : 0u);
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
