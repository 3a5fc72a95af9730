#pragma once

#include "core/io/textreader.h"
#include "core/stats/analysis.h"
#include "core/stats/rankprofile.h"

#include <string>
#include <utility>
#include <vector>

namespace kw::test {

// Groups of test values as texts: name and values.
using GroupValues = std::vector<std::pair<std::string, std::vector<std::string>>>;

// What the program's own analysis makes of the groups: the outcome, ranked unless all cases
// fell into one group. The groups come out in the byte order of their names.
inline AnalysisOutcome analysedGroups(const GroupValues& groups) {
    std::string text = "group value\n";
    for (const auto& [name, values] : groups) {
        for (const std::string& value : values) {
            text += name + ' ' + value + '\n';
        }
    }
    AnalysisRequest request;
    request.groupColumn = 1;
    request.testColumn = 2;
    request.groupMode = GroupMode::texts;
    request.alpha = 1;
    return analyse(readTextData(text), request);
}

// Their rank profile.
inline RankProfile profileOf(const GroupValues& groups) {
    return rankProfile(*analysedGroups(groups).cases);
}

#ifdef KW_EXAMPLES_DIR
// The rank profile of an example file's groups (examples/), grouped as texts.
inline RankProfile exampleProfile(const std::string& file, int group, int test,
                                  const std::string& missing = {}) {
    AnalysisRequest request;
    request.groupColumn = group;
    request.testColumn = test;
    request.groupMode = GroupMode::texts;
    request.missingCode = missing;
    return rankProfile(
        *analyse(readTextFile(std::string(KW_EXAMPLES_DIR) + "/" + file), request).cases);
}
#endif

} // namespace kw::test
