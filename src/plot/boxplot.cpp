#include "plot/boxplot.h"

#include "plot/plotstyle.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kw::plot {

namespace {

// splitmix64: the points' jitter, the same on every machine and in every run.
class Jitter {
public:
    explicit Jitter(std::uint64_t seed) : state_(seed) {}
    double next() { // in [-1, 1)
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) / 4503599627370496.0 - 1;
    }

private:
    std::uint64_t state_;
};

QString adjustmentTitle(const std::string& adjustment) {
    if (adjustment == "none") {
        return QStringLiteral("unadjusted");
    }
    if (adjustment == "bh") {
        return QStringLiteral("Benjamini-Hochberg");
    }
    if (adjustment == "by") {
        return QStringLiteral("Benjamini-Yekutieli");
    }
    if (adjustment == "holm-sidak") {
        return QStringLiteral("Holm-Sidak");
    }
    if (adjustment == "sidak") {
        return QStringLiteral("Sidak");
    }
    QString name = QString::fromStdString(adjustment);
    name[0] = name[0].toUpper();
    return name;
}

} // namespace

QString testHeader(const PlotSummary& s) {
    return QStringLiteral("Kruskal-Wallis H = %1, df = %2, p %3, N = %4")
        .arg(shortNumber(s.h))
        .arg(s.df)
        .arg(s.p < 0.001 ? QStringLiteral("< 0.001") : QStringLiteral("= ") + pText(s.p))
        .arg(s.caseCount);
}

// The note says how the letters were found, so that the picture stands on its own.
static QString lettersNote(const PlotSummary& s) {
    if (s.letters.empty() || !s.pairs) {
        return QString();
    }
    const std::string& m = s.pairs->method;
    const QString method = m == "dunn"      ? QStringLiteral("Dunn")
                           : m == "conover" ? QStringLiteral("Conover-Iman")
                                            : QStringLiteral("DSCF");
    const QString adjusted =
        m == "dscf" ? QString() : QStringLiteral(", ") + adjustmentTitle(s.pairs->adjustment);
    return QStringLiteral("Groups sharing a letter do not differ (%1%2, α = %3).")
        .arg(method, adjusted, shortNumber(s.alpha));
}

GroupPanelSpec groupSpec(const PlotSummary& s) {
    GroupPanelSpec spec;
    spec.header = testHeader(s);
    spec.groupTitle = QString::fromStdString(s.groupName);
    for (std::size_t g = 0; g < s.groups.size(); ++g) {
        spec.groups.push_back(QString::fromStdString(s.groups[g]));
        spec.sizes.push_back(s.boxes[g].n);
    }
    for (const std::string& l : s.letters) {
        spec.letters.push_back(QString::fromStdString(l));
    }
    spec.lettersNote = lettersNote(s);
    return spec;
}

GroupPanel layoutBoxPlot(const PlotSummary& s, QSizeF size) {
    GroupPanelSpec spec = groupSpec(s);
    spec.valueTitle = QString::fromStdString(s.testName);
    spec.note = QStringLiteral("Box: quartiles and median; whiskers: to 1.5 IQR.");
    if (!s.boxes.empty()) {
        spec.low = s.boxes.front().min;
        spec.high = s.boxes.front().max;
        for (const BoxSummary& b : s.boxes) {
            spec.low = std::min(spec.low, b.min);
            spec.high = std::max(spec.high, b.max);
        }
    }
    return layoutGroupPanel(spec, size);
}

void drawBoxPlot(QPainter& painter, const PlotSummary& s, QSizeF size) {
    const GroupPanel layout = layoutBoxPlot(s, size);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    drawGroupPanel(painter, layout);
    painter.setClipRect(layout.panel.adjusted(-1, -1, 1, 1));
    const double width = markWidth(layout);
    const double radius = std::clamp(width / 10, 1.2, 2.6);
    const bool points = !s.points.empty();
    QPen line(inkColor, 1.2);
    line.setCapStyle(Qt::FlatCap);
    for (std::size_t g = 0; g < s.boxes.size(); ++g) {
        const BoxSummary& b = s.boxes[g];
        const double cx = layout.centers[g];
        const double x0 = cx - width / 2;
        const double x1 = cx + width / 2;
        painter.setPen(line);
        if (b.n > 1) {
            // Whiskers, then the box over them; a whisker that ends inside the box is not drawn.
            if (b.lowerWhisker < b.q1) {
                painter.drawLine(QPointF(cx, layout.y(b.q1)),
                                 QPointF(cx, layout.y(b.lowerWhisker)));
                painter.drawLine(QPointF(cx - width / 4, layout.y(b.lowerWhisker)),
                                 QPointF(cx + width / 4, layout.y(b.lowerWhisker)));
            }
            if (b.upperWhisker > b.q3) {
                painter.drawLine(QPointF(cx, layout.y(b.q3)),
                                 QPointF(cx, layout.y(b.upperWhisker)));
                painter.drawLine(QPointF(cx - width / 4, layout.y(b.upperWhisker)),
                                 QPointF(cx + width / 4, layout.y(b.upperWhisker)));
            }
            QColor fill = okabeIto::skyBlue;
            fill.setAlpha(90);
            painter.setBrush(fill);
            painter.drawRect(QRectF(QPointF(x0, layout.y(b.q3)), QPointF(x1, layout.y(b.q1))));
            painter.setBrush(Qt::NoBrush);
        }
        // The median: a heavy line across the box (alone for a group of one case).
        QPen median(inkColor, 2.6);
        median.setCapStyle(Qt::FlatCap);
        painter.setPen(median);
        painter.drawLine(QPointF(x0, layout.y(b.median)), QPointF(x1, layout.y(b.median)));

        if (points) {
            // Every case across the box at a random place (the jitter of a group depends on
            // nothing but its place, so the same data always make the same picture); the cases
            // of a tied value side by side in a row where the row fits, so that they can be
            // counted.
            Jitter jitter(0x5EED0000ULL + g);
            QColor dot = okabeIto::blue;
            dot.setAlpha(150);
            painter.setPen(Qt::NoPen);
            painter.setBrush(dot);
            const double spread = b.n == 1 ? 0 : width * 0.4;
            for (const ValueCount& v : s.points[g]) {
                const double y = layout.y(v.value);
                const double step = 2.4 * radius;
                if (v.count == 1 || step * static_cast<double>(v.count - 1) > 2 * spread) {
                    for (std::uint64_t c = 0; c < v.count; ++c) {
                        painter.drawEllipse(QPointF(cx + spread * jitter.next(), y), radius,
                                            radius);
                    }
                    continue;
                }
                const double first = cx - step * static_cast<double>(v.count - 1) / 2;
                for (std::uint64_t c = 0; c < v.count; ++c) {
                    painter.drawEllipse(QPointF(first + step * static_cast<double>(c), y), radius,
                                        radius);
                }
            }
            painter.setBrush(Qt::NoBrush);
        } else {
            // The outliers as open circles; a group of one case as its point.
            painter.setPen(QPen(inkColor, 1));
            for (const ValueCount& v : b.outliers) {
                painter.drawEllipse(QPointF(cx, layout.y(v.value)), radius, radius);
            }
            if (b.n == 1) {
                painter.setBrush(inkColor);
                painter.drawEllipse(QPointF(cx, layout.y(b.median)), radius, radius);
                painter.setBrush(Qt::NoBrush);
            }
        }
    }
    painter.restore();
}

} // namespace kw::plot
