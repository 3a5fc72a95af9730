#pragma once

#include <string_view>

namespace kw {

// How the user's locale orders texts with letter case ignored: the value list of a selection
// and the value rows of the counts. Texts that compare equal count as one value.
class Collation {
public:
    virtual ~Collation() = default;
    virtual int compare(std::string_view a, std::string_view b) const = 0;
};

// Byte order with ASCII letters compared as lower case: the comparison where no locale
// collation is at hand, and the one the batch tool uses so that its output does not depend
// on the machine.
class CaselessCollation final : public Collation {
public:
    int compare(std::string_view a, std::string_view b) const override;
};

// The locale-dependent parts of the core: decimal mark and collation.
struct Locale {
    char decimal = '.';
    const Collation* collation = nullptr; // nullptr: CaselessCollation
    const Collation& collate() const;
};

} // namespace kw
