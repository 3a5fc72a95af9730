#include "excelparts.h"

#include <gtest/gtest.h>

#include <limits>

namespace kw::com {
namespace {

TEST(ExcelPartsUtf, Utf16ToUtf8) {
    EXPECT_EQ(utf8from(u""), "");
    EXPECT_EQ(utf8from(u"Book1.xlsx"), "Book1.xlsx");
    EXPECT_EQ(utf8from(u"M\u00fcller \u20ac"), "M\xc3\xbc"
                                               "ller \xe2\x82\xac");
    // A pair of surrogates is one code point of four bytes.
    EXPECT_EQ(utf8from(u"\U0001F600"), "\xf0\x9f\x98\x80");
    // Unpaired surrogates, alone, at the end, or the wrong way round, become U+FFFD.
    const char16_t lonehigh[] = {u'a', 0xD83D, u'b', 0};
    EXPECT_EQ(utf8from(lonehigh), "a\xef\xbf\xbd"
                                  "b");
    const char16_t endhigh[] = {u'a', 0xD83D, 0};
    EXPECT_EQ(utf8from(endhigh), "a\xef\xbf\xbd");
    const char16_t reversed[] = {0xDE00, 0xD83D, 0};
    EXPECT_EQ(utf8from(reversed), "\xef\xbf\xbd\xef\xbf\xbd");
    // Code points at the ends of each length.
    EXPECT_EQ(utf8from(u"\u007f\u0080\u07ff\u0800\uffff"),
              "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf");
}

TEST(ExcelPartsUtf, Utf8ToUtf16) {
    EXPECT_EQ(utf16from(""), std::u16string());
    EXPECT_EQ(utf16from("Sheet1"), std::u16string(u"Sheet1"));
    EXPECT_EQ(utf16from("M\xc3\xbcller \xe2\x82\xac"), std::u16string(u"M\u00fcller \u20ac"));
    EXPECT_EQ(utf16from("\xf0\x9f\x98\x80"), std::u16string(u"\U0001F600"));
    EXPECT_EQ(utf16from("\xf4\x8f\xbf\xbf"), std::u16string(u"\U0010FFFF"));
    // A text in a single-byte code page (Windows-1252 M\xfcller) is not UTF-8.
    EXPECT_FALSE(utf16from("M\xfcller"));
    EXPECT_FALSE(utf16from("\x80"));             // a continuation byte alone
    EXPECT_FALSE(utf16from("\xc3"));             // cut off at the end
    EXPECT_FALSE(utf16from("\xe2\x82"));         // cut off at the end
    EXPECT_FALSE(utf16from("\xc3(a"));           // not continued
    EXPECT_FALSE(utf16from("\xc0\xaf"));         // overlong
    EXPECT_FALSE(utf16from("\xe0\x80\xaf"));     // overlong
    EXPECT_FALSE(utf16from("\xf0\x80\x80\xaf")); // overlong
    EXPECT_FALSE(utf16from("\xed\xa0\x80"));     // an encoded surrogate
    EXPECT_FALSE(utf16from("\xf4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(utf16from("\xff"));
}

TEST(ExcelPartsUtf, RoundTrip) {
    const std::string text = "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80z";
    const auto wide = utf16from(text);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), 6u); // a, é, 中, two surrogates, z
    EXPECT_EQ(utf8from(*wide), text);
}

TEST(ExcelPartsErrors, CodesAndTexts) {
    EXPECT_EQ(errortext(0x800A07D7u), "#DIV/0!"); // 2007
    EXPECT_EQ(errortext(0x800A07FAu), "#N/A");    // 2042
    EXPECT_EQ(errortext(0x800A07D0u), "#NULL!");  // 2000
    EXPECT_EQ(errortext(0x800A07DFu), "#VALUE!"); // 2015
    EXPECT_EQ(errortext(0x800A07E7u), "#REF!");   // 2023
    EXPECT_EQ(errortext(0x800A07EDu), "#NAME?");  // 2029
    EXPECT_EQ(errortext(0x800A07F4u), "#NUM!");   // 2036
    EXPECT_EQ(errortext(0x800A0802u), "#CALC!");  // 2050
    EXPECT_EQ(errortext(0x800A0001u), "#ERROR 1");
    EXPECT_EQ(errortext(0x80004005u), "#ERROR 0x80004005");
    EXPECT_EQ(errorcode("#DIV/0!"), 0x800A07D7u);
    EXPECT_EQ(errorcode("#n/a"), 0x800A07FAu);
    EXPECT_FALSE(errorcode("#DIV/0"));
    EXPECT_FALSE(errorcode("N/A"));
    for (std::uint32_t n = 2000; n <= 2050; ++n) {
        const std::string shown = errortext(excelerrorbase + n);
        if (shown.rfind("#ERROR", 0) != 0) {
            EXPECT_EQ(errorcode(shown), excelerrorbase + n) << shown;
        }
    }
}

TEST(ExcelPartsNumbers, DatesAsExcelSerials) {
    EXPECT_EQ(serialfromdate(0.5), 0.5);   // 12:00 without a date
    EXPECT_EQ(serialfromdate(2.0), 1.0);   // 1 January 1900
    EXPECT_EQ(serialfromdate(60.0), 59.0); // 28 February 1900
    EXPECT_EQ(serialfromdate(60.75), 59.75);
    EXPECT_EQ(serialfromdate(61.0), 61.0);       // 1 March 1900
    EXPECT_EQ(serialfromdate(40969.0), 40969.0); // 1 March 2012
    EXPECT_EQ(serialfromdate(40969.25), 40969.25);
}

TEST(ExcelPartsNumbers, Currency) {
    EXPECT_EQ(currencyvalue(0), 0.0);
    EXPECT_EQ(currencyvalue(12345), 1.2345);
    EXPECT_EQ(currencyvalue(-25000), -2.5);
    EXPECT_EQ(currencyvalue(10000LL * 1234567890123LL), 1234567890123.0);
    const std::int64_t most = std::numeric_limits<std::int64_t>::max();
    EXPECT_NEAR(currencyvalue(most), 922337203685477.5807, 0.1);
}

TEST(ExcelPartsNames, SameIgnoringAsciiCase) {
    EXPECT_TRUE(asciisame("Personal.XLS", "personal.xls"));
    EXPECT_FALSE(asciisame("personal.xls", "personal.xlsx"));
    EXPECT_FALSE(asciisame("a[", "A{")); // only letters fold
    EXPECT_TRUE(asciisame("", ""));
}

TEST(ExcelPartsNames, BookListing) {
    // Excel's order kept, the active one selected with letter case ignored.
    auto l = booklisting({"Book1", "Data.xlsx"}, std::string("DATA.XLSX"), asciisame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"Book1", "Data.xlsx"}));
    EXPECT_EQ(l.active, 1);
    // No active book, or one not in the list: none selected.
    EXPECT_EQ(booklisting({"Book1"}, std::nullopt, asciisame).active, -1);
    EXPECT_EQ(booklisting({"Book1"}, std::string("Other"), asciisame).active, -1);
    EXPECT_EQ(booklisting({}, std::nullopt, asciisame).names.size(), 0u);
}

TEST(ExcelPartsNames, PersonalWorkbookLeftOut) {
    // Before the active one: the selection moves with it.
    auto l = booklisting({"PERSONAL.XLS", "a.xls", "b.xls"}, std::string("b.xls"), asciisame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"a.xls", "b.xls"}));
    EXPECT_EQ(l.active, 1);
    // After the active one: the selection stays.
    l = booklisting({"a.xls", "b.xls", "Personal.xlsb"}, std::string("a.xls"), asciisame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"a.xls", "b.xls"}));
    EXPECT_EQ(l.active, 0);
    // Only the first one goes.
    l = booklisting({"personal.xls", "x", "PERSONAL.XLS"}, std::nullopt, asciisame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"x", "PERSONAL.XLS"}));
    // The personal workbook active: nothing selected.
    l = booklisting({"a", "PERSONAL.XLSB"}, std::string("personal.xlsb"), asciisame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"a"}));
    EXPECT_EQ(l.active, -1);
    // Names that only begin like it stay.
    l = booklisting({"personal.xlsx", "personal.xls.bak"}, std::nullopt, asciisame);
    EXPECT_EQ(l.names.size(), 2u);
}

TEST(ExcelPartsNames, SheetListingKeepsEveryName) {
    auto l = sheetlisting({"PERSONAL.XLS", "Sheet2"}, std::string("sheet2"), asciisame);
    EXPECT_EQ(l.names.size(), 2u);
    EXPECT_EQ(l.active, 1);
}

TEST(ExcelPartsNames, FindNamePrefersTheExactName) {
    const std::vector<std::string> names{"data", "Data"};
    EXPECT_EQ(findname(names, "Data", asciisame), 1u);
    EXPECT_EQ(findname(names, "DATA", asciisame), 0u);
    EXPECT_FALSE(findname(names, "dat", asciisame));
}

TEST(ExcelPartsNames, SheetNamesExcelRefuses) {
    EXPECT_FALSE(sheetnameproblem("Results"));
    EXPECT_FALSE(sheetnameproblem("Résultats 2012 (1)"));
    EXPECT_FALSE(sheetnameproblem(std::string(31, 'x')));
    // 31 characters of two bytes each are still 31 characters.
    std::string wide;
    for (int i = 0; i < 31; ++i) {
        wide += "\xc3\xa9";
    }
    EXPECT_FALSE(sheetnameproblem(wide));
    EXPECT_TRUE(sheetnameproblem(wide + "x"));
    EXPECT_TRUE(sheetnameproblem(std::string(32, 'x')));
    EXPECT_TRUE(sheetnameproblem(""));
    for (const char* bad : {"a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b"}) {
        const auto problem = sheetnameproblem(bad);
        ASSERT_TRUE(problem) << bad;
        EXPECT_NE(problem->find(bad), std::string::npos) << *problem;
    }
    EXPECT_TRUE(sheetnameproblem("'quoted"));
    EXPECT_TRUE(sheetnameproblem("quoted'"));
    EXPECT_FALSE(sheetnameproblem("it's"));
    EXPECT_TRUE(sheetnameproblem("history"));
    EXPECT_FALSE(sheetnameproblem("History1"));
}

TEST(ExcelPartsWrite, NumberFormat) {
    const auto point = threedecimals('.');
    EXPECT_EQ(point.property, u"NumberFormat");
    EXPECT_EQ(point.format, "0.000");
    const auto comma = threedecimals(',');
    EXPECT_EQ(comma.property, u"NumberFormatLocal");
    EXPECT_EQ(comma.format, "0,000");
}

TEST(ExcelPartsWrite, TextsStayTexts) {
    EXPECT_EQ(celltext(""), "");
    EXPECT_EQ(celltext("NS"), "'NS");
    EXPECT_EQ(celltext("=A1"), "'=A1");
    EXPECT_EQ(celltext("'x"), "''x");
}

TEST(ExcelPartsMessages, Attach) {
    EXPECT_EQ(attachmessage("Excel.Application", "{00024500-0000-0000-C000-000000000046}"),
              "Unable to retrieve a pointer to a running object registered with OLE for "
              "Excel.Application/{00024500-0000-0000-C000-000000000046}");
}

TEST(ExcelPartsMessages, Calls) {
    // Excel's description first, then the system's text, then the bare code.
    EXPECT_EQ(callmessage("Workbooks.Item", "Subscript out of range\r\n", "Exception occurred.",
                          0x80020009u),
              "Excel could not do Workbooks.Item: Subscript out of range");
    EXPECT_EQ(callmessage("Range.Value", "", "Exception occurred.\r\n", 0x80020009u),
              "Excel could not do Range.Value: Exception occurred.");
    EXPECT_EQ(callmessage("Range.Value", " ", "", 0x800A03ECu),
              "Excel could not do Range.Value: error 0x800A03EC");
    const std::string busy =
        callmessage("Workbooks", "", "Call was rejected by callee.", 0x80010001u);
    EXPECT_NE(busy.find("Excel is busy"), std::string::npos) << busy;
    const std::string gone =
        callmessage("Range.Value", "", "The RPC server is unavailable.", 0x800706BAu);
    EXPECT_NE(gone.find("closed"), std::string::npos) << gone;
}

TEST(ExcelPartsMessages, Kinds) {
    EXPECT_TRUE(isdisconnection(0x800706BAu));
    EXPECT_TRUE(isdisconnection(0x80010108u));
    EXPECT_FALSE(isdisconnection(0x80010001u));
    EXPECT_FALSE(isdisconnection(0x80020009u));
    EXPECT_TRUE(isbusy(0x80010001u));
    EXPECT_TRUE(isbusy(0x8001010Au));
    EXPECT_FALSE(isbusy(0x800706BAu));
    EXPECT_EQ(hexcode(0x800A03ECu), "0x800A03EC");
    EXPECT_EQ(hexcode(0), "0x00000000");
}

} // namespace
} // namespace kw::com
