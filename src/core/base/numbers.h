#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

// Reads a decimal real: optional blanks, an optional sign, digits with at most one decimal
// mark (at least one digit in all), an optional exponent (E or e, optional sign, digits),
// optional blanks. Values beyond the range of a double are refused; tiny ones become 0.
// With `plain`, also tells whether the text is a plain decimal: an optional minus, digits
// without leading zeros, at most one decimal mark with digits on both sides, at most 15
// significant digits, not -0. For a plain text *plain is its number of digits after the mark
// (0 to 22), otherwise notPlain: two plain texts with the same value and the same number of
// decimals are the same text.
constexpr int notPlain = -1;
std::optional<double> parseReal(std::string_view text, char decimal, int* plain = nullptr);

// As parseReal, but raises "'x' is not a valid floating point value".
double realValue(std::string_view text, char decimal);

// Reads a whole number in the range of a signed 32-bit integer: optional blanks, an optional
// sign, decimal digits, optional blanks.
std::optional<std::int32_t> parseInteger(std::string_view text);

// The general format with n significant digits: the value rounded to n digits without
// trailing zeros, in fixed notation when its decimal exponent e lies in -5 <= e < n, otherwise
// as mantissa, 'E', a minus sign for a negative exponent and the exponent (1.5E-6, 1E20).
// Every text it gives reads back through parseReal as the rounded value.
std::string formatGeneral(double x, int digits, char decimal = '.');

// Fixed notation with the given number of decimals and the point, as printf's %.*f, except
// that a value that rounds to zero is written without a minus sign.
std::string formatFixed(double x, int decimals);

// Right-aligns text in a field of the given width (longer texts are kept whole).
std::string rightAlign(std::string text, std::size_t width);

// Fixed notation with `decimals` decimals after rounding to `precision` significant digits;
// values with more than `precision` integer digits fall back to the general format.
std::string formatFixedPrecision(double x, int precision, int decimals, char decimal);

// The statistic on screen: formatFixedPrecision with 7 significant digits and 3 decimals.
std::string formatStatistic(double x, char decimal);

// Scientific notation with `digits` significant digits (trailing zeros kept) and an exponent
// of at least `exponentDigits` digits with its sign: 0.0123 -> 1.23E-002, 0 -> 0.00E+000.
std::string formatScientific(double x, int digits, int exponentDigits, char decimal);

// The value a formatted text reads back as, for steps that take numbers from grid texts.
double generalRoundTrip(double x, int digits);

} // namespace kw
