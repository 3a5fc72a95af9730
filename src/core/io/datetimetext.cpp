#include "core/io/datetimetext.h"

namespace kw {

namespace {

std::string twoDigits(int v) {
    return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

} // namespace

std::string timeText(long long seconds) {
    return twoDigits(static_cast<int>(seconds / 3600 % 24)) + ":" +
           twoDigits(static_cast<int>(seconds / 60 % 60)) + ":" +
           twoDigits(static_cast<int>(seconds % 60));
}

std::string dateText(long long y, int m, int d) {
    std::string year = std::to_string(y);
    if (y >= 0 && year.size() < 4) {
        year.insert(0, 4 - year.size(), '0');
    }
    return year + "-" + twoDigits(m) + "-" + twoDigits(d);
}

void civilDate(long long z, long long& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

long long daysFromCivil(long long y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace kw
