#pragma once

#include "core/plots/plotsummary.h"
#include "core/results/grid.h"
#include "core/stats/analysis.h"
#include "core/stats/details.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QTextDocument;

namespace kw {
class Session;
}

namespace kw::plot {

// What the shareable report of one completed calculation shows: the window and kwtest fill it
// from their session, then write it as HTML, print it or make a PDF of it.
struct ReportContent {
    QString date;                        // the day it was made, as written: 2026-12-09
    QString creator;                     // the program and its version
    std::string source;                  // the data's file (or sheet) name; empty when typed in
    std::vector<std::string> conditions; // the selection's lines, as the window lists them
    std::string missingCode;
    std::string groupName;
    std::string testName;
    TestValues values;
    // H, df and p as the output page shows them.
    std::string chiSquareText;
    std::string dfText;
    std::string pText;
    std::shared_ptr<const Grid> summary;    // the groups' number, rank sum and median
    std::shared_ptr<const Grid> comparison; // the * / NS table
    // The pairwise comparisons and letters, at least; with `fullDetails` also the effect sizes
    // and the exact or Monte Carlo p (computeDetails rather than comparisonDetails).
    std::shared_ptr<const Details> details;
    bool fullDetails = false;
    PlotSummary plots;
};

// The content of the session's last completed calculation; `details` may be null (no
// pairwise statistics could be formed). The plots are summarised here. The selection is the
// session's list of conditions (the window's); kwtest, whose conditions go to the analysis
// alone, gives its own.
ReportContent reportContent(const Session& session, std::string source,
                            std::shared_ptr<const Details> details, bool fullDetails);

// The report as one self-contained HTML file (UTF-8, CSS inline, no scripts, no links): the
// tables as <table> with <th> headers, the three plots as SVG images in data: URIs (each
// picture keeps its own ids, and nothing refers outside the file).
QByteArray reportHtml(const ReportContent& content);

// The same report in a text document for printing: Qt's rich text draws no SVG, so the plots
// are PNG images held as the document's resources.
void fillReportDocument(QTextDocument& document, const ReportContent& content);
// Prints the report on `device` (a printer, a PDF writer), page by page.
void printReport(const ReportContent& content, QPagedPaintDevice& device);
// The report as a PDF file's bytes (A4).
QByteArray reportPdf(const ReportContent& content);

} // namespace kw::plot
