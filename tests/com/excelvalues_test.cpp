// Excel's error values, dates and currency amounts as numbers, the three-decimals format and
// texts kept texts.

#include "com/excelvalues.h"

#include <gtest/gtest.h>

#include <limits>

namespace kw::com {
namespace {

TEST(ExcelValues, ErrorCodesAndTexts) {
    EXPECT_EQ(errorText(0x800A07D7u), "#DIV/0!"); // 2007
    EXPECT_EQ(errorText(0x800A07FAu), "#N/A");    // 2042
    EXPECT_EQ(errorText(0x800A07D0u), "#NULL!");  // 2000
    EXPECT_EQ(errorText(0x800A07DFu), "#VALUE!"); // 2015
    EXPECT_EQ(errorText(0x800A07E7u), "#REF!");   // 2023
    EXPECT_EQ(errorText(0x800A07EDu), "#NAME?");  // 2029
    EXPECT_EQ(errorText(0x800A07F4u), "#NUM!");   // 2036
    EXPECT_EQ(errorText(0x800A0802u), "#CALC!");  // 2050
    EXPECT_EQ(errorText(0x800A0001u), "#ERROR 1");
    EXPECT_EQ(errorText(0x80004005u), "#ERROR 0x80004005");
    EXPECT_EQ(errorCode("#DIV/0!"), 0x800A07D7u);
    EXPECT_EQ(errorCode("#n/a"), 0x800A07FAu);
    EXPECT_FALSE(errorCode("#DIV/0"));
    EXPECT_FALSE(errorCode("N/A"));
    for (std::uint32_t n = 2000; n <= 2050; ++n) {
        const std::string shown = errorText(excelErrorBase + n);
        if (shown.rfind("#ERROR", 0) != 0) {
            EXPECT_EQ(errorCode(shown), excelErrorBase + n) << shown;
        }
    }
}

TEST(ExcelValues, DatesAsExcelSerials) {
    EXPECT_EQ(serialFromDate(0.5), 0.5);   // 12:00 without a date
    EXPECT_EQ(serialFromDate(2.0), 1.0);   // 1 January 1900
    EXPECT_EQ(serialFromDate(60.0), 59.0); // 28 February 1900
    EXPECT_EQ(serialFromDate(60.75), 59.75);
    EXPECT_EQ(serialFromDate(61.0), 61.0);       // 1 March 1900
    EXPECT_EQ(serialFromDate(40969.0), 40969.0); // 1 March 2012
    EXPECT_EQ(serialFromDate(40969.25), 40969.25);
}

TEST(ExcelValues, CurrencyAmounts) {
    EXPECT_EQ(currencyValue(0), 0.0);
    EXPECT_EQ(currencyValue(12345), 1.2345);
    EXPECT_EQ(currencyValue(-25000), -2.5);
    EXPECT_EQ(currencyValue(10000LL * 1234567890123LL), 1234567890123.0);
    const std::int64_t most = std::numeric_limits<std::int64_t>::max();
    EXPECT_NEAR(currencyValue(most), 922337203685477.5807, 0.1);
}

TEST(ExcelValues, ThreeDecimalsFormat) {
    const auto point = threeDecimals('.');
    EXPECT_EQ(point.property, u"NumberFormat");
    EXPECT_EQ(point.format, "0.000");
    const auto comma = threeDecimals(',');
    EXPECT_EQ(comma.property, u"NumberFormatLocal");
    EXPECT_EQ(comma.format, "0,000");
}

TEST(ExcelValues, TextsStayTexts) {
    EXPECT_EQ(cellText(""), "");
    EXPECT_EQ(cellText("NS"), "'NS");
    EXPECT_EQ(cellText("=A1"), "'=A1");
    EXPECT_EQ(cellText("'x"), "''x");
}

} // namespace
} // namespace kw::com
