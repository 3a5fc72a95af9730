// A whole analysis through the session: a data file, then the user's actions as lines of a
// small script, then the calculation, its report and its grids. The input is the file's text,
// optionally followed by a line "%%" and one action per line:
//
//   g N / t N / s N   pick grouping / test / selection variable at chooser position N
//   m t / m n         treat the grouping variable as texts / numbers
//   a TEXT            alpha text            x TEXT       missing-value code
//   c SEL OP [VALUE]  add a condition (no VALUE: none chosen)
//   v SEL OP I        add a condition with item I of the value list
//   r I               remove condition I    k            calculate
//   o m / o g         sort the comparison by median / grouping value
//   e COL ROW TEXT    edit a cell           l            load the file again
//   f                 open the file from disk
//   b / n             begin / cancel "read data from text file"
//   z N               stop (Cancelled) at the N-th progress check from now on
//   d                 the locale's decimal mark is the comma         } wherever they
//   q                 a collation that compares first letters only  } stand in the
//   w s / w t         rank by sorting / by distinct texts           } script
//
// Without "%%" the first variable is the grouping and the second the test variable. The
// script always ends with a calculation. Failures are the program's answers; anything else
// escaping, a crash, a sanitizer report or a broken property of the results is a finding.

#include "core/base/failure.h"
#include "core/base/feedback.h"
#include "core/io/textreader.h"
#include "core/results/detailsreport.h"
#include "core/results/grid.h"
#include "core/session/session.h"
#include "core/sheet/sheetblocks.h"
#include "core/stats/analysis.h"
#include "core/stats/details.h"
#include "fuzzcheck.h"
#include "support/sessionsteps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// Splits off the first blank-separated word of `rest`; false when there is no blank left.
bool word(std::string_view& rest, std::string_view& out) {
    const std::size_t blank = rest.find(' ');
    out = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    return blank != std::string_view::npos;
}

class Progress final : public kw::Feedback {
public:
    void progress(std::string_view, double fraction) override {
        FUZZ_CHECK(fraction >= 0 && fraction <= 1);
    }
    void warning(const kw::Failure& notice) override { FUZZ_CHECK(!notice.message().empty()); }
    bool cancelled() const override {
        if (checksleft_ < 0) {
            return false;
        }
        return checksleft_-- == 0;
    }
    void stopafter(int checks) { checksleft_ = checks; }

private:
    mutable long checksleft_ = -1;
};

// Reads every cell of a grid (a band along its edges when it is large); the rows written at
// once must hold the cells one by one.
void touch(const kw::Grid& g) {
    const int cols = g.columnCount();
    const int rows = g.rowCount();
    FUZZ_CHECK(cols >= 0 && rows >= 0);
    const bool whole = static_cast<long long>(cols) * rows <= 20000;
    auto visit = [&](int r) {
        std::string row;
        g.appendRow(r, '\t', row);
        std::string cells;
        for (int c = 0; c < cols; ++c) {
            std::string one;
            g.appendCell(c, r, one);
            FUZZ_CHECK(one == g.cell(c, r));
            cells += one;
            cells += '\t';
        }
        FUZZ_CHECK(row == cells);
    };
    for (int r = 0; r < rows; ++r) {
        if (whole || r < 3 || r >= rows - 3) {
            visit(r);
        }
    }
    FUZZ_CHECK(g.cell(-1, 0).empty() && g.cell(0, -1).empty());
    FUZZ_CHECK(g.cell(cols, 0).empty() && g.cell(0, rows).empty());
}

// The statistics beyond the test, each pairwise method in turn, with few resamples.
void inspectDetails(const kw::Session& s, const kw::TestValues& v) {
    static int turn = 0;
    const kw::PairwiseMethod methods[] = {kw::PairwiseMethod::dunn, kw::PairwiseMethod::conover,
                                          kw::PairwiseMethod::dscf};
    kw::DetailsRequest request;
    request.method = methods[turn++ % 3];
    request.adjustment = static_cast<kw::Adjustment>(turn % 9);
    request.resamples = 20;
    request.alpha = v.alpha;
    // The exact p may take its seconds of budget, which instrumented code stretches past the
    // fuzzer's timeout (ten cases in nine groups take 40 s): only for small tables of few groups.
    request.exact =
        v.caseCount <= 15 && v.groupCount <= 4 ? kw::ExactMode::automatic : kw::ExactMode::never;
    kw::Details d;
    try {
        d = kw::computeDetails(*s.groupedCases(), request);
    } catch (const kw::Failure& f) {
        // Conover-Iman without variance within the groups: no statistic, said so.
        FUZZ_CHECK(f.reason() == kw::Failure::Reason::noStatistic);
        return;
    }
    const auto k = static_cast<std::size_t>(v.groupCount);
    FUZZ_CHECK(d.groups.size() == k && d.descriptives.size() == k && d.letters.size() == k);
    FUZZ_CHECK(d.pairwise.pairs.size() == k * (k - 1) / 2);
    FUZZ_CHECK(d.pValue.p >= 0 && d.pValue.p <= 1);
    FUZZ_CHECK(d.pValue.asymptotic >= 0 && d.pValue.asymptotic <= 1);
    for (const kw::PairComparison& pair : d.pairwise.pairs) {
        FUZZ_CHECK(pair.first < pair.second);
        FUZZ_CHECK(pair.p >= 0 && pair.p <= 1 && pair.pAdjusted >= 0 && pair.pAdjusted <= 1);
        FUZZ_CHECK(std::isfinite(pair.statistic));
    }
    for (const kw::GroupDescription& g : d.descriptives) {
        // In order, but for the rounding of the interpolation.
        const double slack = 1e-12 * (std::fabs(g.min) + std::fabs(g.max) + 1e-300);
        FUZZ_CHECK(g.min <= g.q1 + slack && g.q1 <= g.median + slack && g.median <= g.q3 + slack &&
                   g.q3 <= g.max + slack);
    }
    FUZZ_CHECK(d.effectSizes.epsilonSquared >= 0);
    FUZZ_CHECK(!kw::apaLine(d).empty());
}

void inspect(const kw::Session& s) {
    const kw::ResultGrids& grids = s.grids();
    for (const auto& g :
         {grids.groups, grids.summary, grids.ranks, grids.counts, grids.comparison}) {
        touch(*g);
    }
    if (!s.hasResults()) {
        return;
    }
    const kw::TestValues& v = s.values();
    FUZZ_CHECK(v.groupCount >= 2 && v.caseCount >= v.groupCount &&
               v.errorDf == v.caseCount - v.groupCount);
    FUZZ_CHECK(v.alpha > 0 && v.alpha <= 1);
    FUZZ_CHECK(std::isfinite(v.chiSquare) && v.rankVariance > 0);
    FUZZ_CHECK(v.pValue >= 0 && v.pValue <= 1);
    FUZZ_CHECK(s.grids().summary->columnCount() == v.groupCount + 1);
    if (s.view().comparisonVisible) {
        FUZZ_CHECK(s.grids().comparison->columnCount() == v.groupCount + 2);
    }
    const std::string report = s.report();
    FUZZ_CHECK(report.find("test: " + s.view().labels.testName) != std::string::npos);
    const kw::Grid& counts = *s.grids().counts;
    if (static_cast<long long>(counts.columnCount()) * counts.rowCount() <= 20000) {
        const kw::ValueTable block = kw::countsBlock(counts, s.locale().decimal);
        FUZZ_CHECK(block.rowCount() == counts.rowCount() + 1 &&
                   block.columnCount() == counts.columnCount() + 1);
    }
    inspectDetails(s, v);
}

// A locale collation coarser than the caseless one: texts that share their first letter
// (case ignored) are one value of the selection and of the counts.
class FirstLetterCollation final : public kw::Collation {
public:
    int compare(std::string_view a, std::string_view b) const override {
        const int x = key(a);
        const int y = key(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    std::uint64_t sortPrefix(std::string_view text) const override {
        return static_cast<std::uint64_t>(key(text));
    }

private:
    static int key(std::string_view text) {
        if (text.empty()) {
            return 0;
        }
        const auto c = static_cast<unsigned char>(text[0]);
        return 1 + (c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
};

std::string today() {
    return "1/2/26";
}

std::string scratchfile() {
    return (std::filesystem::temp_directory_path() /
            ("kw-fuzz-calculation-" + std::to_string(getpid()) + ".txt"))
        .string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t mark = input.find("\n%%");
    const std::string text(input.substr(0, mark));
    std::vector<std::string_view> script;
    if (mark == std::string_view::npos) {
        script = {"g 0", "t 1"};
    } else {
        std::string_view rest = input.substr(mark + 3);
        rest = rest.substr(std::min(rest.find('\n'), rest.size())); // the rest of the "%%" line
        while (!rest.empty()) {
            rest.remove_prefix(1);
            const std::size_t end = std::min(rest.find('\n'), rest.size());
            script.push_back(rest.substr(0, end));
            rest = rest.substr(end);
        }
    }
    if (script.size() > 64) {
        script.resize(64);
    }

    static const FirstLetterCollation firstletter;
    kw::Locale locale;
    locale.today = today;
    kw::RankingMethod ranking = kw::RankingMethod::automatic;
    for (std::string_view line : script) {
        if (line == "d") {
            locale.decimal = ',';
        } else if (line == "q") {
            locale.collation = &firstletter;
        } else if (line == "w s") {
            ranking = kw::RankingMethod::bySorting;
        } else if (line == "w t") {
            ranking = kw::RankingMethod::byDistinctTexts;
        }
    }
    kw::Session s(locale);
    // "calculate", ranked as the script asks.
    auto calculate = [&](kw::Feedback* feedback) {
        kw::AnalysisRequest request = s.analysisRequest();
        request.ranking = ranking;
        s.applyAnalysis(kw::analyse(s.table(), request, feedback));
    };
    Progress progress;
    auto load = [&] { s.loadTable(kw::readTextData(text)); };
    int calculations = 0;
    try {
        load();
    } catch (const kw::Failure&) {
        // Actions on the empty session that remains.
    }

    for (std::string_view line : script) {
        if (line.empty()) {
            continue;
        }
        const char op = line[0];
        std::string_view rest = line.size() > 2 ? line.substr(2) : std::string_view();
        std::string_view first;
        std::string_view second;
        try {
            switch (op) {
            case 'g':
                s.pickGroup(fuzznumber(rest));
                break;
            case 't':
                s.pickTest(fuzznumber(rest));
                break;
            case 's':
                s.pickSelection(fuzznumber(rest));
                break;
            case 'm':
                s.setGroupMode(rest == "t" ? kw::GroupMode::texts : kw::GroupMode::numbers);
                break;
            case 'a':
                s.setAlphaText(std::string(rest));
                break;
            case 'x':
                s.setMissingCode(std::string(rest));
                break;
            case 'c':
            case 'v': {
                if (s.conditions().size() >= 20 + calculations) {
                    break;
                }
                word(rest, first);
                const bool hasvalue = word(rest, second) || op == 'v';
                std::optional<std::string> value;
                if (op == 'c' && hasvalue) {
                    value = std::string(rest);
                } else if (op == 'v' && !s.valueList().empty()) {
                    const auto& items = s.valueList();
                    value = items[static_cast<unsigned>(fuzznumber(rest)) % items.size()];
                }
                s.addCondition(fuzznumber(first), fuzznumber(second), std::move(value));
                break;
            }
            case 'r':
                s.removeCondition(fuzznumber(rest));
                break;
            case 'k':
                if (calculations < 4) {
                    ++calculations;
                    calculate(&progress);
                }
                break;
            case 'o':
                s.sortComparison(rest == "m" ? kw::SortBy::median : kw::SortBy::groupValue);
                break;
            case 'e':
                word(rest, first);
                word(rest, second);
                s.editCell(fuzznumber(first), fuzznumber(second), rest);
                break;
            case 'l':
                load();
                break;
            case 'f': {
                struct Scratch {
                    std::string path = scratchfile();
                    ~Scratch() {
                        std::error_code ignored;
                        std::filesystem::remove(path, ignored);
                    }
                } file;
                std::ofstream(file.path, std::ios::binary) << text;
                kw::test::openTextFile(s, file.path, &progress);
                break;
            }
            case 'b':
                s.beginReading();
                load();
                break;
            case 'n':
                s.cancelReading();
                break;
            case 'z':
                progress.stopafter(fuzznumber(rest));
                break;
            default:
                break;
            }
        } catch (const kw::Failure&) {
        } catch (const kw::Cancelled&) {
        }
        if (op == 'k' || op == 'o' || op == 'e') {
            inspect(s);
        }
    }

    // The user presses calculate, then sorts the comparison both ways.
    progress.stopafter(-1);
    try {
        calculate(&progress);
    } catch (const kw::Failure&) {
    }
    inspect(s);
    for (kw::SortBy by : {kw::SortBy::median, kw::SortBy::groupValue}) {
        try {
            s.sortComparison(by);
        } catch (const kw::Failure&) {
        }
        inspect(s);
    }
    return 0;
}
