#include "plot/htmlreport.h"

#include "core/base/numbers.h"
#include "core/base/version.h"
#include "core/results/detailsreport.h"
#include "core/session/session.h"
#include "plot/plotexport.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QStringList>
#include <QTextDocument>
#include <QUrl>

#include <cmath>
#include <utility>

namespace kw::plot {

namespace {

// The plots' layout size, as kwtest's --plot draws them by default.
const QSizeF plotSize(800, 500);
constexpr PlotKind plotKinds[3] = {PlotKind::box, PlotKind::ranks, PlotKind::pairs};

// Cell texts are bytes as read: valid UTF-8 passes, anything else becomes U+FFFD, so that
// the file is valid UTF-8 whatever the data held.
QString text(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
QString escaped(const std::string& bytes) {
    return text(bytes).toHtmlEscaped();
}
QString escaped(const QString& s) {
    return s.toHtmlEscaped();
}

// A number of the details, as their text report writes it: six significant digits.
QString number(double x) {
    return std::isnan(x) ? QStringLiteral("NA") : text(formatGeneral(x, 6));
}
QString interval(const std::pair<double, double>& i) {
    return "[" + number(i.first) + ", " + number(i.second) + "]";
}

// One table: a header row of column names, then rows whose first cell heads the row.
// Everything is escaped here.
void writeTable(QString& out, const QString& caption, const QStringList& head,
                const std::vector<QStringList>& rows) {
    out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n";
    if (!caption.isEmpty()) {
        out += "<caption>" + escaped(caption) + "</caption>\n";
    }
    out += "<thead><tr>";
    for (const QString& h : head) {
        out += "<th scope=\"col\">" + escaped(h) + "</th>";
    }
    out += "</tr></thead>\n<tbody>\n";
    for (const QStringList& row : rows) {
        out += "<tr>";
        for (qsizetype c = 0; c < row.size(); ++c) {
            out += c == 0 ? "<th scope=\"row\">" + escaped(row[c]) + "</th>"
                          : "<td>" + escaped(row[c]) + "</td>";
        }
        out += "</tr>\n";
    }
    out += "</tbody></table>\n";
}

void paragraph(QString& out, const QString& plain, const char* cssClass = nullptr) {
    out += cssClass ? QString("<p class=\"%1\">").arg(cssClass) : QString("<p>");
    out += escaped(plain) + "</p>\n";
}

void heading(QString& out, int level, const QString& plain) {
    out += QString("<h%1>").arg(level) + escaped(plain) + QString("</h%1>\n").arg(level);
}

void writeData(QString& out, const ReportContent& c) {
    heading(out, 2, "Data");
    std::vector<QStringList> rows;
    rows.push_back({"Data source", c.source.empty() ? QString("typed in") : text(c.source)});
    rows.push_back({"Grouping variable", text(c.groupName)});
    rows.push_back({"Test variable", text(c.testName)});
    rows.push_back(
        {"Missing-value code", c.missingCode.empty() ? QString("none") : text(c.missingCode)});
    QStringList lines;
    for (const std::string& line : c.conditions) {
        lines << text(line);
    }
    rows.push_back({"Selection", lines.isEmpty() ? QString("all cases") : lines.join("; ")});
    rows.push_back({"Cases included", QString::number(c.values.caseCount)});
    rows.push_back({"Significance level (alpha)", text(formatGeneral(c.values.alpha, 15))});
    writeTable(out, {}, {"Item", "Value"}, rows);
}

void writeOverallTest(QString& out, const ReportContent& c) {
    heading(out, 2, "Overall test");
    writeTable(out, "Kruskal-Wallis test, H corrected for ties, p from chi-square",
               {"Test", "H (Chi2)", "df", "p", "N"},
               {{"Kruskal-Wallis", text(c.chiSquareText), text(c.dfText), text(c.pText),
                 QString::number(c.values.caseCount)}});
}

// The groups as the groups page sums them up, in its order, with the mean ranks (and the
// letters) of the details.
void writeGroups(QString& out, const ReportContent& c) {
    heading(out, 2, "Groups");
    const Grid& g = *c.summary;
    const bool letters = c.details && !c.details->letters.empty();
    QStringList head{"Group", "n", "Rank sum", "Mean rank", "Median"};
    if (letters) {
        head << "Letters";
    }
    std::vector<QStringList> rows;
    for (int col = 1; col < g.columnCount(); ++col) {
        const std::string name = g.cell(col, 0);
        QStringList row{text(name), text(g.cell(col, 1)), text(g.cell(col, 2))};
        QString meanRank;
        QString letter;
        if (c.details) {
            for (std::size_t i = 0; i < c.details->groups.size(); ++i) {
                if (c.details->groups[i] == name) {
                    meanRank = number(c.details->descriptives[i].meanRank);
                    letter = letters ? text(c.details->letters[i]) : QString();
                }
            }
        }
        row << meanRank << text(g.cell(col, 3));
        if (letters) {
            row << letter;
        }
        rows.push_back(row);
    }
    writeTable(out, {}, head, rows);
}

// The classic multiple comparison: the grid of the output page, its first two rows and
// columns the groups and their medians.
void writeComparison(QString& out, const ReportContent& c) {
    heading(out, 2, "Multiple comparison of groups");
    if (!(c.values.pValue < c.values.alpha) || !c.comparison) {
        paragraph(out, "No multiple comparison of groups: p is not below alpha = " +
                           text(formatGeneral(c.values.alpha, 15)) + ".");
        return;
    }
    const Grid& g = *c.comparison;
    paragraph(out, "* = significant at p < " + text(formatFixed(c.values.alpha, 3)) +
                       "; NS = not significant.");
    out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" class=\"marks\">\n<thead>";
    for (int r = 0; r < std::min(2, g.rowCount()); ++r) {
        out += "<tr>";
        for (int col = 0; col < g.columnCount(); ++col) {
            out += "<th scope=\"col\">" + escaped(g.cell(col, r)) + "</th>";
        }
        out += "</tr>";
    }
    out += "</thead>\n<tbody>\n";
    std::string row;
    for (int r = 2; r < g.rowCount(); ++r) {
        out += "<tr>";
        for (int col = 0; col < g.columnCount(); ++col) {
            row.clear();
            g.appendCell(col, r, row);
            // The marks are padded to the page's columns.
            row.erase(0, row.find_first_not_of(' '));
            row.erase(row.find_last_not_of(' ') + 1);
            out += col < 2 ? "<th scope=\"row\">" + escaped(row) + "</th>"
                           : "<td>" + escaped(row) + "</td>";
        }
        out += "</tr>\n";
    }
    out += "</tbody></table>\n";
}

void writeDetails(QString& out, const ReportContent& c) {
    const Details& d = *c.details;
    heading(out, 2, "Beyond the test");
    std::vector<QStringList> rows;
    for (std::size_t g = 0; g < d.groups.size(); ++g) {
        const GroupDescription& x = d.descriptives[g];
        rows.push_back({text(d.groups[g]), QString::number(x.n), number(x.median), number(x.q1),
                        number(x.q3), number(x.min), number(x.max), number(x.meanRank),
                        number(x.rankSum)});
    }
    writeTable(out, "Descriptives (quartiles by R's type 7)",
               {"Group", "n", "Median", "Q1", "Q3", "Min", "Max", "Mean rank", "Rank sum"}, rows);

    if (c.fullDetails) {
        const PermutationP& p = d.pValue;
        rows = {{"Asymptotic (chi-square)", number(p.asymptotic), QString()}};
        if (p.exact) {
            rows.push_back({"Exact, conditional on the midranks", number(p.p), QString()});
        } else {
            rows.push_back({QString("Monte Carlo, %1 relabellings, seed %2")
                                .arg(p.resamples)
                                .arg(d.request.seed),
                            number(p.p), p.interval ? interval(*p.interval) : QString()});
        }
        writeTable(
            out,
            QString("The p of H = %1, df = %2, N = %3").arg(number(d.h)).arg(d.df).arg(d.caseCount),
            {"Method", "p", "99% interval"}, rows);
        const EffectSizes& e = d.effectSizes;
        writeTable(out,
                   QString("Effect sizes (95% percentile bootstrap intervals, %1 resamples within "
                           "groups, seed %2)")
                       .arg(e.resamples)
                       .arg(e.seed),
                   {"Measure", "Value", "95% interval"},
                   {{"epsilon^2", number(e.epsilonSquared), interval(e.epsilonSquaredInterval)},
                    {"eta^2(H)", number(e.etaSquared), interval(e.etaSquaredInterval)}});
    }

    const PairwiseComparisons& pw = d.pairwise;
    QString title = "Pairwise comparisons: " + text(pairwiseMethodTitle(pw.method)) +
                    ", two-sided, " +
                    (pw.method == PairwiseMethod::dscf ? QString("p adjusted for the family")
                                                       : text(adjustmentTitle(pw.adjustment)));
    if (pw.control) {
        title += ", against the control group " + text(d.groups[std::size_t(*pw.control)]);
    }
    const bool conover = pw.method == PairwiseMethod::conover;
    const bool dunn = pw.method == PairwiseMethod::dunn;
    QStringList head{"Group 1", "Group 2", "Statistic"};
    if (conover) {
        head << "df";
    }
    head << "p"
         << "p adjusted"
         << "Mean rank difference";
    if (dunn) {
        head << "r";
    }
    rows.clear();
    for (const PairComparison& p : pw.pairs) {
        QStringList row{text(d.groups[std::size_t(p.first)]), text(d.groups[std::size_t(p.second)]),
                        number(p.statistic)};
        if (conover) {
            row << (p.df ? number(*p.df) : QString());
        }
        row << number(p.p) << number(p.pAdjusted) << number(p.meanRankDifference);
        if (dunn) {
            row << (p.r ? number(*p.r) : QString());
        }
        rows.push_back(row);
    }
    writeTable(out, title, head, rows);

    if (!d.letters.empty()) {
        rows.clear();
        for (std::size_t g = 0; g < d.groups.size(); ++g) {
            rows.push_back({text(d.groups[g]), text(d.letters[g])});
        }
        writeTable(out,
                   "Letters: groups that share a letter do not differ at alpha = " +
                       text(formatGeneral(d.request.alpha, 15)),
                   {"Group", "Letters"}, rows);
    }
    if (c.fullDetails) {
        heading(out, 3, "For a paper");
        paragraph(out, text(apaLine(d)), "apa");
        heading(out, 3, "Methods");
        paragraph(out, text(methodsParagraph(d)), "methods");
    } else {
        paragraph(out, "The effect sizes, the exact or Monte Carlo p, the line for a paper and "
                       "the methods paragraph are given once the details are computed.");
    }
}

// `image(kind)` gives each plot's src.
template <typename ImageSource>
void writePlots(QString& out, const ReportContent& c, ImageSource image, int width) {
    heading(out, 2, "Plots");
    for (PlotKind kind : plotKinds) {
        if (kind == PlotKind::pairs && !c.plots.pairs) {
            continue;
        }
        const QString title = plotTitle(kind, c.plots).toHtmlEscaped();
        out += "<p class=\"plot\"><img src=\"" + image(kind) + "\" alt=\"" + title + "\" width=\"" +
               QString::number(width) + "\"><br>" + title + "</p>\n";
    }
}

const char* const style = R"(body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10pt;
  color: #000; background: #fff; margin: 2em; max-width: 60em; }
h1 { font-size: 16pt; } h2 { font-size: 13pt; margin-top: 1.5em; } h3 { font-size: 11pt; }
table { border-collapse: collapse; margin: 0.5em 0 1em 0; }
caption { text-align: left; font-style: italic; padding-bottom: 0.3em; }
th, td { border: 1px solid #888; padding: 0.2em 0.6em; white-space: nowrap; }
th { background: #eee; text-align: left; font-weight: bold; }
td { text-align: right; }
p.apa { font-family: "DejaVu Sans Mono", monospace; }
p.plot img { max-width: 100%; height: auto; }
p.meta { color: #444; }
@media print { body { margin: 0; } h2 { page-break-after: avoid; } })";

// The report's body; `image(kind)` gives each plot's src.
template <typename ImageSource>
QString reportBody(const ReportContent& c, ImageSource image, int plotWidth) {
    QString out;
    heading(out, 1, "Kruskal-Wallis test: " + text(c.testName) + " by " + text(c.groupName));
    paragraph(out, "Made on " + c.date + " with " + c.creator + ".", "meta");
    writeData(out, c);
    writeOverallTest(out, c);
    writeGroups(out, c);
    writeComparison(out, c);
    if (c.details) {
        writeDetails(out, c);
    }
    writePlots(out, c, image, plotWidth);
    return out;
}

// On paper the page's margins are the printer's, and the widest tables (the pairs with five
// numbers each) fit the width of A4 and Letter: smaller type, headers wrapped.
const char* const printStyle = "body { margin: 0; }\ntable { font-size: 8pt; }\n"
                               "th { white-space: normal; }\n";

QString page(const ReportContent& c, const QString& body, const QString& extraStyle = {}) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
           ("Kruskal-Wallis test: " + text(c.testName) + " by " + text(c.groupName))
               .toHtmlEscaped() +
           "</title>\n<style>\n" + style + "\n" + extraStyle + "</style>\n</head>\n<body>\n" +
           body + "</body>\n</html>\n";
}

QString resourceName(PlotKind kind) {
    return QString("kwplot-%1.png").arg(plotKindName(kind));
}

} // namespace

ReportContent reportContent(const Session& session, std::string source,
                            std::shared_ptr<const Details> details, bool fullDetails) {
    ReportContent c;
    c.date = QDate::currentDate().toString(Qt::ISODate);
    c.creator = QString("Kruskal-Wallis program, version %1").arg(programVersion);
    c.source = std::move(source);
    // Each calculation appends its missing-value condition to the user's: the last one is the
    // missing-value code, it and its repeats are not the user's selection.
    const std::vector<Condition>& conditions = session.conditions().conditions();
    if (!conditions.empty()) {
        const Condition missing = conditions.back();
        c.missingCode = missing.value;
        for (std::size_t i = 0; i < conditions.size(); ++i) {
            const Condition& x = conditions[i];
            if (x.column != missing.column || x.op != missing.op || x.value != missing.value) {
                c.conditions.push_back(session.conditions().lines()[i]);
            }
        }
    }
    const std::shared_ptr<const GroupedCases> cases = session.groupedCases();
    c.groupName = cases->groupName;
    c.testName = cases->testName;
    c.values = session.values();
    const OutputLabels& labels = session.view().labels;
    c.chiSquareText = labels.chiSquare;
    c.dfText = labels.degreesOfFreedom;
    c.pText = labels.pValue;
    c.summary = session.grids().summary;
    c.comparison = session.grids().comparison;
    c.details = std::move(details);
    c.fullDetails = fullDetails && c.details;
    c.plots = summarizeForPlots(*cases, c.details.get());
    return c;
}

QByteArray reportHtml(const ReportContent& c) {
    const auto svg = [&c](PlotKind kind) {
        return "data:image/svg+xml;base64," +
               QString::fromLatin1(renderSvg(kind, c.plots, plotSize, c.creator).toBase64());
    };
    return page(c, reportBody(c, svg, int(plotSize.width()))).toUtf8();
}

void fillReportDocument(QTextDocument& document, const ReportContent& c) {
    for (PlotKind kind : plotKinds) {
        if (kind == PlotKind::pairs && !c.plots.pairs) {
            continue;
        }
        // Twice the layout size: sharp at the size the page gives it.
        QImage picture = QImage::fromData(renderPng(kind, c.plots, plotSize, 192), "PNG");
        document.addResource(QTextDocument::ImageResource, QUrl(resourceName(kind)), picture);
    }
    document.setHtml(page(c, reportBody(c, resourceName, 500), printStyle));
}

void printReport(const ReportContent& content, QPagedPaintDevice& device) {
    QTextDocument document;
    fillReportDocument(document, content);
    document.print(&device);
}

QByteArray reportPdf(const ReportContent& content) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(content.creator);
        writer.setTitle(QString("Kruskal-Wallis test: %1 by %2")
                            .arg(text(content.testName), text(content.groupName)));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setResolution(300);
        printReport(content, writer);
    }
    return bytes;
}

} // namespace kw::plot
