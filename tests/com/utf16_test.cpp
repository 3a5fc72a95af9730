// Texts between UTF-8 and UTF-16, both ways and round trip.

#include "com/utf16.h"

#include <gtest/gtest.h>

namespace kw::com {
namespace {

TEST(Utf16, Utf16ToUtf8) {
    EXPECT_EQ(utf8From(u""), "");
    EXPECT_EQ(utf8From(u"Book1.xlsx"), "Book1.xlsx");
    EXPECT_EQ(utf8From(u"M\u00fcller \u20ac"), "M\xc3\xbc"
                                               "ller \xe2\x82\xac");
    // A pair of surrogates is one code point of four bytes.
    EXPECT_EQ(utf8From(u"\U0001F600"), "\xf0\x9f\x98\x80");
    // Unpaired surrogates, alone, at the end, or the wrong way round, become U+FFFD.
    const char16_t loneHigh[] = {u'a', 0xD83D, u'b', 0};
    EXPECT_EQ(utf8From(loneHigh), "a\xef\xbf\xbd"
                                  "b");
    const char16_t endHigh[] = {u'a', 0xD83D, 0};
    EXPECT_EQ(utf8From(endHigh), "a\xef\xbf\xbd");
    const char16_t reversed[] = {0xDE00, 0xD83D, 0};
    EXPECT_EQ(utf8From(reversed), "\xef\xbf\xbd\xef\xbf\xbd");
    // Code points at the ends of each length.
    EXPECT_EQ(utf8From(u"\u007f\u0080\u07ff\u0800\uffff"),
              "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf");
}

TEST(Utf16, Utf8ToUtf16) {
    EXPECT_EQ(utf16From(""), std::u16string());
    EXPECT_EQ(utf16From("Sheet1"), std::u16string(u"Sheet1"));
    EXPECT_EQ(utf16From("M\xc3\xbcller \xe2\x82\xac"), std::u16string(u"M\u00fcller \u20ac"));
    EXPECT_EQ(utf16From("\xf0\x9f\x98\x80"), std::u16string(u"\U0001F600"));
    EXPECT_EQ(utf16From("\xf4\x8f\xbf\xbf"), std::u16string(u"\U0010FFFF"));
    // A text in a single-byte code page (Windows-1252 M\xfcller) is not UTF-8.
    EXPECT_FALSE(utf16From("M\xfcller"));
    EXPECT_FALSE(utf16From("\x80"));             // a continuation byte alone
    EXPECT_FALSE(utf16From("\xc3"));             // cut off at the end
    EXPECT_FALSE(utf16From("\xe2\x82"));         // cut off at the end
    EXPECT_FALSE(utf16From("\xc3(a"));           // not continued
    EXPECT_FALSE(utf16From("\xc0\xaf"));         // overlong
    EXPECT_FALSE(utf16From("\xe0\x80\xaf"));     // overlong
    EXPECT_FALSE(utf16From("\xf0\x80\x80\xaf")); // overlong
    EXPECT_FALSE(utf16From("\xed\xa0\x80"));     // an encoded surrogate
    EXPECT_FALSE(utf16From("\xf4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(utf16From("\xff"));
}

TEST(Utf16, RoundTrip) {
    const std::string text = "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80z";
    const auto wide = utf16From(text);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), 6u); // a, é, 中, two surrogates, z
    EXPECT_EQ(utf8From(*wide), text);
}

} // namespace
} // namespace kw::com
