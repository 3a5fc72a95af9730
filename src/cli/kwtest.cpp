// kwtest: the analysis of the window, run from the command line. The options become one
// request (cli/request.h), which the core's analysis carries out; a session takes the outcome
// as the window's does, and the outputs are written from it.

#include "cli/json.h"
#include "cli/options.h"
#include "cli/request.h"
#if defined(KW_WITH_PLOT)
#include "cli/plotoutput.h"
#endif

#include "core/base/failure.h"
#include "core/io/delimitedtext.h"
#include "core/io/safefile.h"
#include "core/io/textreader.h"
#if !defined(_WIN32)
#include "core/io/statisticsfile.h"
#include "core/io/workbook.h"
#endif
#include "core/results/detailsreport.h"
#include "core/session/session.h"
#include "core/sheet/sheettransfer.h"
#include "core/stats/analysis.h"
#include "core/stats/details.h"
#if defined(KW_WITH_UNO)
#include "uno/calclink.h"
#elif defined(KW_WITH_COM)
#include "com/excellink.h"
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#endif
#include <iostream>
#include <memory>
#include <optional>

namespace {

using kw::Failure;

// Warnings that let the work go on are written to standard error; with KW_TIMING set in the
// environment, so is how long each stage took and how much memory the program held then.
class StderrFeedback final : public kw::Feedback {
public:
    void warning(const Failure& notice) override { std::cerr << notice.message() << '\n'; }
    bool timesStages() const override { return timing_; }
    void stageTimed(std::string_view stage, Duration took) override {
        long pages = 0;
#if defined(_WIN32)
        PROCESS_MEMORY_COUNTERS memory{};
        if (K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
            pages = static_cast<long>(memory.WorkingSetSize / 4096);
        }
#else
        if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
            long size = 0;
            if (std::fscanf(f, "%ld %ld", &size, &pages) != 2) {
                pages = 0;
            }
            std::fclose(f);
        }
#endif
        std::fprintf(stderr, "%-20.*s %8.1f ms %7.0f MB resident\n", static_cast<int>(stage.size()),
                     stage.data(), std::chrono::duration<double, std::milli>(took).count(),
                     static_cast<double>(pages) * 4096 / (1 << 20));
    }

private:
    bool timing_ = std::getenv("KW_TIMING") != nullptr;
};

// The running spreadsheet application: LibreOffice Calc through its pipe, or Excel on
// Windows.
std::unique_ptr<kw::SpreadsheetLink> openLink(const kw::cli::Options& o) {
#if defined(KW_WITH_UNO)
    return kw::uno::makeCalcLink(o.office ? *o.office : kw::uno::defaultPipe());
#elif defined(KW_WITH_COM)
    (void)o;
    return kw::com::makeExcelLink();
#else
    (void)o;
    throw Failure(Failure::Reason::noSpreadsheet,
                  "this kwtest was built without the spreadsheet link (LibreOffice's "
                  "development files were not installed when it was built)");
#endif
}

// --to-sheet and --counts-to-sheet.
void writeSheets(const kw::cli::Options& o, const kw::Session& session, kw::SpreadsheetLink& link) {
    if (o.toSheet) {
        const auto cell = *kw::cli::parseCell(*o.at);
        kw::SheetTarget target;
        target.newBook = o.newBook;
        if (!o.newBook) {
            if (o.book) {
                target.book = *o.book;
            } else {
                const auto books = link.listBooks();
                if (books.active < 0) {
                    throw Failure(Failure::Reason::spreadsheet,
                                  "no document is active in the spreadsheet: give --book "
                                  "TITLE or --new-book");
                }
                target.book = books.names[static_cast<std::size_t>(books.active)];
            }
        }
        target.newSheet = !o.sheet.has_value();
        target.sheet = o.sheet.value_or("");
        target.column = cell.first;
        target.row = cell.second;
        session.saveToSheet(link, target);
    }
    if (o.countsToSheet) {
        if (o.book) {
            link.selectBook(*o.book);
        }
        session.countsToSheet(link);
    }
}

#if defined(_WIN32) && !defined(KW_WITH_PLOT)
// The plots need Qt, which Debian has no MinGW build of: refused before any work is done.
void refusePlots(const kw::cli::Options& o) {
    if (o.plot || o.html) {
        throw Failure(Failure::Reason::badData,
                      std::string(o.plot ? "--plot" : "--html") +
                          ": this kwtest for Windows draws no plots and writes no HTML report "
                          "(they need Qt, which it is built without)");
    }
}
#endif

// The bytes of --plot's file, where this kwtest draws plots.
std::string plotBytes(const kw::cli::Options& o, const kw::GroupedCases& cases,
                      const kw::Details* details, double alpha) {
#if defined(KW_WITH_PLOT)
    return kw::cli::plotFile(o, cases, details, alpha);
#else
    (void)o, (void)cases, (void)details, (void)alpha;
    throw Failure(Failure::Reason::unexpected,
                  "this kwtest was built without the plots (Qt 6's GUI and SVG development "
                  "files were not installed when it was built)");
#endif
}

// The bytes of --html's file, where this kwtest draws plots.
std::string htmlBytes(const kw::cli::Options& o, const kw::Session& session,
                      const kw::AnalysisRequest& request, const kw::Details& details) {
#if defined(KW_WITH_PLOT)
    return kw::cli::htmlFile(o, session, request, std::make_shared<const kw::Details>(details));
#else
    (void)o, (void)session, (void)request, (void)details;
    throw Failure(Failure::Reason::unexpected,
                  "this kwtest was built without the plots (Qt 6's GUI and SVG development "
                  "files were not installed when it was built)");
#endif
}

#if defined(_WIN32)
Failure notReadHere(const std::string& file, const char* kind) {
    return Failure(Failure::Reason::badData,
                   file + " is " + kind +
                       ", which this kwtest for Windows does not read: it reads the program's "
                       "own text files and delimited text (.csv, .tsv, .tab) only; save the data "
                       "as CSV, or read a sheet of a running Excel with --from-sheet");
}
#endif

// FILE, read by its kind.
kw::DataTable readFile(const kw::cli::Options& o, char decimal, kw::Feedback& feedback) {
    switch (kw::cli::fileKind(o)) {
    case kw::DataFileKind::spaceText:
        break;
    case kw::DataFileKind::delimitedText:
        return kw::readDelimitedFile(o.file, o.import, decimal, &feedback);
#if defined(_WIN32)
    // Their readers (liborcus, libreadstat) have no Windows build here.
    case kw::DataFileKind::workbook:
        throw notReadHere(o.file, "a workbook");
    case kw::DataFileKind::statistics:
        throw notReadHere(o.file, "an SPSS or Stata file");
#else
    case kw::DataFileKind::workbook:
        return kw::readWorkbookFile(o.file, o.import, decimal, &feedback);
    case kw::DataFileKind::statistics:
        return kw::readStatisticsFile(o.file, o.import, decimal, &feedback);
#endif
    }
    return kw::readTextFile(o.file, &feedback);
}

int run(const kw::cli::Options& o) {
#if defined(_WIN32) && !defined(KW_WITH_PLOT)
    refusePlots(o);
#endif
    StderrFeedback feedback;
    kw::Session session;
    const kw::Locale& locale = session.locale();
    std::unique_ptr<kw::SpreadsheetLink> link;
    kw::DataTable table;
    std::string missingCode;
    if (o.fromSheet) {
        link = openLink(o);
        if (o.book) {
            link->selectBook(*o.book);
        }
        const auto range = *kw::cli::parseRange(*o.range);
        table = kw::readSheetBlock(*link,
                                   {*o.fromSheet, range.firstColumn, range.lastColumn,
                                    range.firstRow, range.lastRow, o.emptyAs},
                                   locale.decimal);
        missingCode = o.emptyAs;
    } else {
        kw::StageTimer timer(&feedback, "read file");
        table = readFile(o, locale.decimal, feedback);
        if (kw::cli::fileKind(o) != kw::DataFileKind::spaceText) {
            missingCode = o.import.missingCode;
        }
    }
    if (o.missing) {
        missingCode = *o.missing;
    }

    kw::StageTimers stages(&feedback);
    stages.next("check variables");
    const kw::AnalysisRequest request =
        kw::cli::analysisRequest(o, table, std::move(missingCode), locale);
    stages.end();
    // The table goes to the analysis, which sorts it in place of a copy.
    kw::AnalysisOutcome outcome = kw::analyse(std::move(table), request, &feedback);
    stages.next("results");
    session.applyAnalysis(std::move(outcome));

    // The statistics beyond the test, for the JSON and the details report.
    std::optional<kw::Details> details;
    if (o.json || o.details || o.html) {
        stages.next("details");
        kw::DetailsRequest asked = o.statistics;
        asked.alpha = request.alpha;
        details = kw::computeDetails(*session.groupedCases(), asked, &feedback);
    }

    stages.next("write outputs");
    // Every output is written in full before any replaces its target, so that a failure
    // leaves no output behind.
    std::optional<kw::SafeFile> report;
    std::optional<kw::SafeFile> json;
    std::optional<kw::SafeFile> detailsReport;
    if (o.report) {
        report.emplace(*o.report);
        session.writeReport(report->stream());
        report->finish();
    }
    if (o.json) {
        json.emplace(*o.json);
        kw::cli::writeResultsJson(json->stream(), session, details ? &*details : nullptr);
        json->finish();
    }
    if (o.details) {
        detailsReport.emplace(*o.details);
        const kw::GroupedCases& cases = *session.groupedCases();
        kw::writeDetailsReport(detailsReport->stream(), *details, cases.groupName, cases.testName);
        detailsReport->finish();
    }
#if defined(KW_WITH_PLOT)
    // One GUI for both drawings.
    std::optional<kw::cli::GuiScope> gui;
    if (o.plot && o.html) {
        gui.emplace();
    }
#endif
    std::optional<kw::SafeFile> plot;
    if (o.plot) {
        stages.next("plot");
        plot.emplace(*o.plot);
        plot->stream() << plotBytes(o, *session.groupedCases(), details ? &*details : nullptr,
                                    request.alpha);
        plot->finish();
    }
    std::optional<kw::SafeFile> html;
    if (o.html) {
        stages.next("html");
        html.emplace(*o.html);
        html->stream() << htmlBytes(o, session, request, *details);
        html->finish();
    }
    // The sheets are written before any file is put in place: a failure there leaves the
    // files as they were.
    if (o.toSheet || o.countsToSheet) {
        if (!link) {
            link = openLink(o);
        }
        writeSheets(o, session, *link);
    }
    if (report) {
        report->publish();
    } else {
        std::cout << session.report();
        std::cout.flush();
    }
    if (json) {
        json->publish();
    }
    if (detailsReport) {
        detailsReport->publish();
    }
    if (plot) {
        plot->publish();
    }
    if (html) {
        html->publish();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    // Standard output and error take the bytes as they are, as on Linux: text mode would make
    // the reports' CR LF CR CR LF and the messages' LF CR LF. A report is then the same bytes
    // whether it goes to --report or through a pipe, on either system.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The texts are UTF-8: the console shows them so while kwtest runs, and as before after.
    const UINT consolePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    struct RestoreConsole {
        UINT page;
        ~RestoreConsole() { SetConsoleOutputCP(page); }
    } restoreConsole{consolePage};
#endif
    std::ios::sync_with_stdio(false);
#ifdef __GLIBC__
    // The analysis allocates and frees large arrays one after the other; keeping freed memory
    // for reuse spares the kernel from handing out (and clearing) fresh pages each time. The
    // largest arrays still go back to the system at once, which keeps the peak down.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    kw::cli::Options options;
    try {
        options = kw::cli::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const kw::cli::UsageError& e) {
        std::cerr << "kwtest: " << e.message << '\n' << kw::cli::usage;
        return 2;
    }
    if (options.help) {
        std::cout << kw::cli::usage << '\n' << kw::cli::helpText;
        return 0;
    }
    try {
        return run(options);
    } catch (...) {
        std::cerr << kw::caughtFailure().message() << '\n';
    }
    return 1;
}
