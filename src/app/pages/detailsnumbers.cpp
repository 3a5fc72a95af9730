#include "app/pages/detailsnumbers.h"

#include "app/qtlocale.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace kw::app {

QString detailNumber(double x, char decimal) {
    if (!std::isfinite(x)) {
        return std::isnan(x) ? QString("NA") : x > 0 ? QString("∞") : QString("−∞");
    }
    // As R prints numbers: scientific below 0.0001 and from a million on (2.34693e-05 as
    // 2.34693e-5, the exponent's zeros dropped).
    QString text = QString::number(x, 'g', 6);
    static const QRegularExpression exponent("e([+-])0*(\\d)");
    text.replace(exponent, "e\\1\\2");
    if (decimal != '.') {
        text.replace('.', QChar(decimal));
    }
    return text;
}

QString detailInterval(const std::pair<double, double>& interval, char decimal) {
    const QString separator = decimal == ',' ? "; " : ", ";
    return "[" + detailNumber(interval.first, decimal) + separator +
           detailNumber(interval.second, decimal) + "]";
}

QString detailCount(std::uint64_t n) {
    return QLocale().toString(static_cast<qulonglong>(n));
}

} // namespace kw::app
