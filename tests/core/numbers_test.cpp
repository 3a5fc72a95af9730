#include "core/base/failure.h"
#include "core/base/numbers.h"

#include <gtest/gtest.h>

#include <charconv>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <regex>
#include <string>

namespace {

using kw::formatFixed;
using kw::formatGeneral;
using kw::formatStatistic;
using kw::parseInteger;
using kw::parseReal;

TEST(ParseReal, AcceptsTheUsualShapes) {
    EXPECT_EQ(parseReal(" 1.5 ", '.'), 1.5);
    EXPECT_EQ(parseReal("+2", '.'), 2.0);
    EXPECT_EQ(parseReal("-0", '.'), 0.0);
    EXPECT_EQ(parseReal(".5", '.'), 0.5);
    EXPECT_EQ(parseReal("5.", '.'), 5.0);
    EXPECT_EQ(parseReal("1E-3", '.'), 0.001);
    EXPECT_EQ(parseReal("-2.5e+2", '.'), -250.0);
    EXPECT_EQ(parseReal("1,5", ','), 1.5);
    // Texts longer than any usual number.
    EXPECT_EQ(parseReal(std::string("0.").append(99, '0').append("1"), '.'), 1e-100);
    EXPECT_EQ(parseReal(std::string(100, ' ').append("-3").append(100, ' '), '.'), -3.0);
    const std::string digits(90, '7');
    EXPECT_EQ(parseReal(digits, '.'), std::strtod(digits.c_str(), nullptr));
}

TEST(ParseReal, RefusesWhatIsNotANumber) {
    for (const char* text : {"nan", "inf", "-inf", "", "   ", ".", "1e", "1e+", "e5", "1.2.3",
                             "--1", "+-1", "- 1", "1 5", "1e5x", "0x10", "1,5"}) {
        EXPECT_FALSE(parseReal(text, '.').has_value()) << text;
    }
    EXPECT_FALSE(parseReal("1.5", ',').has_value());
    EXPECT_FALSE(parseReal(std::string(90, '7').append("x"), '.').has_value());
}

TEST(ParseReal, RangeLimits) {
    EXPECT_EQ(parseReal("1.7976931348623157e308", '.'), std::numeric_limits<double>::max());
    EXPECT_EQ(parseReal("4.9e-324", '.'), std::numeric_limits<double>::denorm_min());
    EXPECT_FALSE(parseReal("1e999", '.').has_value());
    EXPECT_FALSE(parseReal("1.8e308", '.').has_value());
    EXPECT_FALSE(parseReal("-1e400", '.').has_value());
    EXPECT_FALSE(parseReal("10e99999999999999999999", '.').has_value());
    EXPECT_EQ(parseReal("1e-400", '.'), 0.0);
    EXPECT_EQ(parseReal("1e-99999999999999999999", '.'), 0.0);
    EXPECT_EQ(parseReal(std::string("1").append(400, '0').append("e-400"), '.'), 1.0);
}

TEST(ParseReal, RealValueThrowsWithTheText) {
    EXPECT_EQ(kw::realValue("2.25", '.'), 2.25);
    try {
        kw::realValue("abc", '.');
        ADD_FAILURE() << "no failure";
    } catch (const kw::Failure& f) {
        EXPECT_EQ(f.message(), "'abc' is not a valid floating point value");
    }
}

TEST(ParseInteger, SignedThirtyTwoBitRange) {
    EXPECT_EQ(parseInteger(" -7 "), -7);
    EXPECT_EQ(parseInteger("+3"), 3);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
    for (const char* text : {"2147483648", "-2147483649", "99999999999999999999", "1.0", "1e3", "",
                             " ", "+", "-", "12a", "1 2"}) {
        EXPECT_FALSE(parseInteger(text).has_value()) << text;
    }
}

TEST(FormatGeneral, FixedAndExponentForms) {
    EXPECT_EQ(formatGeneral(0.05, 15), "0.05");
    EXPECT_EQ(formatGeneral(3, 15), "3");
    EXPECT_EQ(formatGeneral(-2.5, 15, ','), "-2,5");
    EXPECT_EQ(formatGeneral(0.1 + 0.2, 15), "0.3");
    EXPECT_EQ(formatGeneral(2.0 / 3.0, 3), "0.667");
    EXPECT_EQ(formatGeneral(1.5e-6, 15), "1.5E-6");
    EXPECT_EQ(formatGeneral(1.5e-6, 15, ','), "1,5E-6");
    EXPECT_EQ(formatGeneral(1.2345678e-5, 3), "0.0000123");
    EXPECT_EQ(formatGeneral(1e20, 15), "1E20");
    EXPECT_EQ(formatGeneral(1e14, 15), "100000000000000");
    EXPECT_EQ(formatGeneral(1e15, 15), "1E15");
    EXPECT_EQ(formatGeneral(123456, 3), "1.23E5");
    EXPECT_EQ(formatGeneral(-1e-100, 15), "-1E-100");
    EXPECT_EQ(formatGeneral(-0.0, 15), "0");
    // The rounded value decides the form.
    EXPECT_EQ(formatGeneral(999.96, 4), "1000");
    EXPECT_EQ(formatGeneral(99999.5, 5), "1E5");
    EXPECT_EQ(formatGeneral(9.9999999e-6, 3), "0.00001");
}

TEST(FormatGeneral, ReadsBackAsTheRoundedValue) {
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-320, 300);
    const std::regex point("-?([0-9]+(\\.[0-9]*[1-9])?|[1-9](\\.[0-9]*[1-9])?E-?[1-9][0-9]*)");
    const std::regex comma("-?([0-9]+(,[0-9]*[1-9])?|[1-9](,[0-9]*[1-9])?E-?[1-9][0-9]*)");
    for (int trial = 0; trial < 20000; ++trial) {
        const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
        const int n = 1 + trial % 17;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*e", n - 1, x);
        const char mark = trial % 2 == 0 ? '.' : ',';
        const std::string text = formatGeneral(x, n, mark);
        ASSERT_TRUE(std::regex_match(text, mark == '.' ? point : comma)) << text;
        ASSERT_EQ(parseReal(text, mark), std::strtod(buf, nullptr)) << text << " from " << buf;
    }
}

TEST(FormatFixed, AsPrintfBesideTiesWithoutNegativeZero) {
    EXPECT_EQ(formatFixed(-0.0001, 3), "0.000");
    EXPECT_EQ(formatFixed(-0.4, 0), "0");
    EXPECT_EQ(formatFixed(-0.0, 2), "0.00");
    EXPECT_EQ(formatFixed(1e21, 0), "1000000000000000000000");
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> value(-1e6, 1e6);
    for (int trial = 0; trial < 5000; ++trial) {
        const double x = value(rng);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", trial % 8, x);
        ASSERT_EQ(formatFixed(x, trial % 8), buf);
    }
    // Exact halfway values round away from zero, whatever printf does with them.
    EXPECT_EQ(formatFixed(0.0625, 3), "0.063");
    EXPECT_EQ(formatFixed(-0.0625, 3), "-0.063");
    EXPECT_EQ(formatFixed(57.0 / 16, 3), "3.563");
    EXPECT_EQ(formatFixed(0.5, 0), "1");
    EXPECT_EQ(formatFixed(999.9995, 3), "1000.000"); // just above the tie as a double
    EXPECT_EQ(formatFixed(0.0005, 3), "0.001");
    EXPECT_EQ(formatGeneral(123456789012344.5, 15), "123456789012345");
    EXPECT_EQ(formatGeneral(0.03125, 3), "0.0313");
    EXPECT_EQ(formatGeneral(9.5, 1), "1E1");
    EXPECT_EQ(kw::rightAlign("1.5", 7), "    1.5");
    EXPECT_EQ(kw::rightAlign("12345678", 7), "12345678");
}

TEST(FormatStatistic, SevenSignificantDigitsThreeDecimals) {
    EXPECT_EQ(formatStatistic(3.14159265, ','), "3,142");
    EXPECT_EQ(formatStatistic(-0.0, '.'), "0.000");
    EXPECT_EQ(formatStatistic(-0.00012, '.'), "0.000");
    // Rounded to 7 digits first: 12345.67, not 12345.675.
    EXPECT_EQ(formatStatistic(12345.6749, '.'), "12345.670");
    EXPECT_EQ(formatStatistic(123456.789, '.'), "123456.800");
    EXPECT_EQ(formatStatistic(1234567.4, '.'), "1234567.000");
    EXPECT_EQ(formatStatistic(12345678, ','), "1,234568E7");
}

TEST(ParseReal, PlainTextsAreFixedByTheirValueAndDecimals) {
    // Two texts with the same value are the same text when both are plain with as many
    // decimals; the ranking counts spellings by it without looking at the texts again.
    int plain = kw::notPlain;
    const std::pair<const char*, int> plainTexts[] = {
        {"0", 0},   {"1.5", 1},   {"-1.5", 1}, {"100.001", 3},         {"0.000001", 6}, {"1.50", 2},
        {"0.0", 1}, {"-0.10", 2}, {"7", 0},    {"123456789012345", 0}, {"88.2030", 4}};
    for (const auto& [text, decimals] : plainTexts) {
        ASSERT_TRUE(kw::parseReal(text, '.', &plain));
        EXPECT_EQ(plain, decimals) << text;
    }
    for (const char* text : {"-0", "-0.0", "01", "00.5", ".5", "5.", "+1", "1E3", " 1",
                             "1234567890123456", "1.0000000000000000"}) {
        ASSERT_TRUE(kw::parseReal(text, '.', &plain));
        EXPECT_EQ(plain, kw::notPlain) << text;
    }
    ASSERT_TRUE(kw::parseReal("3,25", ',', &plain));
    EXPECT_EQ(plain, 2);
    ASSERT_TRUE(kw::parseReal("3.25", ',', &plain) == std::nullopt);

    // Written back with as many decimals, a plain text's value gives the text itself, from
    // %g's shortest forms and %f's trailing zeros alike.
    std::mt19937_64 rng(11);
    for (int trial = 0; trial < 40000; ++trial) {
        const double x = std::ldexp(static_cast<double>(rng() % (1ull << 40)), -int(rng() % 60));
        char buf[64];
        if (trial % 2 == 0) {
            std::snprintf(buf, sizeof buf, "%.*g", 1 + int(rng() % 15), (rng() % 2 ? -x : x));
        } else {
            std::snprintf(buf, sizeof buf, "%.*f", int(rng() % 8), (rng() % 2 ? -x : x));
        }
        const auto v = kw::parseReal(buf, '.', &plain);
        ASSERT_TRUE(v);
        if (plain != kw::notPlain) {
            char back[400];
            auto res = std::to_chars(back, back + sizeof back, *v, std::chars_format::fixed, plain);
            ASSERT_EQ(std::string(back, res.ptr), buf);
        }
    }
}

TEST(GeneralRoundTrip, GivesTheValueOfTheText) {
    EXPECT_EQ(kw::generalRoundTrip(1.0 / 3.0, 3), 0.333);
    EXPECT_EQ(kw::generalRoundTrip(2.0 / 3.0, 15), 0.666666666666667);
    EXPECT_EQ(kw::generalRoundTrip(1.23456e-7, 2), 1.2e-7);
}

} // namespace
