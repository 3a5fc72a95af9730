// kwtest: the analysis of the window, run from the command line.

#include "json.h"
#include "options.h"

#include "failure.h"
#include "safefile.h"
#include "session.h"
#include "stagetimer.h"
#if defined(KW_WITH_UNO)
#include "calclink.h"
#elif defined(KW_WITH_COM)
#include "excellink.h"
#endif

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <iostream>
#include <memory>
#include <optional>

namespace {

using kw::Failure;

// Warnings that let the work go on are written to standard error.
class StderrFeedback final : public kw::Feedback {
public:
    void warning(const Failure& notice) override { std::cerr << notice.message() << '\n'; }
};

int position(const kw::Session& s, const std::string& name) {
    const auto& vars = s.variables();
    auto it = std::find(vars.begin(), vars.end(), name);
    if (it == vars.end()) {
        throw Failure::plain("there is no variable named '" + name + "' in the data file");
    }
    return static_cast<int>(it - vars.begin());
}

void writejson(std::ostream& out, const kw::Session& s) {
    using kw::cli::writejsongrid;
    using kw::cli::writejsonnumber;
    const auto& v = s.values();
    out << "{\n \"groupgrid\": ";
    writejsongrid(out, s.groupgrid());
    out << ",\n \"npgrgrid\": ";
    writejsongrid(out, s.npgrgrid());
    out << ",\n \"rankgrid\": ";
    writejsongrid(out, s.rankgrid());
    out << ",\n \"countgrid\": ";
    writejsongrid(out, s.countgrid());
    out << ",\n \"mulcompgrid\": ";
    writejsongrid(out, s.mulcompgrid());
    out << ",\n \"alpha\": ";
    writejsonnumber(out, v.alpha);
    out << ",\n \"ngroups\": " << v.ngroups;
    out << ",\n \"ntotal\": " << v.ntotal;
    out << ",\n \"dferror\": " << v.dferror;
    out << ",\n \"rankvar\": ";
    writejsonnumber(out, v.rankvar);
    out << ",\n \"chi2\": ";
    writejsonnumber(out, v.chi2);
    out << ",\n \"pvalue\": ";
    writejsonnumber(out, v.pvalue);
    out << "\n}\n";
}

// The running spreadsheet application: LibreOffice Calc through its pipe, or Excel on
// Windows.
std::unique_ptr<kw::SpreadsheetLink> openlink(const kw::cli::Options& o) {
#if defined(KW_WITH_UNO)
    return kw::uno::makecalclink(o.office ? *o.office : kw::uno::defaultpipe());
#elif defined(KW_WITH_COM)
    (void)o;
    return kw::com::makeexcellink();
#else
    (void)o;
    throw Failure::plain("this kwtest was built without the spreadsheet link (LibreOffice's "
                         "development files were not installed when it was built)");
#endif
}

int run(const kw::cli::Options& o) {
    StderrFeedback feedback;
    kw::Session s;
    std::unique_ptr<kw::SpreadsheetLink> link;
    if (o.fromsheet) {
        link = openlink(o);
        if (o.book) {
            link->selectbook(*o.book);
        }
        const auto range = *kw::cli::parserange(*o.range);
        s.readspreadsheet(*link, {*o.fromsheet, range.firstcolumn, range.lastcolumn, range.firstrow,
                                  range.lastrow, o.emptyas});
    } else {
        s.beginopen();
        s.openfile(o.file, &feedback);
    }
    if (o.missing) {
        s.setmissing(*o.missing);
    }
    std::optional<kw::StageTimer> timer("check variables");
    if (o.group) {
        s.pickgroup(position(s, *o.group));
    }
    if (o.groupas) {
        s.setgroupmode(*o.groupas == "texts" ? kw::GroupMode::texts : kw::GroupMode::numbers);
    }
    if (o.test) {
        s.picktest(position(s, *o.test));
    }
    for (const auto& w : o.where) {
        auto c = kw::cli::splitwhere(w, s.variables());
        if (!c) {
            const auto op = std::min(w.find('='), w.find("<>"));
            throw Failure::plain("there is no variable named '" + w.substr(0, op) +
                                 "' in the data file");
        }
        s.pickselection(c->position);
        s.addcondition(c->position, c->operatorposition, c->value);
    }
    if (o.alpha) {
        s.setalphatext(*o.alpha);
    }
    timer.reset();
    s.calculate(&feedback);
    if (o.sort && s.multisortvisible()) {
        s.multisort(*o.sort == "median" ? kw::SortBy::median : kw::SortBy::groupvalue);
    }

    timer.emplace("write outputs");
    // Both outputs are written in full before either replaces its target, so that a failure
    // leaves no output behind.
    std::optional<kw::SafeFile> report;
    std::optional<kw::SafeFile> json;
    if (o.report) {
        report.emplace(*o.report);
        s.writereport(report->stream());
        report->finish();
    }
    if (o.json) {
        json.emplace(*o.json);
        writejson(json->stream(), s);
        json->finish();
    }
    // The sheets are written before any file is put in place: a failure there leaves the
    // files as they were.
    if (o.tosheet || o.countstosheet) {
        if (!link) {
            link = openlink(o);
        }
    }
    if (o.tosheet) {
        const auto cell = *kw::cli::parsecell(*o.at);
        kw::Session::SheetTarget target;
        target.newbook = o.newbook;
        if (!o.newbook) {
            if (o.book) {
                target.book = *o.book;
            } else {
                const auto books = link->listbooks();
                if (books.active < 0) {
                    throw Failure::plain("no document is active in the spreadsheet: give --book "
                                         "TITLE or --new-book");
                }
                target.book = books.names[static_cast<std::size_t>(books.active)];
            }
        }
        target.newsheet = !o.sheet.has_value();
        target.sheet = o.sheet.value_or("");
        target.column = cell.first;
        target.row = cell.second;
        s.savetospreadsheet(*link, target);
    }
    if (o.countstosheet) {
        if (o.book) {
            link->selectbook(*o.book);
        }
        s.countstospreadsheet(*link);
    }
    if (report) {
        report->publish();
    } else {
        std::cout << s.report();
        std::cout.flush();
    }
    if (json) {
        json->publish();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
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
        options = kw::cli::parseoptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const kw::cli::UsageError& e) {
        std::cerr << "kwtest: " << e.message << '\n' << kw::cli::usage;
        return 2;
    }
    if (options.help) {
        std::cout << kw::cli::usage << '\n' << kw::cli::helptext;
        return 0;
    }
    try {
        return run(options);
    } catch (const Failure& f) {
        std::cerr << f.message() << '\n';
    } catch (const std::bad_alloc&) {
        std::cerr << "not enough memory for this data\n";
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
    }
    return 1;
}
