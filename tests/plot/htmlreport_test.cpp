// The shareable report: the HTML holds every table of the analysis with header cells, escapes
// whatever the data's names hold, stays valid UTF-8 and refers to nothing outside itself;
// the selection shows the user's conditions only; the printed form is a PDF of several pages
// whose pictures are there.

#include "plot/htmlreport.h"

#include "core/io/textreader.h"
#include "core/plots/comparisondetails.h"
#include "core/session/session.h"
#include "support/sessionsteps.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>
#include <QUtf8StringView>

#include <memory>
#include <string>

namespace {

using kw::plot::ReportContent;

// A session calculated on `text` (names in its first line), group and test the first two.
kw::Session calculated(const std::string& text, int calculations = 1) {
    kw::Session s;
    s.loadImportedTable(kw::readTextData(text), "data.txt", "-99");
    s.pickGroup(0);
    s.setGroupMode(kw::GroupMode::texts);
    s.pickTest(1);
    for (int i = 0; i < calculations; ++i) {
        kw::test::calculate(s);
    }
    return s;
}

const std::string oddNames = "g v\n"
                             "<b>&\"x 1\n<b>&\"x 2\n<b>&\"x 3\n<b>&\"x 2\n"
                             "café 5\ncafé 6\ncafé 7\ncafé 6\n"
                             "z\xff 9\nz\xff 10\nz\xff 11\nz\xff 12\n";

ReportContent contentOf(const kw::Session& s, bool full) {
    kw::DetailsRequest asked;
    asked.alpha = s.values().alpha;
    auto details =
        std::make_shared<const kw::Details>(full ? kw::computeDetails(*s.groupedCases(), asked)
                                                 : kw::comparisonDetails(*s.groupedCases(), asked));
    return kw::plot::reportContent(s, "data.txt", details, full);
}

int count(const QString& text, const QString& what) {
    return static_cast<int>(text.count(what));
}

TEST(HtmlReport, TablesEscapedSelfContainedUtf8) {
    const kw::Session s = calculated(oddNames);
    const QByteArray bytes = kw::plot::reportHtml(contentOf(s, true));
    ASSERT_TRUE(QUtf8StringView(bytes).isValidUtf8());
    const QString html = QString::fromUtf8(bytes);

    // The names: escaped, the invalid byte replaced, never markup.
    EXPECT_FALSE(html.contains("<b>"));
    EXPECT_TRUE(html.contains("<th scope=\"row\">&lt;b&gt;&amp;&quot;x</th>"));
    EXPECT_TRUE(html.contains(QString::fromUtf8("<th scope=\"row\">café</th>")));
    EXPECT_TRUE(html.contains(QString::fromUtf8("z\xef\xbf\xbd")));

    // Every table opens with a header row; each of the analysis's is there.
    const int tables = count(html, "<table");
    EXPECT_EQ(tables, count(html, "</table>"));
    EXPECT_EQ(tables, count(html, "<thead><tr><th"));
    for (const char* heading :
         {">Data<", ">Overall test<", ">Groups<", ">Multiple comparison of groups<", "Descriptives",
          "Effect sizes", "Pairwise comparisons: Dunn's test", ">For a paper<", ">Methods<",
          ">Plots<"}) {
        EXPECT_TRUE(html.contains(heading)) << heading;
    }
    EXPECT_EQ(tables, 9); // data, test, groups, * / NS, descriptives, p, effects, pairs, letters

    // Nothing from elsewhere: the plots are SVG inside the file.
    EXPECT_FALSE(html.contains("http:"));
    EXPECT_FALSE(html.contains("<script"));
    EXPECT_EQ(count(html, "<img src=\"data:image/svg+xml;base64,"), 3);
    EXPECT_EQ(count(html, "<img "), 3);
}

TEST(HtmlReport, SelectionAndMissingCodeAsTheUserGaveThem) {
    // Each calculation appends the missing-value condition: not the user's selection.
    kw::Session s = calculated(oddNames, 2);
    QString html = QString::fromUtf8(kw::plot::reportHtml(contentOf(s, false)));
    EXPECT_TRUE(html.contains("<th scope=\"row\">Selection</th><td>all cases</td>"));
    EXPECT_TRUE(html.contains("<th scope=\"row\">Missing-value code</th><td>-99</td>"));
    EXPECT_TRUE(html.contains("<th scope=\"row\">Data source</th><td>data.txt</td>"));

    s.addCondition(0, 1, std::string("<b>&\"x"));
    kw::test::calculate(s);
    html = QString::fromUtf8(kw::plot::reportHtml(contentOf(s, false)));
    EXPECT_TRUE(
        html.contains("<th scope=\"row\">Selection</th><td>g&lt;&gt;&lt;b&gt;&amp;&quot;x</td>"))
        << html.toStdString();
    // Two groups left: one pair, and without the resampling no line for a paper.
    EXPECT_FALSE(html.contains(">For a paper<"));
    EXPECT_TRUE(html.contains("once the details are computed"));
}

TEST(HtmlReport, NotSignificantHasNoComparisonTable) {
    const kw::Session s = calculated("g v\na 1\na 2\na 3\nb 2\nb 3\nb 1\n");
    ASSERT_FALSE(s.values().pValue < s.values().alpha);
    const QString html = QString::fromUtf8(kw::plot::reportHtml(contentOf(s, false)));
    EXPECT_FALSE(html.contains("grouped_by"));
    EXPECT_TRUE(html.contains("No multiple comparison of groups"));
}

TEST(HtmlReport, PrintedAsPdfWithItsPictures) {
    const kw::Session s = calculated(oddNames);
    const ReportContent content = contentOf(s, true);

    QTextDocument document;
    kw::plot::fillReportDocument(document, content);
    for (const char* kind : {"box", "ranks", "pairs"}) {
        const QImage picture =
            document
                .resource(QTextDocument::ImageResource, QUrl(QString("kwplot-%1.png").arg(kind)))
                .value<QImage>();
        EXPECT_FALSE(picture.isNull()) << kind;
        EXPECT_GE(picture.width(), 1600) << kind; // twice the layout: sharp on paper
    }
    const QString plain = document.toPlainText();
    EXPECT_TRUE(plain.contains(QString::fromUtf8("<b>&\"x")));
    EXPECT_TRUE(plain.contains("H(2) = "));

    const QByteArray pdf = kw::plot::reportPdf(content);
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    const int pages =
        static_cast<int>(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")));
    EXPECT_GE(pages, 2);
    EXPECT_LE(pages, 8);
}

} // namespace
