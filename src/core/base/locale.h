#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

// How the user's locale orders texts with letter case ignored: the value list of a selection
// and the value rows of the counts. Texts that compare equal count as one value.
class Collation {
public:
    virtual ~Collation() = default;
    virtual int compare(std::string_view a, std::string_view b) const = 0;

    // A number that orders texts as compare does where it differs: prefix(a) < prefix(b)
    // means compare(a, b) < 0. Sorting by it first spares most full comparisons; 0 for all
    // texts is always right.
    virtual std::uint64_t sortPrefix(std::string_view) const { return 0; }

    // Whether compare orders texts byte by byte, each byte on its own, as sortPrefix sees
    // them: then the prefixes of the texts from byte 8 on decide where the first 8 bytes tie.
    virtual bool prefixesChain() const { return false; }
};

// Byte order with ASCII letters compared as lower case: the comparison where no locale
// collation is at hand, and the one the batch tool uses so that its output does not depend
// on the machine.
class CaselessCollation final : public Collation {
public:
    int compare(std::string_view a, std::string_view b) const override;
    std::uint64_t sortPrefix(std::string_view text) const override;
    bool prefixesChain() const override { return true; }
};

// For a collation that gives no prefixes of its own: where it orders texts made of the given
// ASCII bytes as sequences of those bytes, each byte by a rank of its own (digits, signs and
// decimal marks in every usual locale), the ranks, from 1; otherwise nothing. Found by
// comparing the single bytes, then checked on a few thousand short texts of them.
using ByteRanks = std::array<std::uint8_t, 256>;
std::optional<ByteRanks> byteRanks(const Collation& collation, std::string_view alphabet);

// The ranks of text's bytes from `from` on, 8 of them, most significant first and padded with
// zeros: a prefix as Collation::sortPrefix gives one, also for the bytes after the first 8.
std::uint64_t rankedPrefix(const ByteRanks& ranks, std::string_view text, std::size_t from);

// The locale-dependent parts of the core: decimal mark, collation and today's date.
struct Locale {
    char decimal = '.';
    const Collation* collation = nullptr; // nullptr: CaselessCollation
    std::string (*today)() = nullptr;     // short date; nullptr: the C library's "%x"
    const Collation& collate() const;
    std::string date() const;
};

} // namespace kw
