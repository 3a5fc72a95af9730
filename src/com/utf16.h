#pragma once

// Texts between the program (UTF-8) and Windows (UTF-16: wide texts, BSTR).

#include <optional>
#include <string>
#include <string_view>

namespace kw::com {

// UTF-16 as UTF-8. An unpaired surrogate becomes U+FFFD.
std::string utf8From(std::u16string_view text);

// UTF-8 as UTF-16; nothing when the text is not well-formed UTF-8 (overlong forms, encoded
// surrogates and code points past U+10FFFF included), so that the caller can read it in the
// system's code page instead.
std::optional<std::u16string> utf16From(std::string_view text);

} // namespace kw::com
