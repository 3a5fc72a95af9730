#include "app/pages/resulttables.h"

#include "app/pages/detailspage.h"
#include "app/pages/gridcopy.h"

#include <QTableView>

namespace kw::app {

std::vector<WorkbookTable> resultTables(const Session& session, const DetailsPage& details) {
    std::vector<WorkbookTable> tables;
    const ResultGrids& grids = session.grids();
    auto add = [&](const char* name, const std::shared_ptr<const Grid>& grid) {
        if (grid) {
            tables.push_back({name, grid});
        }
    };
    add("Summary", grids.summary);
    add("Groups", grids.groups);
    add("Ranks", grids.ranks);
    if (session.view().comparisonVisible) {
        add("Comparison", grids.comparison);
    }
    add("Counts", grids.counts);
    if (details.status() == DetailsPage::Status::computed && details.isCurrent() &&
        details.calculation() == session.groupedCases()) {
        for (const auto& [view, name] :
             {std::pair{"descriptives", "Descriptives"}, std::pair{"pairs", "Pairwise"}}) {
            const auto* table = details.findChild<const QTableView*>(view);
            if (table != nullptr && table->model() != nullptr && table->model()->rowCount() > 0) {
                tables.push_back({name, std::make_shared<TextCells>(gridTexts(*table))});
            }
        }
    }
    return tables;
}

} // namespace kw::app
