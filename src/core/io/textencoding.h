#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kw {

// Text of other programs turned into the program's UTF-8, and what it takes to tell its
// encoding. Lines end with LF, CR LF or CR throughout.

// The encoding a byte-order mark at the start of `bytes` stands for ("UTF-8", "UTF-16LE" or
// "UTF-16BE") and the length of the mark; an empty name and 0 without one.
struct ByteOrderMark {
    std::string_view encoding;
    std::size_t length = 0;
};
ByteOrderMark byteOrderMark(std::string_view bytes);

// "UTF-16LE" or "UTF-16BE" for bytes without a mark that look like UTF-16 text of the Latin
// script (every other byte of their start NUL, the others not), otherwise empty.
std::string_view unmarkedUtf16(std::string_view bytes);

// Where the first byte lies that does not belong to a UTF-8 character (overlong forms,
// surrogates and code points past U+10FFFF included), std::string_view::npos when there is
// none. With `cut` the bytes are the start of a longer text: a character cut off at their end
// counts as valid.
std::size_t invalidUtf8(std::string_view bytes, bool cut = false);

// Whether an encoding name means UTF-8 ("UTF-8", "utf8", ...).
bool isUtf8Name(std::string_view encoding);

// The line (from 1) in which byte `offset` of a text lies.
std::size_t lineAt(std::string_view text, std::size_t offset);

// Throws kw::Failure for UTF-8 text with a byte that is not part of a character, naming its
// line: "line 12 of the file cannot be read as UTF-8: byte 0xFC does not form a character".
void checkUtf8(std::string_view text);

// Text in `encoding` (a name iconv knows) as UTF-8. Throws kw::Failure for an encoding iconv
// does not know and for bytes that do not decode, naming the line. With `cut` the bytes are
// the start of a longer text, and the decoding stops quietly, without a failure, where the
// bytes no longer decode; `consumed` then tells how many bytes were decoded.
std::string decodeToUtf8(std::string_view bytes, const std::string& encoding, bool cut = false,
                         std::size_t* consumed = nullptr);

} // namespace kw
