#pragma once

#include "cli/options.h"

#include "core/session/session.h"
#include "core/stats/details.h"
#include "core/stats/groupedcases.h"

#include <memory>
#include <string>

namespace kw::cli {

// The file of --plot for the groups of a completed calculation, as bytes: drawn with Qt's GUI
// module on the offscreen platform (unless QT_QPA_PLATFORM names another), which starts only
// here, so that a run without --plot never loads it. The pairwise comparisons and letters
// come from `details` when given; else they are computed as --pairwise and --adjust ask.
// Throws kw::Failure when no font can be found to write the plot's texts, or when this
// kwtest was built without the plots.
std::string plotFile(const Options& options, const GroupedCases& cases, const Details* details,
                     double alpha);

// The file of --html: the shareable report of the session's completed calculation, with the
// statistics beyond the test of `details` (computed as for --details) and the three plots.
// Throws as plotFile does.
std::string htmlFile(const Options& options, const Session& session, const AnalysisRequest& request,
                     std::shared_ptr<const Details> details);

// Qt's GUI kept for the time of several drawings (--plot and --html together); each of the
// functions above starts it for its own time where none is running.
class GuiScope {
public:
    GuiScope();
    ~GuiScope();
    GuiScope(const GuiScope&) = delete;
    GuiScope& operator=(const GuiScope&) = delete;

private:
    struct Running;
    std::unique_ptr<Running> running_;
};

} // namespace kw::cli
