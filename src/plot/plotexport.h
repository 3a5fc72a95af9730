#pragma once

#include "core/plots/plotsummary.h"

#include <QByteArray>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <string_view>

class QPainter;

namespace kw::plot {

enum class PlotKind { box, ranks, pairs };

const char* plotKindName(PlotKind kind); // box, ranks, pairs
std::optional<PlotKind> plotKindNamed(std::string_view name);
// What the plot shows, for a document's title: "Box plot of weight by group".
QString plotTitle(PlotKind kind, const PlotSummary& summary);

// Draws the plot into the design space [0, size] of the painter's current coordinates.
void drawPlot(QPainter& painter, PlotKind kind, const PlotSummary& summary, QSizeF size);
// Draws the plot laid out at `size` design pixels, scaled to fill `target` (a widget, a page).
void drawPlotScaled(QPainter& painter, PlotKind kind, const PlotSummary& summary, QSizeF size,
                    const QRectF& target);

enum class ImageFormat { png, svg, pdf };
// By the file name's extension (.png, .svg, .pdf, any case).
std::optional<ImageFormat> imageFormatOf(std::string_view fileName);

// The picture as the bytes of a file. PNG: size * dpi / 96 pixels, its resolution recorded
// (pHYs); SVG: size in 96-dpi pixels, text kept as text; PDF: one page of the design size
// (1 px = 0.75 pt), vector, its fonts embedded. `creator` names the program in the metadata.
QByteArray renderPng(PlotKind kind, const PlotSummary& summary, QSizeF size, int dpi);
QByteArray renderSvg(PlotKind kind, const PlotSummary& summary, QSizeF size,
                     const QString& creator);
QByteArray renderPdf(PlotKind kind, const PlotSummary& summary, QSizeF size,
                     const QString& creator);
QByteArray renderPlot(ImageFormat format, PlotKind kind, const PlotSummary& summary, QSizeF size,
                      int dpi, const QString& creator);

// Whether text can be drawn: a font family is there (offscreen Qt draws boxes for every
// glyph, silently, when fontconfig finds no font). Needs a QGuiApplication.
bool fontsAvailable();

} // namespace kw::plot
