// The plots' files: every kind as PNG, SVG and PDF, offscreen; the PNG at the resolution asked
// with its text growing with it, the SVG valid XML with its text kept as text, the PDF a PDF
// of the design's page size; the same data always give the same picture.

#include "plot/plotexport.h"
#include "plotdata.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QXmlStreamReader>

#include <cmath>
#include <string>

namespace {

using kw::plot::ImageFormat;
using kw::plot::PlotKind;

kw::PlotSummary plants() {
    return kw::test::plotSummaryOf(
        {{"ctrl", {"4.17", "5.58", "5.18", "6.11", "4.50", "4.61", "5.17", "4.53", "5.33", "5.14"}},
         {"trt1", {"4.81", "4.17", "4.41", "3.59", "5.87", "3.83", "6.03", "4.89", "4.32", "4.69"}},
         {"trt2",
          {"6.31", "5.12", "5.54", "5.50", "5.37", "5.29", "4.92", "6.15", "5.80", "5.26"}}});
}

// The rows of the image's top band (the header line above the plot) that hold dark pixels.
std::pair<int, int> inkRows(const QImage& image, int bandHeight) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < std::min(bandHeight, image.height()); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                if (first < 0) {
                    first = y;
                }
                last = y;
                break;
            }
        }
    }
    return {first, last};
}

TEST(PlotExport, EveryKindInEveryFormat) {
    // The examples' kinds of data: few cases, a group of one, heavy ties, two groups.
    const kw::PlotSummary summaries[] = {
        plants(),
        kw::test::plotSummaryOf(
            {{"a", {"1", "1", "1", "2"}}, {"b", {"7"}}, {"c", {"1", "3", "3", "3", "3", "30"}}}),
        kw::test::plotSummaryOf({{"x", {"1", "2"}}, {"y", {"3", "4"}}}),
    };
    for (const auto& summary : summaries) {
        for (const PlotKind kind : {PlotKind::box, PlotKind::ranks, PlotKind::pairs}) {
            const std::string what = kw::plot::plotKindName(kind);
            const QByteArray png = kw::plot::renderPng(kind, summary, {800, 500}, 150);
            QImage image;
            ASSERT_TRUE(image.loadFromData(png, "PNG")) << what;
            EXPECT_EQ(image.size(), QSize(1250, 781)) << what;
            EXPECT_EQ(image.dotsPerMeterX(), 5906) << what; // 150 dpi
            EXPECT_EQ(image.dotsPerMeterY(), 5906) << what;
            EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255)) << what; // a white ground

            const QByteArray svg = kw::plot::renderSvg(kind, summary, {800, 500}, "test");
            QXmlStreamReader xml(svg);
            QString title;
            int texts = 0;
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement) {
                    if (xml.name() == QLatin1String("title")) {
                        title = xml.readElementText();
                    } else if (xml.name() == QLatin1String("text")) {
                        ++texts;
                    } else if (xml.name() == QLatin1String("svg")) {
                        EXPECT_EQ(xml.attributes().value("viewBox"), QLatin1String("0 0 800 500"));
                    }
                }
            }
            EXPECT_FALSE(xml.hasError()) << what << ": " << xml.errorString().toStdString();
            EXPECT_EQ(title, kw::plot::plotTitle(kind, summary)) << what;
            EXPECT_GT(texts, 5) << what;

            const QByteArray pdf = kw::plot::renderPdf(kind, summary, {800, 500}, "test");
            EXPECT_TRUE(pdf.startsWith("%PDF-")) << what;
            EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF")) << what;
            // The page: 800 x 500 px in pt.
            EXPECT_TRUE(pdf.contains("/MediaBox [0 0 600.000000 375.000000]")) << what;
        }
    }
}

TEST(PlotExport, TextGrowsWithTheResolution) {
    // The header line's ink, 15 design pixels of bold text, is about as many times higher as
    // the resolution is (fonts sized in points would follow the device instead).
    const auto summary = plants();
    QImage low;
    QImage high;
    ASSERT_TRUE(low.loadFromData(kw::plot::renderPng(PlotKind::box, summary, {800, 500}, 96)));
    ASSERT_TRUE(high.loadFromData(kw::plot::renderPng(PlotKind::box, summary, {800, 500}, 300)));
    EXPECT_EQ(high.size(), QSize(2500, 1563));
    EXPECT_EQ(high.dotsPerMeterX(), 11811);
    const auto [lowTop, lowBottom] = inkRows(low, 32);
    const auto [highTop, highBottom] = inkRows(high, 100);
    ASSERT_GE(lowTop, 0);
    ASSERT_GE(highTop, 0);
    const double lowHeight = lowBottom - lowTop + 1;
    const double highHeight = highBottom - highTop + 1;
    EXPECT_GE(lowHeight, 11);
    EXPECT_NEAR(highHeight / lowHeight, 300.0 / 96, 0.3);
    EXPECT_NEAR(highTop / double(lowTop), 300.0 / 96, 0.4);
}

TEST(PlotExport, SameDataSamePicture) {
    const auto summary = plants();
    EXPECT_EQ(kw::plot::renderPng(PlotKind::box, summary, {640, 400}, 96),
              kw::plot::renderPng(PlotKind::box, summary, {640, 400}, 96));
    EXPECT_EQ(kw::plot::renderSvg(PlotKind::box, summary, {640, 400}, "test"),
              kw::plot::renderSvg(PlotKind::box, summary, {640, 400}, "test"));
}

TEST(PlotExport, NamesAndFormats) {
    EXPECT_EQ(kw::plot::imageFormatOf("a/b.SVG"), ImageFormat::svg);
    EXPECT_EQ(kw::plot::imageFormatOf("plot.png"), ImageFormat::png);
    EXPECT_EQ(kw::plot::imageFormatOf("plot.Pdf"), ImageFormat::pdf);
    EXPECT_FALSE(kw::plot::imageFormatOf("plot.jpg"));
    EXPECT_FALSE(kw::plot::imageFormatOf("plot"));
    EXPECT_EQ(kw::plot::plotKindNamed("ranks"), PlotKind::ranks);
    EXPECT_FALSE(kw::plot::plotKindNamed("violin"));
    EXPECT_TRUE(kw::plot::fontsAvailable());
    EXPECT_EQ(kw::plot::plotTitle(PlotKind::box, plants()),
              QStringLiteral("Box plot of value by group"));
}

} // namespace
