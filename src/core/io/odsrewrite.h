#pragma once

#include "core/base/feedback.h"
#include "core/io/starttags.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kw {

// The automatic styles of an .ods sheet, made unknown to orcus: the reader takes nothing from
// them (an .ods date is known by its cell's type), and orcus 0.17, built with its assertions,
// aborts the whole program on some malformed ones (a column's properties in a cell style).
// Every element named automatic-styles, whatever its prefix, is renamed in place.
void hideStyles(std::string& content);

// What orcus 0.17 makes of an .ods sheet falls short in places where it loses data without a
// word: cells of the types boolean, percentage, currency and time are left empty; the cached
// result of a formula is kept only when it is a number (a text result turns the cell into an
// error); a row repeated with its cells (number-rows-repeated) is read once, leaving empty
// rows after it; the cells a merged cell covers are left out, moving the cells after them to
// the left; runs of blanks (text:s) drop out of texts. Before orcus reads content.xml, its
// cells are rewritten into what orcus reads right: the types as floats or as the texts they
// show (TRUE, FALSE, 13:45:30), formulas with other results as their cached values, repeated
// rows spelled out, covered cells as plain cells, text:s as its blanks. The file's
// namespaces are taken to have their usual prefixes (table:, office:, text:), as every
// producer writes them; a file with others is read as orcus reads it. The content is well
// formed (checked before); comments, CDATA sections and processing instructions are copied
// as they are, and a cell or row laid out otherwise than expected is left as it is.
class OdsRewrite {
public:
    // The rewritten content may grow to `limit` bytes.
    OdsRewrite(std::size_t limit, Pacer& pacer) : limit_(limit), pacer_(pacer) {}

    // Whether the content holds anything to rewrite; a quick look, not a parse.
    static bool wanted(std::string_view content);

    // The rewritten content; whether anything changed tells `changed`.
    std::string run(std::string_view in);
    bool changed() const { return changed_; }

private:
    void grow(std::string& out, std::string_view text);
    void walk(std::string_view in, std::string& out, bool top);
    std::size_t row(std::string_view in, const StartTag& tag, std::size_t lt, std::string& out);
    std::size_t cell(std::string_view in, const StartTag& tag, std::size_t lt, std::string& out,
                     bool covered);

    std::size_t limit_;
    Pacer& pacer_;
    bool changed_ = false;
};

} // namespace kw
