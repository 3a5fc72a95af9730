#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kw {

// The start tags of XML the reader rewrites before orcus reads it, found by a quick scan of
// text that expat has found well formed: no parse of the document.

// A start tag: its name, attributes (values as written) and where it ends.
struct StartTag {
    std::string_view name;
    std::vector<std::pair<std::string_view, std::string_view>> attributes;
    std::size_t end = 0; // just past '>'
    bool selfClosing = false;

    // The value of an attribute; empty when there is none.
    std::string_view get(std::string_view key) const;
    bool has(std::string_view key) const;
};

bool xmlSpace(char c);

// The start tag at s[lt] == '<'; nothing for one that does not end or is not well formed.
std::optional<StartTag> startTag(std::string_view s, std::size_t lt);

// Whether s[lt] == '<' starts a tag of this name.
bool startsTag(std::string_view s, std::size_t lt, std::string_view name);

// The end tag of this name at or after `from` (</name>, blanks allowed before '>'): where it
// starts and where it ends; nothing when there is none.
std::optional<std::pair<std::size_t, std::size_t>> endTag(std::string_view s, std::size_t from,
                                                          std::string_view name);

// An attribute as it is written back: ` key="value"`, or in apostrophes for a value holding
// quotation marks (as it was written then).
std::string attributeText(std::string_view key, std::string_view value);

// Where a comment, CDATA section, processing instruction or declaration starting at
// s[lt] == '<' ends (just past it); nothing for anything else, or one that does not end. The
// rewriting copies them as they are.
std::optional<std::size_t> markupEnd(std::string_view s, std::size_t lt);

} // namespace kw
