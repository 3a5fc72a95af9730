#pragma once

#include "core/base/feedback.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kw {

// Orcus 0.17 leaves out the cells an .xlsx holds as inline strings (t="inlineStr", written
// by streaming writers), without a word. Such cells are turned into shared strings before
// orcus reads the file: each inline text (the content of its <is>, which has the form of a
// shared string's <si>) is added to xl/sharedStrings.xml, made when there is none, and the
// cell refers to it. Files whose parts use namespace prefixes for the sheet elements, or
// whose sheets hold comments or CDATA sections, are read as orcus reads them.
class InlineStrings {
public:
    // Whether a sheet's XML holds inline strings.
    static bool in(std::string_view sheet);

    // The same for a sheet that arrives in pieces.
    class Search {
    public:
        void feed(std::string_view piece);
        bool found() const { return found_; }
        // What another search over the rest of the sheet found.
        void include(const Search& other) { found_ = found_ || other.found_; }

    private:
        std::string tail_; // the end of the pieces so far, for a mark split between two
        bool found_ = false;
    };

    using Parts = std::vector<std::pair<std::string, std::string>>;

    // The parts of the archive (name, bytes) with the inline strings of the sheets shared;
    // nothing when the file is not laid out as expected. `changed` gets the names of the parts
    // rewritten or added.
    static std::optional<Parts> rewrite(Parts parts, std::vector<std::string>& changed,
                                        Pacer& pacer);

private:
    static std::size_t count(std::string_view s, std::string_view what);
    static bool share(std::string& sheet, std::string& added, std::size_t& next);
};

} // namespace kw
