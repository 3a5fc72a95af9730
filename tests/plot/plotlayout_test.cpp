// The plots' layouts: whatever the number of groups, the length of their names and the size
// of the picture, no text overlaps another or the data, none leaves the page, and none is
// smaller than 9 pt.

#include "plot/boxplot.h"
#include "plot/pairsplot.h"
#include "plot/plotstyle.h"
#include "plot/rankplot.h"
#include "plotdata.h"

#include <gtest/gtest.h>

#include <QFontInfo>

#include <cstdio>
#include <set>
#include <string>

namespace {

using kw::plot::PlacedText;

std::string numbered(const char* stem, int i) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%02d", stem, i);
    return buffer;
}

std::string describe(const PlacedText& t) {
    const QRectF b = t.bounds();
    return t.text.toStdString() + " at " + std::to_string(b.x()) + "," + std::to_string(b.y()) +
           " " + std::to_string(b.width()) + "x" + std::to_string(b.height());
}

// Every text inside the page, clear of every other text and of the area `clear`, and at
// least 12 design pixels (9 pt) high.
void expectTextsApart(const std::vector<const PlacedText*>& texts, QSizeF page, QRectF clear,
                      const std::string& what) {
    const QRectF inside = QRectF(QPointF(0, 0), page).adjusted(-0.5, -0.5, 0.5, 0.5);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const PlacedText& a = *texts[i];
        EXPECT_GE(a.font.pixelSize(), kw::plot::smallTextPixels) << what << ": " << describe(a);
        EXPECT_TRUE(inside.contains(a.bounds())) << what << ": off the page: " << describe(a);
        EXPECT_FALSE(a.outline().intersects(QPolygonF(clear.adjusted(1, 1, -1, -1))))
            << what << ": over the data: " << describe(a);
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const PlacedText& b = *texts[j];
            EXPECT_FALSE(a.outline().intersects(b.outline()))
                << what << ": " << describe(a) << " overlaps " << describe(b);
        }
    }
}

TEST(PlotLayout, GroupPlotsKeepTheirTextsApart) {
    const auto longName = [](int i) {
        static const char* const stems[] = {"high_dose_treatment_", "low_dose_treatment_",
                                            "placebo_control_group_"};
        return numbered(stems[i % 3], i);
    };
    const auto shortName = [](int i) { return numbered("g", i); };
    struct Case {
        int groups;
        bool longNames;
        QSizeF size;
    };
    const Case cases[] = {
        {2, false, {800, 500}},   {2, true, {800, 500}},   {3, true, {400, 300}},
        {6, false, {800, 500}},   {12, true, {800, 500}},  {30, true, {800, 500}},
        {30, true, {1600, 1000}}, {30, false, {300, 250}}, {100, true, {800, 500}},
        {100, false, {400, 300}},
    };
    for (const Case& c : cases) {
        const auto summary = c.longNames ? kw::test::manyGroups(c.groups, 4, longName)
                                         : kw::test::manyGroups(c.groups, 4, shortName);
        const std::string what = std::to_string(c.groups) + (c.longNames ? " long" : " short") +
                                 " names at " + std::to_string(int(c.size.width())) + "x" +
                                 std::to_string(int(c.size.height()));
        const auto box = kw::plot::layoutBoxPlot(summary, c.size);
        expectTextsApart(box.texts(), c.size, box.panel, "box, " + what);
        EXPECT_TRUE(box.letters.empty() || box.letters.size() == std::size_t(c.groups)) << what;
        QString note;
        for (const PlacedText& line : box.notes) {
            note += line.text + QLatin1Char(' ');
        }
        if (!note.contains(QChar(0x2026))) { // not cut short
            EXPECT_EQ(note.contains(QStringLiteral("Letters left out")), box.letters.empty())
                << what;
        }
        const auto ranks = kw::plot::layoutRankPlot(summary, c.size);
        expectTextsApart(ranks.texts(), c.size, ranks.panel, "ranks, " + what);
        // Every group is named, unless the slots are narrower than a line of text.
        if (box.slot >= 20) {
            EXPECT_EQ(box.labels.names.size(), std::size_t(c.groups)) << what;
            EXPECT_EQ(box.letters.size(), std::size_t(c.groups)) << what;
        }
        EXPECT_GT(box.panel.height(), c.size.height() / 4) << what;
    }
}

TEST(PlotLayout, GroupNamesByTheRule) {
    // Two groups: the names and "n = 5" horizontal, under the groups.
    const auto two = kw::test::plotSummaryOf(
        {{"ctrl", {"1", "2", "3", "4", "5"}}, {"trt", {"3", "4", "5", "6", "7"}}});
    const auto box = kw::plot::layoutBoxPlot(two, {800, 500});
    EXPECT_EQ(box.labels.mode, kw::plot::GroupLabels::Mode::horizontal);
    ASSERT_EQ(box.labels.sizes.size(), 2u);
    EXPECT_EQ(box.labels.sizes[0].text, QStringLiteral("n = 5"));
    EXPECT_EQ(box.labels.names[1].text, QStringLiteral("trt"));
    EXPECT_NEAR(box.labels.names[1].bounds().center().x(), box.centers[1], 0.5);
    EXPECT_EQ(box.valueTitle.text, QStringLiteral("value"));
    EXPECT_EQ(box.groupTitle.text, QStringLiteral("group"));

    // Long names that differ only at their ends: turned (slanted for 12, upright for 30), cut
    // in the middle so that they still differ; the sizes in a row of their own under the axis.
    for (const int k : {12, 30}) {
        const auto summary = kw::test::manyGroups(
            k, 3, [](int i) { return numbered("placebo_control_group_number_", i); });
        const auto many = kw::plot::layoutBoxPlot(summary, {800, 500});
        EXPECT_EQ(many.labels.mode, k == 12 ? kw::plot::GroupLabels::Mode::slanted
                                            : kw::plot::GroupLabels::Mode::upright);
        std::set<QString> texts;
        for (const PlacedText& t : many.labels.names) {
            texts.insert(t.text);
            EXPECT_TRUE(t.text.startsWith(QStringLiteral("placebo"))) << t.text.toStdString();
            EXPECT_TRUE(t.text.contains(QChar(0x2026))) << t.text.toStdString();
        }
        EXPECT_EQ(texts.size(), std::size_t(k));
        EXPECT_TRUE(many.labels.names[7].text.endsWith(QStringLiteral("07")));
        ASSERT_EQ(many.labels.sizes.size(), std::size_t(k + 1));
        EXPECT_EQ(many.labels.sizes[0].text, QStringLiteral("3"));
        EXPECT_EQ(many.labels.sizes[std::size_t(k)].text, QStringLiteral("n"));
    }
    // Where the sizes do not fit their slots, they follow the names.
    const auto wide = kw::test::manyGroups(
        12, 1200, [](int i) { return numbered("placebo_control_group_number_", i); });
    const auto crowded = kw::plot::layoutBoxPlot(wide, {400, 300});
    ASSERT_FALSE(crowded.labels.names.empty());
    EXPECT_TRUE(crowded.labels.names[0].text.endsWith(QStringLiteral(" (1200)")) ||
                crowded.labels.names[0].text.endsWith(QStringLiteral(" (n = 1200)")))
        << crowded.labels.names[0].text.toStdString();

    // Names that differ at their start are cut at their end.
    const auto starts = kw::test::manyGroups(30, 3, [](int i) {
        return numbered("g", i) + "_with_a_very_long_description_of_the_treatment";
    });
    const auto cut = kw::plot::layoutBoxPlot(starts, {800, 500});
    EXPECT_TRUE(cut.labels.names[7].text.startsWith(QStringLiteral("g07_with")))
        << cut.labels.names[7].text.toStdString();

    // Too many groups for a line each: upright, every m-th named.
    const auto hundred = kw::test::manyGroups(100, 2, [](int i) { return numbered("g", i); });
    const auto dense = kw::plot::layoutBoxPlot(hundred, {400, 300});
    EXPECT_EQ(dense.labels.mode, kw::plot::GroupLabels::Mode::upright);
    EXPECT_GT(dense.labels.every, 1);
}

TEST(PlotLayout, HeatMapKeepsItsTextsApart) {
    for (const int k : {2, 3, 6, 30, 60}) {
        for (const QSizeF size : {QSizeF(800, 500), QSizeF(400, 300), QSizeF(1200, 1200)}) {
            const auto summary = kw::test::manyGroups(
                k, 4, [](int i) { return numbered("placebo_control_group_", i); });
            const auto layout = kw::plot::layoutPairsPlot(summary, size);
            const std::string what = std::to_string(k) + " groups at " +
                                     std::to_string(int(size.width())) + "x" +
                                     std::to_string(int(size.height()));
            // The texts in the cells are the only ones over the grid.
            std::vector<const PlacedText*> around;
            for (const PlacedText* t : layout.texts()) {
                if (std::find_if(layout.values.begin(), layout.values.end(),
                                 [t](const PlacedText& v) { return &v == t; }) ==
                    layout.values.end()) {
                    around.push_back(t);
                }
            }
            expectTextsApart(around, size, layout.grid, "pairs, " + what);
            EXPECT_TRUE(QRectF(QPointF(0, 0), size).contains(layout.grid)) << what;
            EXPECT_FALSE(layout.grid.intersects(layout.legendBar)) << what;
            for (const PlacedText& v : layout.values) {
                // Each value inside its cell.
                EXPECT_LE(v.box.width(), layout.cell) << what;
            }
            if (k <= 6 && size.width() >= 800) {
                EXPECT_EQ(layout.values.size(), std::size_t(k * (k - 1) / 2)) << what;
            }
        }
    }
    // Without comparisons, the map says so.
    auto none = kw::test::manyGroups(3, 4, [](int i) { return numbered("g", i); });
    none.pairs.reset();
    EXPECT_FALSE(kw::plot::layoutPairsPlot(none, {800, 500}).message.isEmpty());
}

} // namespace
