#include "core/base/numbers.h"

#include "core/base/failure.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

namespace kw {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where a text begins and ends without the blanks around it: [first, end).
std::pair<std::size_t, std::size_t> withoutBlanks(std::string_view text) {
    std::size_t first = 0;
    std::size_t end = text.size();
    while (first < end && text[first] == ' ') {
        ++first;
    }
    while (end > first && text[end - 1] == ' ') {
        --end;
    }
    return {first, end};
}

// Digits beyond the rounding position that to_chars is asked for. A double is never this
// close to a halfway point without being on it, so the extra digits tell an exact tie from a
// value just above or below one, and rounding them by hand rounds the exact binary value.
constexpr int guardDigits = 30;

// Rounds the decimal digit string half away from zero, keeping `keep` digits; returns true
// when the carry ran out of the front ("999" became "000", a 1 to put in front).
bool roundHalfUp(std::string& digits, std::size_t keep) {
    const bool up = digits.size() > keep && digits[keep] >= '5';
    digits.resize(keep);
    if (!up) {
        return false;
    }
    for (std::size_t i = keep; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// Scientific digits of x rounded to n significant digits: the digits without point or sign
// (trailing zeros removed) and the decimal exponent of the first digit.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal toDecimal(double x, int n) {
    std::array<char, 128> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::scientific,
                             n - 1 + guardDigits);
    std::string_view s(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    Decimal d;
    std::size_t i = 0;
    if (s[i] == '-') {
        d.negative = true;
        ++i;
    }
    for (; i < s.size() && s[i] != 'e'; ++i) {
        if (s[i] != '.') {
            d.digits.push_back(s[i]);
        }
    }
    int e = 0;
    std::from_chars(s.data() + i + 1 + (s[i + 1] == '+' ? 1 : 0), s.data() + s.size(), e);
    if (roundHalfUp(d.digits, static_cast<std::size_t>(n))) {
        d.digits.insert(d.digits.begin(), '1');
        d.digits.pop_back();
        ++e;
    }
    d.exponent = e;
    while (d.digits.size() > 1 && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    return d;
}

} // namespace

namespace {

// The usual shape of a number in a data file, read without the general parser: an optional
// minus, digits with at most one decimal mark, at most 15 significant digits. The digits as a
// whole number and the power of ten are both exact doubles, so one division rounds correctly.
// A text is plain when no other text of this shape with as many decimals has its value: no
// leading zeros, digits on both sides of the mark, not "-0"; `plain` is then its number of
// decimals.
enum class Quick { no, yes };

Quick quickReal(std::string_view text, char decimal, double& value, int& plain) {
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const std::size_t n = text.size();
    std::size_t i = 0;
    const bool negative = n > 0 && text[0] == '-';
    i += negative ? 1 : 0;
    std::uint64_t m = 0;
    int significant = 0;
    int integerDigits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (significant > 0 || c != '0') {
                if (++significant > 15) {
                    return Quick::no;
                }
            }
            m = m * 10 + static_cast<std::uint64_t>(c - '0');
            (point ? fractionDigits : integerDigits) += 1;
        } else if (c == decimal && !point) {
            point = true;
        } else {
            return Quick::no;
        }
    }
    if (integerDigits + fractionDigits == 0 || fractionDigits > 22) {
        return Quick::no;
    }
    const double v = static_cast<double>(m) / powers[fractionDigits];
    value = negative ? -v : v;
    const std::size_t first = negative ? 1 : 0;
    const bool isPlain = integerDigits > 0 && !(integerDigits > 1 && text[first] == '0') &&
                         (!point || fractionDigits > 0) && !(negative && m == 0);
    plain = isPlain ? fractionDigits : notPlain;
    return Quick::yes;
}

} // namespace

std::optional<double> parseReal(std::string_view text, char decimal, int* plain) {
    double quick = 0;
    int decimals = notPlain;
    if (quickReal(text, decimal, quick, decimals) == Quick::yes) {
        if (plain != nullptr) {
            *plain = decimals;
        }
        return quick;
    }
    if (plain != nullptr) {
        *plain = notPlain;
    }
    auto [i, n] = withoutBlanks(text);
    // Validate the shape and copy it with a point as decimal mark and no plus sign.
    std::string normal;
    std::array<char, 80> small{};
    bool useSmall = n - i < small.size();
    std::size_t len = 0;
    auto put = [&](char c) {
        if (useSmall) {
            small[len++] = c;
        } else {
            normal.push_back(c);
        }
    };
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            put('-');
        }
        ++i;
    }
    int digits = 0;
    int leadingExponent = 0; // decimal exponent of the first non-zero digit, roughly
    bool seenNonZero = false;
    bool afterPoint = false;
    for (; i < n; ++i) {
        char c = text[i];
        if (isDigit(c)) {
            ++digits;
            if (c != '0' && !seenNonZero) {
                seenNonZero = true;
            }
            if (!seenNonZero && afterPoint) {
                --leadingExponent;
            } else if (seenNonZero && !afterPoint) {
                ++leadingExponent;
            }
            put(c);
        } else if (c == decimal && !afterPoint) {
            afterPoint = true;
            put('.');
        } else {
            break;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < n) {
        if (text[i] != 'E' && text[i] != 'e') {
            return std::nullopt;
        }
        put('e');
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            if (text[i] == '-') {
                put('-');
            }
            ++i;
        }
        int exponentDigits = 0;
        for (; i < n && isDigit(text[i]); ++i) {
            put(text[i]);
            ++exponentDigits;
        }
        if (exponentDigits == 0 || i < n) {
            return std::nullopt;
        }
    }
    const char* first = useSmall ? small.data() : normal.data();
    const char* last = useSmall ? small.data() + len : normal.data() + normal.size();
    double value = 0;
    auto res = std::from_chars(first, last, value);
    if (res.ec == std::errc::result_out_of_range) {
        // Too small becomes zero; too large is not a value a double can hold.
        std::string_view body(first, static_cast<std::size_t>(last - first));
        auto epos = body.find('e');
        long long e = 0;
        if (epos != std::string_view::npos) {
            std::string_view es = body.substr(epos + 1);
            bool neg = !es.empty() && es[0] == '-';
            if (neg) {
                es.remove_prefix(1);
            }
            // Clamp long exponents; only the sign of the total matters here.
            for (char c : es) {
                e = std::min<long long>(e * 10 + (c - '0'), 1'000'000'000LL);
            }
            if (neg) {
                e = -e;
            }
        }
        if (!seenNonZero || e + leadingExponent < 0) {
            return body[0] == '-' ? -0.0 : 0.0;
        }
        return std::nullopt;
    }
    if (res.ec != std::errc() || res.ptr != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double realValue(std::string_view text, char decimal) {
    auto v = parseReal(text, decimal);
    if (!v) {
        throw notANumber(text);
    }
    return *v;
}

std::optional<std::int32_t> parseInteger(std::string_view text) {
    auto [i, n] = withoutBlanks(text);
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == n) {
        return std::nullopt;
    }
    long long value = 0;
    for (; i < n; ++i) {
        if (!isDigit(text[i])) {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::string formatGeneral(double x, int digits, char decimal) {
    if (std::isnan(x)) {
        return "NAN";
    }
    if (std::isinf(x)) {
        return x > 0 ? "INF" : "-INF";
    }
    if (x == 0) {
        return "0";
    }
    Decimal d = toDecimal(x, digits);
    std::string out;
    if (d.negative) {
        out.push_back('-');
    }
    const int e = d.exponent;
    const int nd = static_cast<int>(d.digits.size());
    if (e >= -5 && e < digits) {
        if (e < 0) {
            out += '0';
            out += decimal;
            out.append(static_cast<std::size_t>(-e - 1), '0');
            out += d.digits;
        } else {
            for (int i = 0; i <= e; ++i) {
                out += i < nd ? d.digits[static_cast<std::size_t>(i)] : '0';
            }
            if (nd > e + 1) {
                out += decimal;
                out.append(d.digits, static_cast<std::size_t>(e + 1));
            }
        }
    } else {
        out += d.digits[0];
        if (nd > 1) {
            out += decimal;
            out.append(d.digits, 1);
        }
        out += 'E';
        if (e < 0) {
            out += '-';
        }
        out += std::to_string(std::abs(e));
    }
    return out;
}

std::string formatFixed(double x, int decimals) {
    if (!std::isfinite(x)) {
        return formatGeneral(x, 15);
    }
    std::string buf(400 + static_cast<std::size_t>(decimals + guardDigits), '\0');
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(x),
                             std::chars_format::fixed, decimals + guardDigits);
    buf.resize(static_cast<std::size_t>(res.ptr - buf.data()));
    // Round the digits (point taken out) half away from zero, then put the point back.
    const std::size_t point = buf.find('.');
    std::string digits = buf.substr(0, point) + buf.substr(point + 1);
    std::size_t integerDigits = point;
    if (roundHalfUp(digits, point + static_cast<std::size_t>(decimals))) {
        digits.insert(digits.begin(), '1');
        ++integerDigits;
    }
    std::string out;
    if (x < 0 && digits.find_first_not_of('0') != std::string::npos) {
        out += '-'; // a value that rounds to zero is written without a sign
    }
    out.append(digits, 0, integerDigits);
    if (decimals > 0) {
        out += '.';
        out.append(digits, integerDigits, std::string::npos);
    }
    return out;
}

std::string rightAlign(std::string text, std::size_t width) {
    if (text.size() >= width) {
        return text;
    }
    return std::string(width - text.size(), ' ') + text;
}

std::string formatFixedPrecision(double x, int precision, int decimals, char decimal) {
    if (!std::isfinite(x) || x == 0) {
        if (x == 0) {
            std::string zero = formatFixed(0, decimals);
            if (auto p = zero.find('.'); p != std::string::npos) {
                zero[p] = decimal;
            }
            return zero;
        }
        return formatGeneral(x, precision, decimal);
    }
    Decimal d = toDecimal(x, precision);
    if (d.exponent >= precision) {
        return formatGeneral(x, precision, decimal);
    }
    // The value rounded to `precision` significant digits, then written with the decimals.
    std::string sci = std::string(d.negative ? "-" : "") + d.digits.substr(0, 1) + "." +
                      (d.digits.size() > 1 ? d.digits.substr(1) : "0") + "e" +
                      std::to_string(d.exponent);
    double rounded = 0;
    std::from_chars(sci.data(), sci.data() + sci.size(), rounded);
    std::string out = formatFixed(rounded, decimals);
    if (auto p = out.find('.'); p != std::string::npos) {
        out[p] = decimal;
    }
    return out;
}

std::string formatStatistic(double x, char decimal) {
    return formatFixedPrecision(x, 7, 3, decimal);
}

std::string formatScientific(double x, int digits, int exponentDigits, char decimal) {
    if (!std::isfinite(x)) {
        return formatGeneral(x, digits, decimal);
    }
    std::string mantissa;
    int exponent = 0;
    bool negative = false;
    if (x == 0) {
        mantissa = std::string(static_cast<std::size_t>(digits), '0');
    } else {
        const Decimal d = toDecimal(x, digits);
        mantissa = d.digits;
        mantissa.resize(static_cast<std::size_t>(digits), '0');
        exponent = d.exponent;
        negative = d.negative;
    }
    std::string out = negative ? "-" : "";
    out += mantissa[0];
    if (digits > 1) {
        out += decimal;
        out.append(mantissa, 1);
    }
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    const std::string e = std::to_string(std::abs(exponent));
    out.append(e.size() < static_cast<std::size_t>(exponentDigits)
                   ? static_cast<std::size_t>(exponentDigits) - e.size()
                   : 0,
               '0');
    out += e;
    return out;
}

double generalRoundTrip(double x, int digits) {
    if (!std::isfinite(x) || x == 0) {
        return x;
    }
    return *parseReal(formatGeneral(x, digits), '.');
}

} // namespace kw
