#include "plot/plotexport.h"

#include "plot/boxplot.h"
#include "plot/pairsplot.h"
#include "plot/plotstyle.h"
#include "plot/rankplot.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

namespace kw::plot {

const char* plotKindName(PlotKind kind) {
    switch (kind) {
    case PlotKind::box:
        return "box";
    case PlotKind::ranks:
        return "ranks";
    case PlotKind::pairs:
        return "pairs";
    }
    return "box";
}

std::optional<PlotKind> plotKindNamed(std::string_view name) {
    for (const PlotKind kind : {PlotKind::box, PlotKind::ranks, PlotKind::pairs}) {
        if (name == plotKindName(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

QString plotTitle(PlotKind kind, const PlotSummary& s) {
    const QString test = QString::fromStdString(s.testName);
    const QString group = QString::fromStdString(s.groupName);
    switch (kind) {
    case PlotKind::box:
        return QStringLiteral("Box plot of %1 by %2").arg(test, group);
    case PlotKind::ranks:
        return QStringLiteral("Mean ranks of %1 by %2").arg(test, group);
    case PlotKind::pairs:
        return QStringLiteral("Pairwise comparisons of %1 by %2").arg(test, group);
    }
    return QString();
}

void drawPlot(QPainter& painter, PlotKind kind, const PlotSummary& summary, QSizeF size) {
    switch (kind) {
    case PlotKind::box:
        drawBoxPlot(painter, summary, size);
        break;
    case PlotKind::ranks:
        drawRankPlot(painter, summary, size);
        break;
    case PlotKind::pairs:
        drawPairsPlot(painter, summary, size);
        break;
    }
}

void drawPlotScaled(QPainter& painter, PlotKind kind, const PlotSummary& summary, QSizeF size,
                    const QRectF& target) {
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / size.width(), target.height() / size.height());
    drawPlot(painter, kind, summary, size);
    painter.restore();
}

std::optional<ImageFormat> imageFormatOf(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    std::string ext(fileName.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "png") {
        return ImageFormat::png;
    }
    if (ext == "svg") {
        return ImageFormat::svg;
    }
    if (ext == "pdf") {
        return ImageFormat::pdf;
    }
    return std::nullopt;
}

QByteArray renderPng(PlotKind kind, const PlotSummary& summary, QSizeF size, int dpi) {
    const double k = dpi / designDpi;
    // The image keeps its default 96 dpi while it is painted (fonts are sized in pixels, but
    // nothing should follow the device's resolution); its resolution is set afterwards.
    QImage image((size * k).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(k, k);
        drawPlot(painter, kind, summary, size);
    }
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "PNG");
    return bytes;
}

QByteArray renderSvg(PlotKind kind, const PlotSummary& summary, QSizeF size,
                     const QString& creator) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), size));
    svg.setResolution(static_cast<int>(designDpi)); // the default 72 would shrink the text
    svg.setTitle(plotTitle(kind, summary));
    svg.setDescription(creator);
    QPainter painter(&svg);
    drawPlot(painter, kind, summary, size);
    painter.end();
    return bytes;
}

QByteArray renderPdf(PlotKind kind, const PlotSummary& summary, QSizeF size,
                     const QString& creator) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(size * 0.75, QPageSize::Point, QStringLiteral("plot")));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(static_cast<int>(designDpi)); // 1 device pixel = 1 design pixel
        pdf.setTitle(plotTitle(kind, summary));
        pdf.setCreator(creator);
        QPainter painter(&pdf);
        drawPlot(painter, kind, summary, size);
    }
    return bytes;
}

QByteArray renderPlot(ImageFormat format, PlotKind kind, const PlotSummary& summary, QSizeF size,
                      int dpi, const QString& creator) {
    switch (format) {
    case ImageFormat::png:
        return renderPng(kind, summary, size, dpi);
    case ImageFormat::svg:
        return renderSvg(kind, summary, size, creator);
    case ImageFormat::pdf:
        return renderPdf(kind, summary, size, creator);
    }
    return {};
}

bool fontsAvailable() {
    return !QFontDatabase::families().isEmpty() &&
           !QFontInfo(plotFont(smallTextPixels)).family().isEmpty();
}

} // namespace kw::plot
