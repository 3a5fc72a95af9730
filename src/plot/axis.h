#pragma once

#include <QString>

#include <vector>

namespace kw::plot {

// A value axis: its range and its ticks at round numbers (1, 2 or 5 times a power of ten).
struct ValueAxis {
    double low = 0;
    double high = 1;
    std::vector<double> ticks;
    int decimals = 0; // of the tick labels, the same for all

    // The tick labels with the point as decimal mark, whatever the locale.
    QString label(double tick) const;
};

// An axis over [low, high] (widened a little, and around a single value to a range) with
// about `wanted` ticks, never fewer than 2. Ticks lie inside the range.
ValueAxis niceAxis(double low, double high, int wanted);

// A p-value as the plots write it: "<0.001" below 0.001, else with three decimals.
QString pText(double p);

// A statistic with three significant digits (7.99, 0.0184, 1.2E+5 written as 120000).
QString shortNumber(double x);

} // namespace kw::plot
