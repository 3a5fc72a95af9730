#pragma once

#include <string>

namespace kw {

// Dates and times as the reader gives them: 2024-03-15, 13:45:30.

// A time of day as hours:minutes:seconds (the seconds of a day, modulo a day).
std::string timeText(long long seconds);

// A date as year-month-day, the year with at least four digits.
std::string dateText(long long year, int month, int day);

// The civil date of a day count from 1970-01-01 (proleptic Gregorian).
void civilDate(long long days, long long& year, int& month, int& day);

// The day count from 1970-01-01 of a civil date.
long long daysFromCivil(long long year, int month, int day);

} // namespace kw
