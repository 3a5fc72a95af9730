#include "session.h"

#include "numbers.h"
#include "parallel.h"
#include "report.h"
#include "resultgrids.h"
#include "safefile.h"
#include "stagetimer.h"
#include "stattool.h"
#include "textreader.h"

#include <algorithm>
#include <future>
#include <limits>
#include <sstream>

namespace kw {

namespace {

constexpr const char* clearedlabel = "-----";
constexpr const char* initiallabel = "----------";
constexpr long long maxmanualcells = 200'000'000;
// The most cells read from a spreadsheet at once (a million cases of 20 variables): a larger
// block would take gigabytes on its way through the link.
constexpr long long maxspreadsheetcells = 20'000'000;

bool isletter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int checkedposition(int position, std::size_t count) {
    return position >= 0 && static_cast<std::size_t>(position) < count ? position : -1;
}

} // namespace

Session::Session(Locale locale) : locale_(locale) {
    alphatext_ = formatgeneral(0.05, 15, locale_.decimal);
    caption_ = windowtitle;
    labels_ = {initiallabel, initiallabel, initiallabel,
               initiallabel, initiallabel, "multiple comparison of groups:"};
    groupgrid_ = std::make_shared<BlankGrid>(1, 2);
    npgrgrid_ = std::make_shared<BlankGrid>(1, 4);
    rankgrid_ = std::make_shared<BlankGrid>(2, 2);
    countgrid_ = std::make_shared<BlankGrid>(2, 2);
    mulcompgrid_ = std::make_shared<BlankGrid>(5, 5);
}

// --- The data set

void Session::clearinterface() {
    // The result grids keep their size with empty cells; the labels show dashes.
    auto blank = [](std::shared_ptr<const Grid>& g) {
        g = std::make_shared<BlankGrid>(g->cols(), g->rows());
    };
    blank(groupgrid_);
    blank(npgrgrid_);
    blank(rankgrid_);
    blank(countgrid_);
    blank(mulcompgrid_);
    labels_.groupvar = labels_.testvar = labels_.chival = labels_.dfnr = labels_.pval =
        clearedlabel;
    hasresults_ = false;
}

void Session::resetchoices() {
    variables_ = table_.names();
    groupcol_ = testcol_ = selcol_ = 0;
    valuelist_.clear();
    multisortvisible_ = false;
}

void Session::beginopen() {
    clearconditions();
    missing_.clear();
}

void Session::cancelopen() {
    resetchoices();
}

void Session::openfile(const std::string& path, Feedback* feedback) {
    clearinterface();
    caption_ = std::string(windowtitle) + " " + path;
    page_ = Page::input;
    // Read into a new table first: a file that fails leaves the current data as it is.
    StageTimer timer("read file");
    loadtable(readtextfile(path, feedback));
}

void Session::loadtable(DataTable table) {
    table_ = std::move(table);
    resetchoices();
}

void Session::manualinput(std::string_view nvarstext, std::string_view ncasestext) {
    const auto nvars = parseinteger(nvarstext);
    if (!nvars) {
        throw notintegerfailure(nvarstext);
    }
    const auto ncases = parseinteger(ncasestext);
    if (!ncases) {
        throw notintegerfailure(ncasestext);
    }
    if (*nvars < 2) {
        throw Failure::error("the number of variables must be at least 2: a grouping variable "
                             "and a test variable");
    }
    if (*ncases < 1) {
        throw Failure::error("the number of cases must be at least 1");
    }
    if (static_cast<long long>(*nvars) * *ncases > maxmanualcells) {
        throw Failure::error("a table of " + std::to_string(*nvars) + " variables and " +
                             std::to_string(*ncases) + " cases is more than can be typed in");
    }
    page_ = Page::input;
    clearinterface();
    std::vector<std::string> names;
    for (int k = 1; k <= *nvars; ++k) {
        names.push_back("var" + std::to_string(k));
    }
    table_ = DataTable::blank(std::move(names), *ncases);
    resetchoices();
    saveinputvisible_ = true;
}

void Session::saveinput(const std::string& path) const {
    writefilesafely(path, [&](std::ostream& out) {
        std::string line;
        for (int r = 0; r <= table_.ncases(); ++r) {
            line.clear();
            for (int k = 1; k <= table_.nvars(); ++k) {
                line += ' ';
                if (r == 0) {
                    line += table_.name(k);
                } else {
                    line += table_.value(k, r);
                }
            }
            line += "\r\n";
            out << line;
        }
    });
}

void Session::editcell(int col, int row, std::string_view text) {
    if (col >= 1 && col <= table_.nvars() && row >= 1 && row <= table_.ncases()) {
        table_.setvalue(col, row, text);
    }
}

// --- Choosing variables

void Session::pickgroup(int position) {
    groupcol_ = checkedposition(position, variables_.size()) + 1;
    if (groupcol_ == 0) {
        return;
    }
    // Whether any text holds a letter, and whether any holds a point; each worker a slice.
    const ColumnView col = table_.column(groupcol_);
    std::vector<char> letters(workers(), 0);
    std::vector<char> points(workers(), 0);
    parallelslices(col.size(), [&](unsigned part, std::size_t from, std::size_t to) {
        bool letter = false;
        bool point = false;
        for (std::size_t r = from; r < to && !letter; ++r) {
            for (char c : col[r]) {
                letter = letter || isletter(c);
                point = point || c == '.';
            }
        }
        letters[part] = letter ? 1 : 0;
        points[part] = point ? 1 : 0;
    });
    const bool letter = std::find(letters.begin(), letters.end(), 1) != letters.end();
    const bool point = std::find(points.begin(), points.end(), 1) != points.end();
    if (point && !letter) {
        groupcol_ = 0;
        groupmode_ = GroupMode::numbers;
        throw Failure::warning("group variable must be discrete", helpvariables);
    }
    groupmode_ = letter ? GroupMode::texts : GroupMode::numbers;
}

void Session::picktest(int position) {
    testcol_ = checkedposition(position, variables_.size()) + 1;
    if (testcol_ == 0) {
        return;
    }
    const ColumnView col = table_.column(testcol_);
    std::vector<char> found(workers(), 0);
    parallelslices(col.size(), [&](unsigned part, std::size_t from, std::size_t to) {
        for (std::size_t r = from; r < to; ++r) {
            for (char c : col[r]) {
                if (isletter(c) && c != 'E') {
                    found[part] = 1;
                    return;
                }
            }
        }
    });
    if (std::find(found.begin(), found.end(), 1) != found.end()) {
        testcol_ = 0;
        throw Failure::warning("test variable must be numeric", helpvariables);
    }
}

void Session::pickselection(int position) {
    selcol_ = checkedposition(position, variables_.size()) + 1;
    valuelist_.clear();
    if (selcol_ > 0 && table_.cell(selcol_, 1).find('.') != std::string::npos) {
        selcol_ = 0;
        throw Failure::warning("group variable must be discrete", helpvariables);
    }
    if (selcol_ > 0) {
        valuelist_ = kw::valuelist(table_, selcol_, locale_.collate());
    }
}

// --- Case selection

void Session::addcondition(int selposition, int operatorposition,
                           std::optional<std::string> value) {
    selposition = checkedposition(selposition, variables_.size());
    if (selposition < 0) {
        throw Failure::error("no variable selected", helpselection);
    }
    if (!value) {
        throw Failure::error("no value selected", helpselection);
    }
    if (operatorposition != 0 && operatorposition != 1) {
        throw Failure::error("no operator selected", helpselection);
    }
    std::string line =
        variables_[std::size_t(selposition)] + operatoritems[operatorposition] + *value;
    conditions_.add(
        Condition{selposition + 1, static_cast<Operator>(operatorposition + 1), std::move(*value)},
        std::move(line));
}

void Session::removecondition(int index) {
    conditions_.remove(index);
}

void Session::clearconditions() {
    conditions_.clear();
    valuelist_.clear();
}

// --- The test

void Session::commitsort(Analysis& analysis) {
    table_.permute(*analysis.order);
    analysis.sorted(table_.column(testcol_));
    Condition missingcode{testcol_, Operator::unequal, missing_};
    conditions_.add(missingcode,
                    variables_[std::size_t(testcol_ - 1)] + operatoritems[1] + missing_);
}

void Session::calculate(Feedback* feedback) {
    const char dec = locale_.decimal;
    const double alpha = realvalue(alphatext_, dec);
    if (!(alpha > 0 && alpha <= 1)) {
        throw Failure::error("alpha must be a number greater than 0 and not greater than 1");
    }
    if (groupcol_ < 1 || testcol_ < 1 || groupcol_ > table_.nvars() || testcol_ > table_.nvars()) {
        throw Failure::warning("first choose group and test variable", helpvariables);
    }

    // Everything that can fail on a text that is not a number is done before the table is
    // reordered, so that such a failure leaves the data as it was.
    std::optional<StageTimer> timer("sort keys");
    GroupingKeys keys = groupingkeys(table_, groupcol_, groupsastexts(), dec, feedback);
    timer.emplace("collect groups");
    std::vector<Condition> conds = conditions_.conditions();
    conds.push_back(Condition{testcol_, Operator::unequal, missing_});
    std::vector<char> included = includedcases(table_, conds);
    auto analysis = newanalysis(table_, groupcol_, testcol_, dec);
    ColumnView groupcolumn = table_.column(groupcol_);

    // When every key has one spelling the groups do not depend on the order of the cases
    // within them, and the exchange order is worked out on a thread of its own meanwhile.
    std::vector<std::uint32_t> groupofrow;
    std::future<std::shared_ptr<const std::vector<std::uint32_t>>> pending;
    if (keys.onetextperkey) {
        groupofrow = groupsbykeys(*analysis, keys, included, groupcolumn);
        keys.textid = {}; // the groups are known: their texts need no telling apart
        // The key ranks serve only the order now: the thread takes them and lets them go.
        pending = std::async(std::launch::async, [ranked = std::move(keys)]() mutable {
            auto order = groupingorder(ranked);
            ranked = {};
            return order;
        });
    } else {
        collectcases(*analysis, groupingorder(keys), included, keys, groupcolumn, false, feedback);
        groupofrow = groupsofrows(*analysis);
    }
    auto needcases = [&] {
        if (pending.valid()) {
            collectcases(*analysis, pending.get(), included, keys, groupcolumn, true, feedback);
        }
    };
    const int k = analysis->ngroups();

    auto stopped = [&](Failure failure) {
        hasresults_ = false;
        multisortvisible_ = false;
        return failure;
    };
    if (analysis->groupstart.back() == 0) {
        needcases();
        commitsort(*analysis);
        page_ = Page::groups;
        groupgrid_ = std::make_shared<BlankGrid>(1, 2);
        npgrgrid_ = std::make_shared<BlankGrid>(1, 4);
        throw stopped(Failure::error("no cases selected"));
    }
    if (k == 1) {
        needcases();
        commitsort(*analysis);
        page_ = Page::groups;
        groupgrid_ = std::make_shared<GroupGrid>(analysis);
        npgrgrid_ = std::make_shared<SummaryGrid>(analysis, identityorder(1));
        throw stopped(Failure::error("all cases in one group"));
    }
    if (k > 250 && feedback != nullptr) {
        feedback->warning(Failure::warning("You have more then 250 groups. You can do a test but "
                                           "your computer will crash when you attempt to save "
                                           "the results to Excel",
                                           helpexcelsave));
    }

    timer.emplace("rank and count");
    const bool numbers =
        rank(*analysis, std::move(groupofrow), locale_.collate(), feedback, needcases);
    needcases();
    if (!numbers) {
        throw notrealfailure(firstnonnumber(*analysis));
    }
    // What the sort and the ranking needed goes before the table is reordered.
    keys = {};
    included = {};
    groupcolumn = {};
    timer.emplace("statistic");
    const auto n = static_cast<std::int64_t>(analysis->cases.size());
    const long double s2 = analysis->sumsquaresminusc / static_cast<long double>(n - 1);
    double chi2 = 0;
    double pvalue = 0;
    std::vector<int> order0 = identityorder(k);
    if (s2 != 0) {
        chi2 = static_cast<double>(analysis->sumgroupsminusc / s2);
        pvalue = chiupper(k - 1, chi2);
        if (pvalue < alpha) {
            // Grouping values that are not whole numbers fail the comparison's order.
            order0 = summaryorder(*analysis, order0, SortBy::groupvalue, groupsastexts());
        }
    }

    timer.emplace("reorder table");
    commitsort(*analysis);
    timer.emplace("results");
    analysis_ = analysis;
    groupgrid_ = std::make_shared<GroupGrid>(analysis);
    npgrgrid_ = std::make_shared<SummaryGrid>(analysis, identityorder(k));
    rankgrid_ = std::make_shared<RankGrid>(analysis);
    values_.alpha = alpha;
    values_.ntotal = n;
    values_.rankvar = static_cast<double>(s2);
    if (s2 == 0) {
        page_ = Page::ranked;
        throw stopped(Failure::plain("Floating point division by zero"));
    }
    values_.chi2 = chi2;
    values_.dferror = n - k;
    values_.ngroups = k;
    values_.pvalue = pvalue;

    labels_.groupvar = analysis->groupname;
    labels_.testvar = analysis->testname;
    labels_.chival = formatstatistic(chi2, dec);
    labels_.dfnr = std::to_string(k - 1);
    labels_.pval = formatgeneral(pvalue, 3, dec);
    page_ = Page::output;

    if (!(pvalue < alpha)) {
        labels_.mulcomplabel = "no multiple comparison of groups:";
        mulcompvisible_ = false;
        multisortvisible_ = false;
    } else {
        labels_.mulcomplabel = "multiple comparison of groups:";
        multisortvisible_ = true;
        multisortitem_ = SortBy::groupvalue;
        summaryorder_ = order0;
        npgrgrid_ = std::make_shared<SummaryGrid>(analysis, order0);
        try {
            tcritical_ = comparisoncritical(n, k, alpha);
        } catch (const Failure& f) {
            throw stopped(f);
        }
        mulcompgrid_ = std::make_shared<MulcompGrid>(analysis, order0, tcritical_);
        mulcompvisible_ = true;
    }
    countgrid_ = std::make_shared<CountGrid>(analysis);
    hasresults_ = true;
}

void Session::multisort(SortBy by) {
    if (!analysis_ || !multisortvisible_) {
        return;
    }
    std::vector<int> order = summaryorder(*analysis_, summaryorder_, by, groupsastexts());
    multisortitem_ = by;
    summaryorder_ = order;
    npgrgrid_ = std::make_shared<SummaryGrid>(analysis_, order);
    mulcompgrid_ = std::make_shared<MulcompGrid>(analysis_, std::move(order), tcritical_);
    mulcompvisible_ = true;
    page_ = Page::output;
}

std::shared_ptr<const Grid> Session::sharedgrid(GridName name) const {
    switch (name) {
    case GridName::groups:
        return groupgrid_;
    case GridName::summary:
        return npgrgrid_;
    case GridName::ranks:
        return rankgrid_;
    case GridName::counts:
        return countgrid_;
    default:
        return mulcompgrid_;
    }
}

// --- The spreadsheet link

namespace {

int rownumber(const std::string& text) {
    const auto row = parseinteger(text);
    if (!row) {
        throw notintegerfailure(text);
    }
    if (*row < 1) {
        throw Failure::error("row numbers start at 1");
    }
    return *row;
}

int columnnumber(const std::string& letters) {
    const bool valid = !letters.empty() && std::all_of(letters.begin(), letters.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
    if (!valid) {
        throw Failure::error("'" + letters +
                             "' is not a column: give its letters, such as A or BC");
    }
    return colnumber(letters);
}

} // namespace

void Session::readspreadsheet(SpreadsheetLink& link, const SheetRange& range) {
    missing_ = range.missing;
    const int r1 = rownumber(range.firstrow);
    const int r2 = rownumber(range.lastrow);
    const int c1 = columnnumber(range.firstcolumn);
    const int c2 = columnnumber(range.lastcolumn);
    if (c2 < c1) {
        throw Failure::error("the last column comes before the first");
    }
    if (r2 < r1) {
        throw Failure::error("the last row comes before the first");
    }
    if (r2 == r1) {
        throw Failure::error("the range holds only the row of names: it needs at least one row "
                             "of cases below it");
    }
    const long long cells = static_cast<long long>(c2 - c1 + 1) * (r2 - r1 + 1);
    if (cells > maxspreadsheetcells) {
        throw Failure::error("the range holds " + std::to_string(cells) + " cells: at most " +
                             std::to_string(maxspreadsheetcells) + " can be read at once");
    }
    link.selectsheet(range.sheet);
    const ValueTable block = link.readrange(c1, c2, r1, r2);
    if (block.rows() != r2 - r1 + 1 || block.cols() != c2 - c1 + 1) {
        throw Failure::plain("the spreadsheet gave a block of another size than was asked for");
    }
    DataTable table = blocktable(block, missing_, locale_.decimal, c1, r1);
    table.setlabel(table_.label()); // the corner keeps its label
    loadtable(std::move(table));
}

void Session::checkspreadsheetsave() const {
    if (hasresults_ && values_.ngroups > maxspreadsheetgroups) {
        throw Failure::warning(
            "You have more then 250 groups. You can not save the results to Excel", helpexcelsave);
    }
}

void Session::savetospreadsheet(SpreadsheetLink& link, const SheetTarget& target) const {
    requireresults();
    checkspreadsheetsave();
    const int c0 = columnnumber(target.column);
    const int r0 = rownumber(target.row);
    const ResultsBlockData data{reportdata(), locale_.date()};
    const ValueTable block = resultsblock(data, locale_.decimal);
    if (r0 > std::numeric_limits<int>::max() - (block.rows() - 1)) {
        throw Failure::error("the results block does not fit on a sheet below row " +
                             std::to_string(r0));
    }
    if (target.newbook) {
        link.newbook();
    } else {
        link.selectbook(target.book);
    }
    if (target.newsheet) {
        link.appendsheet(std::nullopt);
    } else {
        link.selectsheet(target.sheet);
    }
    link.useactivesheet();
    link.writerange(c0, c0 + (block.cols() - 1), r0, r0 + (block.rows() - 1), block,
                    locale_.decimal);
}

void Session::countstospreadsheet(SpreadsheetLink& link) const {
    link.newsheet(std::nullopt);
    const ValueTable block = countsblock(*countgrid_, locale_.decimal);
    link.useactivesheet();
    link.writerange(1, block.cols(), 1, block.rows(), block, locale_.decimal);
    link.disconnect();
}

// --- The report

void Session::requireresults() const {
    if (!hasresults_ || !analysis_) {
        throw Failure::error("there are no results to save yet: press calculate first");
    }
}

ReportData Session::reportdata() const {
    ReportData data;
    data.groupname = analysis_->groupname;
    data.testname = analysis_->testname;
    data.chi2 = values_.chi2;
    data.ngroups = values_.ngroups;
    data.pvalue = values_.pvalue;
    data.alpha = values_.alpha;
    data.mulcompgrid = mulcompgrid_.get();
    return data;
}

void Session::writereport(std::ostream& out) const {
    requireresults();
    kw::writereport(out, reportdata());
}

std::string Session::report() const {
    std::ostringstream out;
    writereport(out);
    return out.str();
}

void Session::savereport(const std::string& path) const {
    requireresults();
    writefilesafely(path, [&](std::ostream& out) { writereport(out); });
}

} // namespace kw
