#include "core/io/textencoding.h"

#include "core/base/failure.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>

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
        const std::size_t line = lineAt(std::string_view(out.data(), used), used);
        if (err == EINVAL) {
            undecodable(line, encoding, "the file ends inside a character");
        }
        // The unit that failed: two or four bytes in UTF-16 and UTF-32, one byte otherwise.
        std::string upper;
        for (char c : encoding) {
            upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
        const std::size_t unit =
            std::min<std::size_t>(inLeft, upper.find("32") != std::string::npos   ? 4
                                          : upper.find("16") != std::string::npos ? 2
                                                                                  : 1);
        std::string shown;
        for (std::size_t k = 0; k < unit; ++k) {
            if (k > 0) {
                shown += ' ';
            }
            shown += hexByte(static_cast<unsigned char>(in[k]));
        }
        std::string why = unit == 1 ? "byte " : "the bytes ";
        why += shown;
        why += unit == 1 ? " does not form a character" : " do not form a character";
        undecodable(line, encoding, why);
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

} // namespace kw
