#pragma once

#include <cstdint>
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

// The locale-dependent parts of the core: decimal mark, collation and today's date.
struct Locale {
    char decimal = '.';
    const Collation* collation = nullptr; // nullptr: CaselessCollation
    std::string (*today)() = nullptr;     // short date; nullptr: the C library's "%x"
    const Collation& collate() const;
    std::string date() const;
};

} // namespace kw
