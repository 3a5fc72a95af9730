#include "core/io/textencoding.h"

#include "core/base/failure.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#if defined(_WIN32)
#include "core/io/textencoding.codepages.h"
#else
#include <iconv.h>
#endif

namespace kw {

ByteOrderMark byteOrderMark(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        return {"UTF-8", 3};
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        return {"UTF-16LE", 2};
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        return {"UTF-16BE", 2};
    }
    return {};
}

std::string_view unmarkedUtf16(std::string_view bytes) {
    const std::size_t n = std::min<std::size_t>(bytes.size(), 256) & ~std::size_t{1};
    if (n < 4) {
        return {};
    }
    // The NUL half of each unit: odd bytes for little-endian, even ones for big-endian.
    for (std::size_t zero : {1, 0}) {
        bool fits = true;
        for (std::size_t i = 0; i < n && fits; i += 2) {
            fits = bytes[i + zero] == '\0' && bytes[i + 1 - zero] != '\0';
        }
        if (fits) {
            return zero == 1 ? "UTF-16LE" : "UTF-16BE";
        }
    }
    return {};
}

namespace {

// The length of the UTF-8 character at bytes[i] (1 to 4), 0 when it is not one, and -1
// when it is the valid start of one that the end of the bytes cuts off.
int characterLength(std::string_view bytes, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char c = byte(i);
    int length = 0;
    unsigned char low = 0x80; // the range of the second byte
    unsigned char high = 0xBF;
    if (c < 0x80) {
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = c == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (i + static_cast<std::size_t>(k) >= bytes.size()) {
            return -1;
        }
        const unsigned char b = byte(i + static_cast<std::size_t>(k));
        if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::size_t invalidUtf8(std::string_view bytes, bool cut) {
    const std::size_t n = bytes.size();
    const char* data = bytes.data();
    std::size_t i = 0;
    while (i < n) {
        // Most text is ASCII: eight bytes at a time while no byte has its high bit set.
        while (i + 8 <= n) {
            std::uint64_t word = 0;
            std::memcpy(&word, data + i, 8);
            if ((word & 0x8080808080808080ull) != 0) {
                break;
            }
            i += 8;
        }
        if (i >= n) {
            break;
        }
        const int length = characterLength(bytes, i);
        if (length == 0 || (length < 0 && !cut)) {
            return i;
        }
        if (length < 0) {
            break;
        }
        i += static_cast<std::size_t>(length);
    }
    return std::string_view::npos;
}

bool isUtf8Name(std::string_view encoding) {
    std::string letters;
    for (char c : encoding) {
        if (c != '-' && c != '_') {
            letters.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
    }
    return letters == "UTF8";
}

std::size_t lineAt(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    const char* data = text.data();
    const std::size_t end = std::min(offset, text.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (data[i] == '\n' || (data[i] == '\r' && (i + 1 >= text.size() || data[i + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

namespace {

std::string hexByte(unsigned char c) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return {'0', 'x', digits[c >> 4], digits[c & 15]};
}

[[noreturn]] void undecodable(std::size_t line, std::string_view encoding, std::string_view why) {
    throw Failure(Failure::Reason::badData, "line " + std::to_string(line) +
                                                " of the file cannot be read as " +
                                                std::string(encoding) + ": " + std::string(why));
}

// The failure of a decoding that stopped at the start of `rest`, after decoding the text
// `decoded`: the file ends inside a character (`cutOff`), or the unit there does not form one.
[[noreturn]] void undecodableAt(std::string_view decoded, std::string_view rest,
                                const std::string& encoding, bool cutOff) {
    const std::size_t line = lineAt(decoded, decoded.size());
    if (cutOff) {
        undecodable(line, encoding, "the file ends inside a character");
    }
    // The unit that failed: two or four bytes in UTF-16 and UTF-32, one byte otherwise.
    std::string upper;
    for (char c : encoding) {
        upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    const std::size_t unit =
        std::min<std::size_t>(rest.size(), upper.find("32") != std::string::npos   ? 4
                                           : upper.find("16") != std::string::npos ? 2
                                                                                   : 1);
    std::string shown;
    for (std::size_t k = 0; k < unit; ++k) {
        if (k > 0) {
            shown += ' ';
        }
        shown += hexByte(static_cast<unsigned char>(rest[k]));
    }
    std::string why = unit == 1 ? "byte " : "the bytes ";
    why += shown;
    why += unit == 1 ? " does not form a character" : " do not form a character";
    undecodable(line, encoding, why);
}

} // namespace

void checkUtf8(std::string_view text) {
    const std::size_t at = invalidUtf8(text);
    if (at == std::string_view::npos) {
        return;
    }
    if (characterLength(text, at) < 0) {
        undecodable(lineAt(text, at), "UTF-8", "the file ends inside a character");
    }
    undecodable(lineAt(text, at), "UTF-8",
                "byte " + hexByte(static_cast<unsigned char>(text[at])) +
                    " does not form a character");
}

#if defined(_WIN32)

namespace {

// Windows has no iconv: the text is decoded here, under the names that iconv of Linux knows
// each encoding by and as it decodes it, so that a file reads the same on either system. The
// forms whose byte order a mark may give read as little-endian without one (the order of x86),
// and a byte that stands for no character is refused. The single-byte encodings come as iconv
// maps them (textencoding.codepages.h): Windows' own code pages differ from them in places.
// iconv's multi-byte encodings of East Asia and those that compose characters (CP1255, CP1258)
// are not read here.
enum class Form { utf8, utf16, ucs2, utf32, singleByte };

struct Encoding {
    Form form = Form::singleByte;
    bool bigEndian = false;
    bool markDecides = false; // a byte-order mark at the start gives the order and is dropped
    const codepages::SingleByteEncoding* bytes = nullptr;
};

struct UnicodeForm {
    const char* names; // separated by spaces, in upper case
    Encoding encoding;
};

const UnicodeForm unicodeForms[] = {
    {"UTF-8 UTF8", {Form::utf8}},
    {"UTF-16 UTF16", {Form::utf16, false, true}},
    {"UTF-16LE UTF16LE", {Form::utf16}},
    {"UTF-16BE UTF16BE", {Form::utf16, true}},
    {"UCS-2 UCS2 UCS-2LE UNICODELITTLE", {Form::ucs2}},
    {"UCS-2BE UNICODEBIG", {Form::ucs2, true}},
    {"UTF-32 UTF32", {Form::utf32, false, true}},
    {"UTF-32LE", {Form::utf32}},
    {"UTF-32BE", {Form::utf32, true}},
};

bool namedIn(std::string_view names, std::string_view name) {
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find(' ', at), names.size());
        if (names.substr(at, end - at) == name) {
            return true;
        }
        at = end + 1;
    }
    return false;
}

std::optional<Encoding> encodingNamed(const std::string& name) {
    std::string upper;
    for (char c : name) {
        upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    for (const UnicodeForm& form : unicodeForms) {
        if (namedIn(form.names, upper)) {
            return form.encoding;
        }
    }
    for (const codepages::SingleByteEncoding& bytes : codepages::singleByteEncodings) {
        if (namedIn(bytes.names, upper)) {
            return Encoding{Form::singleByte, false, false, &bytes};
        }
    }
    return std::nullopt;
}

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Where and why a decoding stopped before the end.
struct Stop {
    enum Kind { none, illegal, cutOff } kind = none;
    std::size_t at = 0;
};

std::uint32_t unitAt(std::string_view bytes, std::size_t at, int size, bool bigEndian) {
    std::uint32_t unit = 0;
    for (int k = 0; k < size; ++k) {
        const std::size_t byte = at + std::size_t(bigEndian ? k : size - 1 - k);
        unit = (unit << 8) | static_cast<unsigned char>(bytes[byte]);
    }
    return unit;
}

Stop decodeUtf16(std::string_view bytes, std::size_t at, bool bigEndian, bool pairs,
                 std::string& out) {
    const std::size_t n = bytes.size();
    while (at + 2 <= n) {
        std::uint32_t c = unitAt(bytes, at, 2, bigEndian);
        std::size_t length = 2;
        if (c >= 0xD800 && c <= 0xDFFF) {
            // A surrogate pair in UTF-16; in UCS-2 no character at all.
            if (!pairs || c >= 0xDC00) {
                return {Stop::illegal, at};
            }
            if (at + 4 > n) {
                return {Stop::cutOff, at};
            }
            const std::uint32_t low = unitAt(bytes, at + 2, 2, bigEndian);
            if (low < 0xDC00 || low > 0xDFFF) {
                return {Stop::illegal, at};
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            length = 4;
        }
        appendUtf8(out, c);
        at += length;
    }
    return at < n ? Stop{Stop::cutOff, at} : Stop{};
}

Stop decodeUtf32(std::string_view bytes, std::size_t at, bool bigEndian, std::string& out) {
    const std::size_t n = bytes.size();
    for (; at + 4 <= n; at += 4) {
        const std::uint32_t c = unitAt(bytes, at, 4, bigEndian);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return {Stop::illegal, at};
        }
        appendUtf8(out, c);
    }
    return at < n ? Stop{Stop::cutOff, at} : Stop{};
}

Stop decodeSingleBytes(std::string_view bytes, const codepages::SingleByteEncoding& encoding,
                       std::string& out) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            continue;
        }
        const std::uint16_t c = encoding.upper[byte - 0x80];
        if (c == 0) {
            return {Stop::illegal, at};
        }
        appendUtf8(out, c);
    }
    return {};
}

Stop decode(std::string_view bytes, const Encoding& encoding, std::string& out) {
    std::size_t at = 0;
    bool bigEndian = encoding.bigEndian;
    switch (encoding.form) {
    case Form::utf8: {
        const std::size_t bad = invalidUtf8(bytes);
        const std::size_t end = bad == std::string_view::npos ? bytes.size() : bad;
        out.append(bytes.substr(0, end));
        if (bad == std::string_view::npos) {
            return {};
        }
        return {characterLength(bytes, bad) < 0 ? Stop::cutOff : Stop::illegal, bad};
    }
    case Form::utf16:
    case Form::ucs2:
        if (encoding.markDecides && bytes.size() >= 2) {
            const std::uint32_t mark = unitAt(bytes, 0, 2, true);
            if (mark == 0xFEFF || mark == 0xFFFE) {
                bigEndian = mark == 0xFEFF;
                at = 2;
            }
        }
        return decodeUtf16(bytes, at, bigEndian, encoding.form == Form::utf16, out);
    case Form::utf32:
        if (encoding.markDecides && bytes.size() >= 4) {
            const std::uint32_t mark = unitAt(bytes, 0, 4, true);
            if (mark == 0x0000FEFF || mark == 0xFFFE0000) {
                bigEndian = mark == 0x0000FEFF;
                at = 4;
            }
        }
        return decodeUtf32(bytes, at, bigEndian, out);
    case Form::singleByte:
        break;
    }
    return decodeSingleBytes(bytes, *encoding.bytes, out);
}

} // namespace

std::string decodeToUtf8(std::string_view bytes, const std::string& encoding, bool cut,
                         std::size_t* consumed) {
    const std::optional<Encoding> known = encodingNamed(encoding);
    if (!known) {
        throw Failure(Failure::Reason::badData,
                      "the encoding " + quotedValue(encoding) + " is not known to the program");
    }
    std::string out;
    out.reserve(bytes.size() + 16);
    const Stop stop = decode(bytes, *known, out);
    if (stop.kind != Stop::none && !cut) {
        undecodableAt(out, bytes.substr(stop.at), encoding, stop.kind == Stop::cutOff);
    }
    if (consumed != nullptr) {
        *consumed = stop.kind == Stop::none ? bytes.size() : stop.at;
    }
    return out;
}

#else

std::string decodeToUtf8(std::string_view bytes, const std::string& encoding, bool cut,
                         std::size_t* consumed) {
    iconv_t cd = iconv_open("UTF-8", encoding.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw Failure(Failure::Reason::badData,
                      "the encoding " + quotedValue(encoding) + " is not known to the program");
    }
    std::unique_ptr<void, int (*)(iconv_t)> closer(cd, &iconv_close);
    // Mostly ASCII text takes at most as many bytes in UTF-8; more is made room for on demand.
    std::string out(bytes.size() + 16, '\0');
    char* in = const_cast<char*>(bytes.data()); // iconv does not write through it
    std::size_t inLeft = bytes.size();
    std::size_t used = 0;
    for (bool inputDone = false;;) {
        char* o = out.data() + used;
        std::size_t outLeft = out.size() - used;
        // The last call, without input, ends a shift state of stateful encodings.
        const std::size_t r = !inputDone ? iconv(cd, &in, &inLeft, &o, &outLeft)
                                         : iconv(cd, nullptr, nullptr, &o, &outLeft);
        const int err = errno;
        used = static_cast<std::size_t>(o - out.data());
        if (r != static_cast<std::size_t>(-1)) {
            if (inputDone) {
                break;
            }
            inputDone = inLeft == 0;
            continue;
        }
        if (err == E2BIG) {
            out.resize(out.size() + out.size() / 2 + 64);
            continue;
        }
        if (cut) {
            break;
        }
        undecodableAt(std::string_view(out.data(), used), std::string_view(in, inLeft), encoding,
                      err == EINVAL);
    }
    if (consumed != nullptr) {
        *consumed = bytes.size() - inLeft;
    }
    out.resize(used);
    if (out.capacity() > used + used / 4 + 4096) {
        out.shrink_to_fit();
    }
    return out;
}

#endif

} // namespace kw
