#include "plot/rankplot.h"

#include "plot/boxplot.h"
#include "plot/plotstyle.h"

#include <QPainter>

#include <algorithm>

namespace kw::plot {

GroupPanel layoutRankPlot(const PlotSummary& s, QSizeF size) {
    GroupPanelSpec spec = groupSpec(s);
    spec.valueTitle = QStringLiteral("mean rank of ") + QString::fromStdString(s.testName);
    spec.note = QStringLiteral("Mean rank ± %1 SE, SE² = S²(1/n − 1/N): its spread were the "
                               "ranks dealt to the groups at random. Dashed: (N + 1)/2 = %2.")
                    .arg(shortNumber(s.ranks.z), shortNumber(s.ranks.expected));
    spec.low = s.ranks.expected;
    spec.high = s.ranks.expected;
    for (const RankInterval& r : s.ranks.groups) {
        spec.low = std::min(spec.low, std::max(r.low, 1.0));
        spec.high = std::max(spec.high, std::min(r.high, static_cast<double>(s.caseCount)));
    }
    return layoutGroupPanel(spec, size);
}

void drawRankPlot(QPainter& painter, const PlotSummary& s, QSizeF size) {
    const GroupPanel layout = layoutRankPlot(s, size);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    drawGroupPanel(painter, layout);
    painter.setClipRect(layout.panel.adjusted(-1, -1, 1, 1));
    QPen reference(mutedColor, 1, Qt::DashLine);
    painter.setPen(reference);
    const double ry = layout.y(s.ranks.expected);
    painter.drawLine(QPointF(layout.panel.left(), ry), QPointF(layout.panel.right(), ry));

    const double cap = std::min(markWidth(layout) / 3, 10.0);
    const double radius = std::clamp(layout.slot / 8, 1.5, 4.0);
    QPen bar(inkColor, 1.4);
    bar.setCapStyle(Qt::FlatCap);
    for (std::size_t g = 0; g < s.ranks.groups.size(); ++g) {
        const RankInterval& r = s.ranks.groups[g];
        const double cx = layout.centers[g];
        // No mean rank lies outside 1..N: the normal interval is cut there.
        const double low = std::max(r.low, 1.0);
        const double high = std::min(r.high, static_cast<double>(s.caseCount));
        painter.setPen(bar);
        painter.setBrush(Qt::NoBrush);
        painter.drawLine(QPointF(cx, layout.y(low)), QPointF(cx, layout.y(high)));
        painter.drawLine(QPointF(cx - cap, layout.y(low)), QPointF(cx + cap, layout.y(low)));
        painter.drawLine(QPointF(cx - cap, layout.y(high)), QPointF(cx + cap, layout.y(high)));
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(okabeIto::vermillion);
        painter.drawEllipse(QPointF(cx, layout.y(r.meanRank)), radius, radius);
    }
    painter.restore();
}

} // namespace kw::plot
