#pragma once

#include "core/session/session.h"
#include "core/stats/details.h"
#include "plot/htmlreport.h"

#include <QString>

#include <memory>

class QPrinter;
class QWidget;

namespace kw::app {

// The shareable report of the window's last completed calculation (File > Save report as
// HTML, Print report, Export report as PDF).

// What the report shows: `full` are the details the details page computed for this
// calculation (the effect sizes, the exact p, the line for a paper); without them the pairwise
// comparisons and letters are computed here as the page's choices ask, without the resampling.
// The data source is the file the caption names. Throws kw::Failure before a calculation.
plot::ReportContent windowReportContent(const Session& session, std::shared_ptr<const Details> full,
                                        const DetailsRequest& choices);

// The report written to `path` as HTML or PDF, whole or not at all (QSaveFile); throws
// kw::Failure with the reason when it cannot be written.
void writeHtmlReport(const QString& path, const plot::ReportContent& content);
void writePdfReport(const QString& path, const plot::ReportContent& content);

// The print dialog over `parent`, then the report on the printer chosen; false when the user
// cancelled.
bool printReportWithDialog(const plot::ReportContent& content, QWidget* parent);

} // namespace kw::app
