#include "plot/axis.h"

#include "core/base/numbers.h"

#include <algorithm>
#include <cmath>

namespace kw::plot {

QString ValueAxis::label(double tick) const {
    return QString::fromStdString(formatFixed(tick, decimals));
}

ValueAxis niceAxis(double low, double high, int wanted) {
    ValueAxis axis;
    if (!std::isfinite(low) || !std::isfinite(high)) {
        low = 0;
        high = 1;
    }
    if (high < low) {
        std::swap(low, high);
    }
    if (high == low) {
        const double half = low == 0 ? 1 : std::fabs(low) * 0.1;
        low -= half;
        high += half;
    }
    // A margin of 4 percent on each side keeps marks off the frame.
    const double pad = (high - low) * 0.04;
    axis.low = low - pad;
    axis.high = high + pad;
    wanted = std::max(wanted, 2);
    const double rough = (axis.high - axis.low) / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= rough) {
            break;
        }
    }
    const double first = std::ceil(axis.low / step - 1e-9);
    for (double i = first;; ++i) {
        const double t = i * step;
        if (t > axis.high + step * 1e-9) {
            break;
        }
        axis.ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    }
    axis.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return axis;
}

QString pText(double p) {
    if (std::isnan(p)) {
        return QString();
    }
    if (p < 0.001) {
        return QStringLiteral("<0.001");
    }
    return QString::fromStdString(formatFixed(p, 3));
}

QString shortNumber(double x) {
    if (std::fabs(x) >= 1000) {
        return QString::fromStdString(formatFixed(x, 0));
    }
    return QString::fromStdString(formatGeneral(x, 3));
}

} // namespace kw::plot
