#pragma once

#include <array>

namespace kw::app {

// One page of text with its tab caption. The text is plain UTF-8: paragraphs are separated
// by an empty line ("\n\n"), list items are lines starting with "- " or "1. ".
struct TextPage {
    const char* caption;
    const char* text;
};

// The eleven topic pages of the help window, in order; the index is the page number that the
// help menu and the warnings' "Help" buttons open.
const std::array<TextPage, 11>& helppages();

// The five inner tabs of the "Practice" page, in the order "input", "groups", "ranked",
// "output", "counts"; the page's own text (the five steps of use) is helppages()[1].text.
const std::array<TextPage, 5>& practicetabs();

// The disclaimer: four paragraphs separated by blank lines.
const char* disclaimertext();

// The about box: three lines citing the textbook the procedure follows, and five lines on the
// makers of the program and where to find its documentation.
const std::array<const char*, 3>& aboutreference();
const std::array<const char*, 5>& aboutcontact();

} // namespace kw::app
