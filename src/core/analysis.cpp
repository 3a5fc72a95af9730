#include "analysis.h"

#include "exchangeorder.h"
#include "numbers.h"
#include "parallel.h"
#include "textindex.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numeric>

namespace kw {

namespace {

__extension__ typedef unsigned __int128 wide;
__extension__ typedef __int128 swide;

long double tolong(swide v) {
    // Split so that no precision is lost in the conversion of the upper part.
    const bool negative = v < 0;
    const wide u = negative ? wide(-v) : wide(v);
    const auto hi = static_cast<long double>(static_cast<std::uint64_t>(u >> 64));
    const auto lo = static_cast<long double>(static_cast<std::uint64_t>(u));
    const long double r = hi * 18446744073709551616.0L + lo;
    return negative ? -r : r;
}

// Numbers the texts of a column in the order met, each worker taking a slice of the rows
// and the slices' numbers then joined in row order.
TextIndex indextexts(const ColumnView& col, std::vector<std::uint32_t>& textid) {
    const std::size_t n = col.size();
    textid.resize(n);
    std::vector<TextIndex> parts(workers());
    std::vector<std::size_t> firstrow(parts.size() + 1, n);
    parallelslices(n, [&](unsigned part, std::size_t from, std::size_t to) {
        firstrow[part] = from;
        TextIndex& index = parts[part];
        for (std::size_t i = from; i < to; ++i) {
            textid[i] = index.insert(col[i]);
        }
    });
    TextIndex all = std::move(parts[0]);
    for (std::size_t part = 1; part < parts.size() && firstrow[part] < n; ++part) {
        const TextIndex& index = parts[part];
        std::vector<std::uint32_t> global(index.size());
        for (std::uint32_t id = 0; id < index.size(); ++id) {
            global[id] = all.insert(index.text(id));
        }
        const std::size_t to = part + 1 < firstrow.size() ? firstrow[part + 1] : n;
        for (std::size_t i = firstrow[part]; i < std::min(to, n); ++i) {
            textid[i] = global[textid[i]];
        }
    }
    return all;
}

} // namespace

GroupingOrder groupingorder(const DataTable& table, int groupcol, bool astexts, char decimal,
                            Feedback* feedback) {
    Pacer(feedback, "sorting", 1).check(0);
    const auto n = static_cast<std::size_t>(table.ncases());
    GroupingOrder g;
    const TextIndex index = indextexts(table.column(groupcol), g.textid);
    if (n < 2) {
        // The sort compares nothing, so nothing is parsed either.
        g.order.resize(n);
        std::iota(g.order.begin(), g.order.end(), 0u);
        return g;
    }
    // Rank the distinct texts: as texts, byte by byte, or by their values, equal values
    // sharing a rank. Ids are numbered in row order, so the first failing id is the first
    // failing row.
    const auto d = static_cast<std::uint32_t>(index.size());
    std::vector<std::uint32_t> byorder(d);
    std::iota(byorder.begin(), byorder.end(), 0u);
    std::vector<std::uint32_t> rankofid(d);
    std::uint32_t ranks = 0;
    if (astexts) {
        std::sort(byorder.begin(), byorder.end(),
                  [&](std::uint32_t x, std::uint32_t y) { return index.text(x) < index.text(y); });
        for (std::uint32_t p = 0; p < d; ++p) {
            rankofid[byorder[p]] = p;
        }
        ranks = d;
    } else {
        std::vector<double> value(d);
        for (std::uint32_t id = 0; id < d; ++id) {
            value[id] = realvalue(index.text(id), decimal);
        }
        std::sort(byorder.begin(), byorder.end(),
                  [&](std::uint32_t x, std::uint32_t y) { return value[x] < value[y]; });
        for (std::uint32_t p = 0; p < d; ++p) {
            if (p > 0 && value[byorder[p - 1]] < value[byorder[p]]) {
                ++ranks;
            }
            rankofid[byorder[p]] = ranks;
        }
        ++ranks;
    }
    std::vector<std::uint32_t> keyrank(n);
    for (std::size_t i = 0; i < n; ++i) {
        keyrank[i] = rankofid[g.textid[i]];
    }
    g.order = exchangeorder(keyrank, ranks);
    return g;
}

std::uint32_t Analysis::largestgroup() const {
    std::uint32_t m = 0;
    for (int g = 0; g < ngroups(); ++g) {
        m = std::max(m, groupsize(g));
    }
    return m;
}

std::uint32_t Analysis::count(std::size_t j, int g) const {
    auto first = countgroup.begin() + countstart[j];
    auto last = countgroup.begin() + countstart[j + 1];
    auto it = std::lower_bound(first, last, static_cast<std::uint32_t>(g));
    if (it == last || *it != static_cast<std::uint32_t>(g)) {
        return 0;
    }
    return countnumber[static_cast<std::size_t>(it - countgroup.begin())];
}

double Analysis::rankof(std::size_t i) const {
    const double v = *parsereal(testtext(i), decimal);
    const auto at = std::lower_bound(distinctvalues.begin(), distinctvalues.end(), v);
    return static_cast<double>(twicerank[static_cast<std::size_t>(at - distinctvalues.begin())]) /
           2;
}

std::shared_ptr<Analysis> collectgroups(const DataTable& table, const GroupingOrder& grouping,
                                        const std::vector<char>& included, int groupcol,
                                        int testcol, char decimal, Feedback* feedback) {
    auto a = std::make_shared<Analysis>();
    a->groupname = table.name(groupcol);
    a->testname = table.name(testcol);
    a->decimal = decimal;
    a->testcells = table.permutedcolumn(testcol, grouping.order);

    const ColumnView groups = table.column(groupcol);
    const auto& order = grouping.order;
    Pacer pacer(feedback, "collecting groups", order.size());
    std::uint32_t previous = 0;
    for (std::size_t p = 0; p < order.size(); ++p) {
        const std::uint32_t row = order[p];
        if (!included[row]) {
            continue;
        }
        const std::uint32_t id = grouping.textid[row];
        if (a->cases.empty() || id != previous) {
            a->groupstart.push_back(static_cast<std::uint32_t>(a->cases.size()));
            a->groupvalues.emplace_back(groups[row]);
        }
        a->cases.push_back(static_cast<std::uint32_t>(p));
        previous = id;
        pacer.tick(p);
    }
    a->groupstart.push_back(static_cast<std::uint32_t>(a->cases.size()));
    return a;
}

namespace {

// One included case for the ranking: its value, its index in `cases`, and its group, with
// the top bit set when its text is the canonical spelling of the value.
struct Item {
    double value;
    std::uint32_t index;
    std::uint32_t group;
};

constexpr std::uint32_t canonicalbit = 0x80000000u;

bool byvalue(const Item& x, const Item& y) {
    return x.value < y.value || (!(y.value < x.value) && x.index < y.index);
}

std::vector<Item> parseditems(const Analysis& a, Feedback* feedback) {
    const std::size_t n = a.cases.size();
    std::vector<Item> items(n);
    std::vector<std::size_t> firstbad(workers(), n);
    Pacer(feedback, "reading values", 1).check(0);
    parallelslices(n, [&](unsigned part, std::size_t from, std::size_t to) {
        auto g = static_cast<std::uint32_t>(
            std::upper_bound(a.groupstart.begin(), a.groupstart.end(), from) -
            a.groupstart.begin() - 1);
        for (std::size_t i = from; i < to; ++i) {
            while (i >= a.groupstart[g + 1]) {
                ++g;
            }
            bool canonical = false;
            const auto v = parsereal(a.testtext(i), a.decimal, &canonical);
            if (!v) {
                firstbad[part] = i;
                return;
            }
            items[i] = Item{*v, static_cast<std::uint32_t>(i), g | (canonical ? canonicalbit : 0)};
        }
    });
    const std::size_t bad = *std::min_element(firstbad.begin(), firstbad.end());
    if (bad < n) {
        throw notrealfailure(a.testtext(bad));
    }
    return items;
}

// The distinct test texts (byte-wise), each with its first case and counts per group.
struct Spellings {
    std::string text;                  // all texts, one after the other
    std::vector<std::uint32_t> offset; // text j is text[offset[j]..offset[j+1])
    std::vector<std::uint32_t> firstcase;
    std::vector<std::uint32_t> start{0}; // counts of text j: [start[j], start[j+1])
    std::vector<std::uint32_t> group;
    std::vector<std::uint32_t> number;

    std::string_view at(std::size_t j) const {
        return std::string_view(text).substr(offset[j], offset[j + 1] - offset[j]);
    }
    void add(std::string_view t, std::uint32_t first) {
        if (offset.empty()) {
            offset.push_back(0);
        }
        text.append(t);
        offset.push_back(static_cast<std::uint32_t>(text.size()));
        firstcase.push_back(first);
    }
    void count(std::uint32_t g) {
        if (group.size() > start.back() && group.back() == g) {
            ++number.back();
        } else {
            group.push_back(g);
            number.push_back(1);
        }
    }
    void close() { start.push_back(static_cast<std::uint32_t>(group.size())); }
};

// The spellings of one run of equal values. Canonical texts of one value are all the same
// text, which is written again from the value instead of being looked up; other spellings
// (1.50 beside 1.5) are looked up and told apart byte by byte.
void spellrun(const Analysis& a, const Item* run, std::size_t m, Spellings& out) {
    bool allcanonical = true;
    for (std::size_t q = 0; q < m && allcanonical; ++q) {
        allcanonical = (run[q].group & canonicalbit) != 0;
    }
    if (allcanonical) {
        std::array<char, 400> buf{};
        auto res = std::to_chars(buf.data(), buf.data() + buf.size(), run[0].value,
                                 std::chars_format::fixed);
        std::string_view text(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
        if (a.decimal != '.') {
            // The decimal mark of the texts read; a canonical text has at most one.
            if (auto p = text.find('.'); p != std::string_view::npos) {
                buf[p] = a.decimal;
            }
        }
        out.add(text, run[0].index);
        for (std::size_t q = 0; q < m; ++q) {
            out.count(run[q].group & ~canonicalbit);
        }
        out.close();
        return;
    }
    std::vector<std::string_view> seen;
    std::vector<std::vector<std::uint32_t>> members;
    for (std::size_t q = 0; q < m; ++q) {
        const std::string_view t = a.testtext(run[q].index);
        std::size_t s = std::find(seen.begin(), seen.end(), t) - seen.begin();
        if (s == seen.size()) {
            seen.push_back(t);
            members.emplace_back();
        }
        members[s].push_back(static_cast<std::uint32_t>(q));
    }
    for (std::size_t s = 0; s < seen.size(); ++s) {
        out.add(seen[s], run[members[s].front()].index);
        for (std::uint32_t q : members[s]) {
            out.count(run[q].group & ~canonicalbit);
        }
        out.close();
    }
}

// The counts grid: the spellings in collation order; among texts that compare equal the
// first met leads and stands for all, counting only the cases that hold exactly its text.
void countrows(Analysis& a, const Spellings& sp, const Collation& collation) {
    const std::size_t d = sp.firstcase.size();
    struct Key {
        std::uint64_t prefix;
        std::uint32_t spelling;
    };
    std::vector<Key> keys(d);
    for (std::uint32_t j = 0; j < d; ++j) {
        keys[j] = Key{collation.sortprefix(sp.at(j)), j};
    }
    parallelsort(keys.begin(), keys.end(), [&](const Key& x, const Key& y) {
        if (x.prefix != y.prefix) {
            return x.prefix < y.prefix;
        }
        const int c = collation.compare(sp.at(x.spelling), sp.at(y.spelling));
        return c != 0 ? c < 0 : sp.firstcase[x.spelling] < sp.firstcase[y.spelling];
    });
    a.countvalue.clear();
    a.countstart.assign(1, 0);
    a.countgroup.clear();
    a.countnumber.clear();
    std::uint32_t last = 0;
    for (const Key& key : keys) {
        const std::uint32_t j = key.spelling;
        if (!a.countvalue.empty() && collation.compare(sp.at(last), sp.at(j)) == 0) {
            continue;
        }
        last = j;
        a.countvalue.push_back(sp.firstcase[j]);
        a.countgroup.insert(a.countgroup.end(), sp.group.begin() + sp.start[j],
                            sp.group.begin() + sp.start[j + 1]);
        a.countnumber.insert(a.countnumber.end(), sp.number.begin() + sp.start[j],
                             sp.number.begin() + sp.start[j + 1]);
        a.countstart.push_back(static_cast<std::uint32_t>(a.countgroup.size()));
    }
}

} // namespace

void rank(Analysis& a, const Collation& collation, Feedback* feedback) {
    std::vector<Item> items = parseditems(a, feedback);
    const std::size_t n = items.size();
    const auto k = static_cast<std::size_t>(a.ngroups());

    // One sort by value gives the ranks, the medians and the runs of the counts.
    Pacer(feedback, "ranking", 1).check(0);
    parallelsort(items.begin(), items.end(), byvalue);

    std::vector<std::uint64_t> twicesum(k, 0);
    std::vector<wide> squares4(k, 0); // sums of (2 rank)^2
    std::vector<std::uint32_t> seen(k, 0);
    std::vector<long double> lo(k, 0);
    std::vector<long double> hi(k, 0);
    Spellings spellings;
    a.distinctvalues.clear();
    a.twicerank.clear();
    Pacer pacer(feedback, "counting values", n);
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && !(items[i].value < items[j].value)) {
            ++j;
        }
        // Positions i+1..j share the mean rank (i + 1 + j) / 2.
        const std::uint64_t twice = i + 1 + j;
        a.distinctvalues.push_back(items[i].value);
        a.twicerank.push_back(twice);
        for (std::size_t q = i; q < j; ++q) {
            const std::uint32_t g = items[q].group & ~canonicalbit;
            twicesum[g] += twice;
            squares4[g] += wide(twice) * twice;
            const std::uint32_t size = a.groupsize(int(g));
            const std::uint32_t pos = ++seen[g];
            if (pos == (size + 1) / 2) {
                lo[g] = items[q].value;
            }
            if (pos == size / 2 + 1) {
                hi[g] = items[q].value;
            }
        }
        spellrun(a, items.data() + i, j - i, spellings);
        i = j;
        pacer.tick(i);
    }
    items = {};

    a.ranksum.assign(k, 0);
    a.median.assign(k, 0);
    a.ranksumtext.assign(k, {});
    a.mediantext.assign(k, {});
    wide sumsquares4 = 0;
    long double groupterms = 0;
    long double withinterms = 0;
    for (std::size_t g = 0; g < k; ++g) {
        const std::uint32_t size = a.groupsize(int(g));
        sumsquares4 += squares4[g];
        a.ranksum[g] = static_cast<double>(twicesum[g]) / 2;
        a.median[g] =
            size % 2 == 1 ? static_cast<double>(lo[g]) : static_cast<double>((lo[g] + hi[g]) / 2);
        a.ranksumtext[g] = formatgeneral(a.ranksum[g], 15, a.decimal);
        a.mediantext[g] = formatgeneral(a.median[g], 15, a.decimal);
        // SG - C summed without cancellation: n_g (mean rank_g - (N + 1) / 2)^2.
        const swide dev = swide(twicesum[g]) - swide(size) * swide(n + 1);
        groupterms += tolong(dev * dev) / (4.0L * size);
        // n_g (sum of squares) - R_g^2 over n_g, from twice the ranks: exact numerators.
        const swide spread =
            swide(squares4[g]) * swide(size) - swide(twicesum[g]) * swide(twicesum[g]);
        withinterms += tolong(spread) / (4.0L * size);
    }
    const swide c4 = swide(n) * swide(n + 1) * swide(n + 1);
    a.sumsquaresminusc = tolong(swide(sumsquares4) - c4) / 4;
    a.sumgroupsminusc = groupterms;
    a.withingroups = withinterms;
    a.ranked = true;

    Pacer(feedback, "counting values", 1).check(0);
    countrows(a, spellings, collation);
}

} // namespace kw
