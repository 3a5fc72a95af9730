#include "cli/plotoutput.h"

#include "core/base/failure.h"
#include "core/plots/comparisondetails.h"
#include "core/plots/plotsummary.h"
#include "plot/htmlreport.h"
#include "plot/plotexport.h"

#include <QByteArray>
#include <QGuiApplication>

#include <clocale>
#include <iostream>
#include <memory>
#include <optional>

namespace kw::cli {

namespace {

// Qt's warnings go to standard error as kwtest's own do, less the one that a missing
// XDG_RUNTIME_DIR (root, CI) brings, which says nothing about the plot.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg ||
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
        return;
    }
    std::cerr << message.toStdString() << '\n';
}

// Qt's GUI for the time of the drawing, on the offscreen platform unless the user named
// another: kwtest runs where there is no display.
class Gui {
public:
    Gui(const Gui&) = delete;
    Gui& operator=(const Gui&) = delete;
    Gui() {
        qInstallMessageHandler(qtMessage);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        // Qt takes the environment's locale for the C library; kwtest writes its numbers
        // with the point whatever the locale, as before.
        std::setlocale(LC_ALL, "C");
    }

private:
    int argc_ = 1;
    char name_[7] = "kwtest";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

// Starts the GUI unless one runs, and checks that text can be drawn. (In place: Qt keeps
// the address of the arguments.)
void startGui(std::optional<Gui>& gui) {
    if (QGuiApplication::instance() == nullptr) {
        gui.emplace();
    }
    if (!plot::fontsAvailable()) {
        throw Failure(Failure::Reason::unexpected,
                      "no font was found to write the plot's texts (fontconfig finds none: "
                      "install fonts-dejavu-core)");
    }
}

} // namespace

struct GuiScope::Running {
    std::optional<Gui> gui;
};

GuiScope::GuiScope() : running_(std::make_unique<Running>()) {
    if (QGuiApplication::instance() == nullptr) {
        running_->gui.emplace();
    }
}

GuiScope::~GuiScope() = default;

std::string htmlFile(const Options& o, const Session& session, const AnalysisRequest& request,
                     std::shared_ptr<const Details> details) {
    std::optional<Gui> gui;
    startGui(gui);
    const std::string source = o.fromSheet ? *o.fromSheet : o.file;
    plot::ReportContent content = plot::reportContent(session, source, std::move(details), true);
    // The --where conditions, which went to the analysis only.
    content.conditions.clear();
    for (const Condition& c : request.conditions) {
        content.conditions.push_back(session.table().name(c.column) + operatorItem(c.op) + c.value);
    }
    const QByteArray bytes = plot::reportHtml(content);
    return bytes.toStdString();
}

std::string plotFile(const Options& o, const GroupedCases& cases, const Details* details,
                     double alpha) {
    // The letters and the pairs need the pairwise comparisons; without --json or --details,
    // only these are computed, not the resampling of the other statistics.
    std::optional<Details> compared;
    if (!details) {
        DetailsRequest asked = o.statistics;
        asked.alpha = alpha;
        compared = comparisonDetails(cases, asked);
        details = &*compared;
    }
    const PlotSummary summary = summarizeForPlots(cases, details);

    std::optional<Gui> gui;
    startGui(gui);
    const auto format = *plot::imageFormatOf(*o.plot);
    const QByteArray bytes =
        plot::renderPlot(format, *plot::plotKindNamed(o.plotKind), summary,
                         QSizeF(o.plotWidth, o.plotHeight), o.plotDpi, QStringLiteral("kwtest"));
    if (bytes.isEmpty()) {
        throw Failure(Failure::Reason::unexpected, "the plot could not be drawn");
    }
    return bytes.toStdString();
}

} // namespace kw::cli
