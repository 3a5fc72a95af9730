// Text decoded without iconv, as the Windows build does: every byte of each single-byte
// encoding reads as the iconv of Linux reads it (encodings_reference.txt, which
// scripts/windows/make-code-pages wrote), under each of the encoding's names. The Unicode forms are
// compared with the Linux kwtest's reading of the same files in kwtest_windows_test.sh.

#include "core/base/failure.h"
#include "core/io/textencoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ByteTable {
    std::string name;
    std::vector<std::string> utf8; // hex for each byte, "-" where iconv refuses it
    std::vector<std::string> otherNames;
};

const std::vector<ByteTable>& tables() {
    static const std::vector<ByteTable> read = [] {
        std::vector<ByteTable> t;
        std::ifstream in(KW_ENCODINGS_REFERENCE);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string kind;
            std::string name;
            fields >> kind >> name;
            std::vector<std::string> rest;
            for (std::string word; fields >> word;) {
                rest.push_back(word);
            }
            if (kind == "bytes") {
                t.push_back({name, rest, {}});
            } else if (kind == "names" && !t.empty() && t.back().name == name) {
                t.back().otherNames = rest;
            }
        }
        return t;
    }();
    return read;
}

std::string hex(const std::string& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string failureOf(const std::string& bytes, const std::string& encoding) {
    try {
        kw::decodeToUtf8(bytes, encoding);
    } catch (const kw::Failure& f) {
        return f.message();
    }
    return "no failure";
}

// The hex of the UTF-8 a text decodes to, or "-" when it is refused with the message of a byte
// that forms no character.
std::string decodedOrRefused(const std::string& bytes, const std::string& encoding) {
    try {
        return hex(kw::decodeToUtf8(bytes, encoding));
    } catch (const kw::Failure& f) {
        std::string digits = hex(bytes).substr(0, 2);
        for (char& c : digits) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        const std::string refusal = "line 1 of the file cannot be read as " + encoding +
                                    ": byte 0x" + digits + " does not form a character";
        return f.message() == refusal ? "-" : f.message();
    }
}

TEST(TextEncoding, EveryByteOfTheSingleByteEncodingsAsIconv) {
    ASSERT_EQ(tables().size(), 30u);
    for (const ByteTable& t : tables()) {
        ASSERT_EQ(t.utf8.size(), 256u) << t.name;
        std::string all;
        std::string decoded;
        std::size_t firstRefused = 256;
        std::string differences;
        for (int b = 0; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            all += byte;
            const std::string got = decodedOrRefused(byte, t.name);
            const std::string& expected = t.utf8[std::size_t(b)];
            if (got != expected) {
                differences.append(" ").append(hex(byte)).append(":").append(got);
                differences.append("(").append(expected).append(")");
            }
            if (expected == "-") {
                firstRefused = std::min<std::size_t>(firstRefused, std::size_t(b));
            } else if (std::size_t(b) < firstRefused && got == expected) {
                decoded += kw::decodeToUtf8(byte, t.name);
            }
        }
        EXPECT_EQ(differences, "") << t.name << ", byte:this(iconv)";
        // The start of a longer text stops quietly before the first byte refused.
        std::size_t consumed = 0;
        EXPECT_EQ(hex(kw::decodeToUtf8(all, t.name, true, &consumed)), hex(decoded)) << t.name;
        EXPECT_EQ(consumed, firstRefused) << t.name;
    }
}

TEST(TextEncoding, RefusedByteNamesItsLine) {
    EXPECT_EQ(failureOf("a;b\n1;2\r\n3;\x81\n", "WINDOWS-1252"),
              "line 3 of the file cannot be read as WINDOWS-1252: byte 0x81 does not form a "
              "character");
    EXPECT_EQ(failureOf("a\rb\r\x80", "ascii"),
              "line 3 of the file cannot be read as ascii: byte 0x80 does not form a character");
}

TEST(TextEncoding, EveryNameOfAnEncodingReadsTheSame) {
    for (const ByteTable& t : tables()) {
        std::string valid;
        for (int b = 0; b < 256; ++b) {
            if (t.utf8[std::size_t(b)] != "-") {
                valid += static_cast<char>(b);
            }
        }
        const std::string expected = kw::decodeToUtf8(valid, t.name);
        EXPECT_FALSE(t.otherNames.empty()) << t.name;
        for (std::string name : t.otherNames) {
            EXPECT_EQ(kw::decodeToUtf8(valid, name), expected) << name;
            for (char& c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            EXPECT_EQ(kw::decodeToUtf8(valid, name), expected) << name;
        }
    }
}

// East Asian multi-byte encodings and those that compose characters are not read here: they are
// refused as an unknown name is.
TEST(TextEncoding, EncodingWithoutADecoderHereIsRefusedAsUnknown) {
    for (const char* name : {"SHIFT_JIS", "GB18030", "CP1258", "no-such-thing"}) {
        EXPECT_EQ(failureOf("a", name),
                  "the encoding '" + std::string(name) + "' is not known to the program");
    }
}

} // namespace
