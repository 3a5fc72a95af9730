#pragma once

#include <QString>

#include <cstdint>
#include <utility>

namespace kw::app {

// The numbers of the details page: six significant digits, fixed notation from 0.0001 to a
// million and scientific beyond (a small p as 1.2e-10), with the user's decimal mark; NA for
// a value that is not one.
QString detailNumber(double x, char decimal);

// An interval as "[low, high]" ("[low; high]" where the decimal mark is a comma).
QString detailInterval(const std::pair<double, double>& interval, char decimal);

// A count with its digits grouped as the user's locale writes them.
QString detailCount(std::uint64_t n);

// The role under which the details' table models give what a column sorts by: numbers as
// numbers, groups in the groups' order.
inline constexpr int sortRole = Qt::UserRole + 1;

} // namespace kw::app
