#include "app/reportprinting.h"

#include "app/qtlocale.h"
#include "core/base/failure.h"
#include "core/plots/comparisondetails.h"

#include <QCoreApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include <string_view>

namespace kw::app {

namespace {

// The file the window's caption names after "Kruskal Wallis Nonparametric ANOVA: ".
std::string dataSource(const Session& session) {
    const std::string& caption = session.view().caption;
    const std::string_view title = windowTitle;
    if (caption.size() > title.size() + 1 && caption.compare(0, title.size(), title) == 0) {
        return caption.substr(title.size() + 1);
    }
    return {};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw Failure::error(
            toBytes(QCoreApplication::translate("ReportPrinting", "The report could not be "
                                                                  "written to %1: %2")
                        .arg(path, file.errorString())));
    }
}

} // namespace

plot::ReportContent windowReportContent(const Session& session, std::shared_ptr<const Details> full,
                                        const DetailsRequest& choices) {
    const std::shared_ptr<const GroupedCases> cases = session.groupedCases();
    if (!session.hasResults() || !cases) {
        throw Failure::error(toBytes(QCoreApplication::translate(
            "ReportPrinting", "There are no results to report yet: press calculate first.")));
    }
    std::shared_ptr<const Details> details = full;
    if (!details) {
        DetailsRequest asked = choices;
        asked.alpha = session.values().alpha;
        try {
            details = std::make_shared<const Details>(comparisonDetails(*cases, asked));
        } catch (...) {
            // Data that allow no pairwise statistic: the report has the classic tables only.
            details.reset();
        }
    }
    return plot::reportContent(session, dataSource(session), std::move(details), full != nullptr);
}

void writeHtmlReport(const QString& path, const plot::ReportContent& content) {
    writeFile(path, plot::reportHtml(content));
}

void writePdfReport(const QString& path, const plot::ReportContent& content) {
    writeFile(path, plot::reportPdf(content));
}

bool printReportWithDialog(const plot::ReportContent& content, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QCoreApplication::translate("ReportPrinting", "Kruskal-Wallis report"));
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName("printdialog");
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    plot::printReport(content, printer);
    return true;
}

} // namespace kw::app
