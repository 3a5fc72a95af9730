#include "analysis.h"

#include "exchangeorder.h"
#include "numbers.h"
#include "parallel.h"
#include "stagetimer.h"
#include "textindex.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>

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

GroupingKeys groupingkeys(const DataTable& table, int groupcol, bool astexts, char decimal,
                          Feedback* feedback) {
    Pacer(feedback, "sorting", 1).check(0);
    const auto n = static_cast<std::size_t>(table.ncases());
    GroupingKeys g;
    const TextIndex index = indextexts(table.column(groupcol), g.textid);
    g.keyrank.assign(n, 0);
    if (n < 2) {
        // The sort compares nothing, so nothing is parsed either.
        g.nkeys = n == 0 ? 0 : 1;
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
        g.onetextperkey = ranks == d;
    }
    for (std::size_t i = 0; i < n; ++i) {
        g.keyrank[i] = rankofid[g.textid[i]];
    }
    g.nkeys = ranks;
    return g;
}

std::shared_ptr<const std::vector<std::uint32_t>> groupingorder(const GroupingKeys& keys) {
    StageTimer timer("  exchange order");
    return std::make_shared<const std::vector<std::uint32_t>>(
        exchangeorder(keys.keyrank, keys.nkeys));
}

std::uint32_t Analysis::largestgroup() const {
    std::uint32_t m = 0;
    for (int g = 0; g < ngroups(); ++g) {
        m = std::max(m, groupsize(g));
    }
    return m;
}

std::uint32_t Analysis::count(std::size_t j, int g) const {
    const std::uint32_t s = countorder[j];
    auto first = countgroup.begin() + countstart[s];
    auto last = countgroup.begin() + countstart[s + 1];
    auto it = std::lower_bound(first, last, static_cast<std::uint32_t>(g));
    if (it == last || *it != static_cast<std::uint32_t>(g)) {
        return 0;
    }
    return countnumber[static_cast<std::size_t>(it - countgroup.begin())];
}

double Analysis::rankof(std::size_t i) const {
    // The value is read from the text again: keeping it for every case would cost the
    // calculation memory and a write per case.
    const double v = *parsereal(testtext(i), decimal);
    const auto at = std::lower_bound(distinctvalues.begin(), distinctvalues.end(), v);
    return static_cast<double>(twicerank[static_cast<std::size_t>(at - distinctvalues.begin())]) /
           2;
}

std::shared_ptr<Analysis> newanalysis(const DataTable& table, int groupcol, int testcol,
                                      char decimal) {
    auto a = std::make_shared<Analysis>();
    a->groupname = table.name(groupcol);
    a->testname = table.name(testcol);
    a->decimal = decimal;
    a->testcolumn = table.column(testcol);
    return a;
}

std::vector<std::uint32_t> groupsbykeys(Analysis& a, const GroupingKeys& keys,
                                        const std::vector<char>& included,
                                        const ColumnView& groupcolumn) {
    const std::size_t nrows = keys.keyrank.size();
    std::vector<std::uint32_t> size(keys.nkeys, 0);
    std::vector<std::uint32_t> row(keys.nkeys, 0);
    for (std::size_t r = 0; r < nrows; ++r) {
        if (included[r]) {
            ++size[keys.keyrank[r]];
            row[keys.keyrank[r]] = static_cast<std::uint32_t>(r);
        }
    }
    std::vector<std::uint32_t> groupofkey(keys.nkeys, nogroup);
    a.groupstart.assign(1, 0);
    a.groupvalues.clear();
    for (std::uint32_t k = 0; k < keys.nkeys; ++k) {
        if (size[k] > 0) {
            groupofkey[k] = static_cast<std::uint32_t>(a.groupvalues.size());
            a.groupvalues.emplace_back(groupcolumn[row[k]]);
            a.groupstart.push_back(a.groupstart.back() + size[k]);
        }
    }
    std::vector<std::uint32_t> group(nrows, nogroup);
    for (std::size_t r = 0; r < nrows; ++r) {
        if (included[r]) {
            group[r] = groupofkey[keys.keyrank[r]];
        }
    }
    return group;
}

void collectcases(Analysis& a, std::shared_ptr<const std::vector<std::uint32_t>> order,
                  const std::vector<char>& included, const GroupingKeys& keys,
                  const ColumnView& groupcolumn, bool groupsknown, Feedback* feedback) {
    a.order = std::move(order);
    const auto& o = *a.order;
    a.cases.clear();
    a.cases.reserve(static_cast<std::size_t>(std::count(included.begin(), included.end(), 1)));
    if (!groupsknown) {
        a.groupstart.clear();
        a.groupvalues.clear();
    }
    Pacer pacer(feedback, "collecting groups", o.size());
    std::uint32_t previous = 0;
    for (std::size_t p = 0; p < o.size(); ++p) {
        const std::uint32_t row = o[p];
        if (p + 16 < o.size()) {
            __builtin_prefetch(included.data() + o[p + 16]);
        }
        if (!included[row]) {
            continue;
        }
        if (!groupsknown) {
            const std::uint32_t id = keys.textid[row];
            if (a.cases.empty() || id != previous) {
                a.groupstart.push_back(static_cast<std::uint32_t>(a.cases.size()));
                a.groupvalues.emplace_back(groupcolumn[row]);
            }
            previous = id;
        }
        a.cases.push_back(static_cast<std::uint32_t>(p));
        pacer.tick(p);
    }
    if (!groupsknown) {
        a.groupstart.push_back(static_cast<std::uint32_t>(a.cases.size()));
    }
}

std::vector<std::uint32_t> groupsofrows(const Analysis& a) {
    std::vector<std::uint32_t> group(a.order->size(), nogroup);
    parallelslices(a.cases.size(), [&](unsigned, std::size_t from, std::size_t to) {
        auto g = static_cast<std::uint32_t>(
            std::upper_bound(a.groupstart.begin(), a.groupstart.end(), from) -
            a.groupstart.begin() - 1);
        for (std::size_t i = from; i < to; ++i) {
            while (i >= a.groupstart[g + 1]) {
                ++g;
            }
            group[a.rowof(i)] = g;
        }
    });
    return group;
}

std::string_view firstnonnumber(const Analysis& a) {
    for (std::size_t i = 0; i < a.cases.size(); ++i) {
        if (!parsereal(a.testtext(i), a.decimal)) {
            return a.testtext(i);
        }
    }
    return {};
}

namespace {

constexpr std::uint32_t none = nogroup;

// The runs of equal values, in ascending order, handed over one at a time: each distinct
// spelling (byte-wise text) of the value with its counts per group. Both ways of ranking
// below produce them; this turns them into ranks, sums, medians and the rows of the counts.
class Runs {
public:
    Runs(Analysis& a, std::size_t n) : a_(a), n_(n), k_(std::size_t(a.ngroups())) {
        twicesum_.assign(k_, 0);
        squares4_.assign(k_, 0);
        seen_.assign(k_, 0);
        lo_.assign(k_, 0);
        hi_.assign(k_, 0);
        a.distinctvalues.clear();
        a.twicerank.clear();
    }

    // Room for this many values and spellings (pages are only used as they are written).
    void reserve(std::size_t values) {
        a_.distinctvalues.reserve(values);
        a_.twicerank.reserve(values);
        spellrow.reserve(values);
        countstart.reserve(values + 1);
        countgroup.reserve(values);
        countnumber.reserve(values);
    }

    // A new value held by `count` cases.
    void value(double v, std::uint64_t count) {
        value_ = v;
        twice_ = 2 * position_ + count + 1; // positions position+1 .. position+count
        position_ += count;
        a_.distinctvalues.push_back(v);
        a_.twicerank.push_back(twice_);
    }

    // `count` cases of group g hold the current value.
    void cases(std::uint32_t g, std::uint64_t count) {
        twicesum_[g] += twice_ * count;
        squares4_[g] += wide(twice_) * twice_ * count;
        const std::uint64_t before = seen_[g];
        seen_[g] += count;
        const std::uint64_t size = a_.groupsize(int(g));
        if (before < (size + 1) / 2 && (size + 1) / 2 <= seen_[g]) {
            lo_[g] = value_;
        }
        if (before < size / 2 + 1 && size / 2 + 1 <= seen_[g]) {
            hi_[g] = value_;
        }
        if (countgroup.size() > countstart.back() && countgroup.back() == g) {
            countnumber.back() += static_cast<std::uint32_t>(count);
        } else {
            countgroup.push_back(g);
            countnumber.push_back(static_cast<std::uint32_t>(count));
            sorted_ = sorted_ && (countgroup.size() == countstart.back() + 1 ||
                                  countgroup[countgroup.size() - 2] < g);
        }
    }

    // A spelling of the current value begins: a row (before the sort) that holds it; its
    // counts follow through cases().
    void spelling(std::uint32_t row) {
        if (!spellrow.empty()) {
            closespelling();
        }
        spellrow.push_back(row);
    }

    void finish() {
        closespelling();
        a_.ranksum.assign(k_, 0);
        a_.median.assign(k_, 0);
        a_.ranksumtext.assign(k_, {});
        a_.mediantext.assign(k_, {});
        wide sumsquares4 = 0;
        long double groupterms = 0;
        long double withinterms = 0;
        for (std::size_t g = 0; g < k_; ++g) {
            const std::uint32_t size = a_.groupsize(int(g));
            sumsquares4 += squares4_[g];
            a_.ranksum[g] = static_cast<double>(twicesum_[g]) / 2;
            a_.median[g] = size % 2 == 1 ? static_cast<double>(lo_[g])
                                         : static_cast<double>((lo_[g] + hi_[g]) / 2);
            a_.ranksumtext[g] = formatgeneral(a_.ranksum[g], 15, a_.decimal);
            a_.mediantext[g] = formatgeneral(a_.median[g], 15, a_.decimal);
            // SG - C summed without cancellation: n_g (mean rank_g - (N + 1) / 2)^2.
            const swide dev = swide(twicesum_[g]) - swide(size) * swide(n_ + 1);
            groupterms += tolong(dev * dev) / (4.0L * size);
            // n_g (sum of squares) - R_g^2 over n_g, from twice the ranks: exact numerators.
            const swide spread =
                swide(squares4_[g]) * swide(size) - swide(twicesum_[g]) * swide(twicesum_[g]);
            withinterms += tolong(spread) / (4.0L * size);
        }
        const swide c4 = swide(n_) * swide(n_ + 1) * swide(n_ + 1);
        a_.sumsquaresminusc = tolong(swide(sumsquares4) - c4) / 4;
        a_.sumgroupsminusc = groupterms;
        a_.withingroups = withinterms;
        a_.ranked = true;
    }

    // The spellings: a row holding each, its order key, and its counts per group.
    std::vector<std::uint32_t> spellrow;
    std::vector<std::uint32_t> countstart{0};
    std::vector<std::uint32_t> countgroup;
    std::vector<std::uint32_t> countnumber;

private:
    // The counts of a spelling by group, each group once: cases met in row order come in
    // any group order.
    void closespelling() {
        const std::size_t from = countstart.back();
        if (!sorted_) {
            std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
            for (std::size_t e = from; e < countgroup.size(); ++e) {
                entries.emplace_back(countgroup[e], countnumber[e]);
            }
            std::sort(entries.begin(), entries.end());
            countgroup.resize(from);
            countnumber.resize(from);
            for (const auto& [g, c] : entries) {
                if (countgroup.size() > from && countgroup.back() == g) {
                    countnumber.back() += c;
                } else {
                    countgroup.push_back(g);
                    countnumber.push_back(c);
                }
            }
        }
        sorted_ = true;
        countstart.push_back(static_cast<std::uint32_t>(countgroup.size()));
    }

    Analysis& a_;
    bool sorted_ = true;
    std::uint64_t n_;
    std::size_t k_;
    double value_ = 0;
    std::uint64_t twice_ = 0;
    std::uint64_t position_ = 0;
    std::vector<std::uint64_t> twicesum_;
    std::vector<wide> squares4_;
    std::vector<std::uint64_t> seen_;
    std::vector<long double> lo_;
    std::vector<long double> hi_;
};

enum class Ranked { yes, toomanytexts, notanumber };

// Ranking by distinct texts, for data with many ties: the texts of the included rows are
// numbered in row order, each distinct text is parsed once, and a table of counts per text
// and group replaces the sort of the cases. Gives up, having done nothing, when there are too
// many distinct texts for it to pay.
Ranked rankbytexts(Analysis& a, const std::vector<std::uint32_t>& groupofrow, Runs& runs,
                   bool always) {
    const std::size_t nrows = groupofrow.size();
    const std::size_t n = a.groupstart.back();
    const std::size_t k = static_cast<std::size_t>(a.ngroups());
    // The table of texts must stay about the size of the cache to beat sorting.
    const std::size_t maxtexts =
        always ? n + 1 : std::min<std::size_t>(n / 4 + 1024, std::size_t{1} << 17);

    std::vector<std::uint32_t> textid(nrows, none);
    std::vector<TextIndex> parts(workers());
    std::vector<std::vector<std::uint32_t>> firstrows(parts.size());
    std::vector<std::size_t> slicefrom(parts.size() + 1, nrows);
    std::atomic<bool> toomany = false;
    parallelslices(nrows, [&](unsigned part, std::size_t from, std::size_t to) {
        slicefrom[part] = from;
        TextIndex& index = parts[part];
        std::vector<std::uint32_t> seen; // how often each text was met, up to the probe
        // After an eighth of the rows, estimate how many distinct texts there are in all from
        // those met once and twice so far (Chao's estimate), and give up if too many.
        const std::size_t probe = always ? to : from + (to - from) / 8;
        for (std::size_t row = from; row < to; ++row) {
            if ((row & 4095) == 0 && toomany.load(std::memory_order_relaxed)) {
                return;
            }
            if (row == probe && probe - from > 1000) {
                double once = 0;
                double twice = 0;
                for (std::uint32_t c : seen) {
                    once += c == 1 ? 1 : 0;
                    twice += c == 2 ? 1 : 0;
                }
                const double estimate =
                    static_cast<double>(index.size()) + once * once / (2 * std::max(twice, 1.0));
                if (estimate > static_cast<double>(maxtexts)) {
                    toomany = true;
                    return;
                }
                seen = {};
            }
            if (groupofrow[row] == none) {
                continue;
            }
            const std::uint32_t id = index.insert(a.testcolumn[row]);
            if (id == firstrows[part].size()) {
                firstrows[part].push_back(static_cast<std::uint32_t>(row));
                if (id >= maxtexts) {
                    toomany = true;
                    return;
                }
                if (row < probe) {
                    seen.push_back(0);
                }
            }
            if (row < probe) {
                ++seen[id];
            }
            textid[row] = id;
        }
    });
    if (toomany) {
        return Ranked::toomanytexts;
    }
    TextIndex all = std::move(parts[0]);
    std::vector<std::uint32_t> firstrow = std::move(firstrows[0]);
    for (std::size_t part = 1; part < parts.size() && slicefrom[part] < nrows; ++part) {
        std::vector<std::uint32_t> global(parts[part].size());
        for (std::uint32_t id = 0; id < parts[part].size(); ++id) {
            global[id] = all.insert(parts[part].text(id));
            if (global[id] == firstrow.size()) {
                firstrow.push_back(firstrows[part][id]);
            }
        }
        for (std::size_t row = slicefrom[part]; row < slicefrom[part + 1]; ++row) {
            if (textid[row] != none) {
                textid[row] = global[textid[row]];
            }
        }
    }
    if (all.size() > maxtexts) {
        return Ranked::toomanytexts;
    }

    const std::size_t d = all.size();
    std::vector<double> value(d);
    for (std::uint32_t id = 0; id < d; ++id) {
        const auto v = parsereal(all.text(id), a.decimal);
        if (!v) {
            return Ranked::notanumber;
        }
        value[id] = *v;
    }
    // The counts per text and group: a table when it is small, otherwise the groups of each
    // text's rows, bucketed by text.
    const bool table = d * k <= std::max<std::size_t>(std::size_t{1} << 22, 2 * n);
    std::vector<std::uint32_t> count;
    std::vector<std::uint32_t> idstart;
    std::vector<std::uint32_t> idgroups;
    if (table) {
        count.assign(d * k, 0);
        for (std::size_t row = 0; row < nrows; ++row) {
            if (groupofrow[row] != none) {
                ++count[std::size_t(textid[row]) * k + groupofrow[row]];
            }
        }
    } else {
        idstart.assign(d + 1, 0);
        for (std::size_t row = 0; row < nrows; ++row) {
            if (groupofrow[row] != none) {
                ++idstart[textid[row] + 1];
            }
        }
        std::partial_sum(idstart.begin(), idstart.end(), idstart.begin());
        idgroups.resize(n);
        std::vector<std::uint32_t> next(idstart.begin(), idstart.end() - 1);
        for (std::size_t row = 0; row < nrows; ++row) {
            if (groupofrow[row] != none) {
                idgroups[next[textid[row]]++] = groupofrow[row];
            }
        }
    }
    auto cases = [&](std::uint32_t id) -> std::uint64_t {
        if (!table) {
            return idstart[id + 1] - idstart[id];
        }
        std::uint64_t total = 0;
        for (std::size_t g = 0; g < k; ++g) {
            total += count[std::size_t(id) * k + g];
        }
        return total;
    };

    runs.reserve(d);
    std::vector<std::uint32_t> byvalue(d);
    std::iota(byvalue.begin(), byvalue.end(), 0u);
    std::sort(byvalue.begin(), byvalue.end(), [&](std::uint32_t x, std::uint32_t y) {
        return value[x] < value[y] || (!(value[y] < value[x]) && x < y);
    });
    for (std::size_t i = 0; i < d;) {
        std::size_t j = i;
        std::uint64_t total = 0;
        for (; j < d && !(value[byvalue[i]] < value[byvalue[j]]); ++j) {
            total += cases(byvalue[j]);
        }
        runs.value(value[byvalue[i]], total);
        for (std::size_t q = i; q < j; ++q) {
            const std::uint32_t id = byvalue[q];
            runs.spelling(firstrow[id]);
            if (table) {
                for (std::size_t g = 0; g < k; ++g) {
                    if (const std::uint32_t c = count[std::size_t(id) * k + g]; c > 0) {
                        runs.cases(static_cast<std::uint32_t>(g), c);
                    }
                }
            } else {
                auto first = idgroups.begin() + idstart[id];
                auto last = idgroups.begin() + idstart[id + 1];
                std::sort(first, last);
                for (auto it = first; it != last;) {
                    auto end = std::find_if(it, last, [&](std::uint32_t g) { return g != *it; });
                    runs.cases(*it, static_cast<std::uint64_t>(end - it));
                    it = end;
                }
            }
        }
        i = j;
    }
    return Ranked::yes;
}

// One included row for the ranking by sorting: its value, its row, its group (with the top
// bit set when its text is the canonical spelling of the value), and the order key of its
// text for the counts, taken while the text is at hand.
struct Item {
    double value;
    std::uint32_t row;
    std::uint32_t group;
};

constexpr std::uint32_t canonicalbit = 0x80000000u;

struct ByValue {
    bool operator()(const Item& x, const Item& y) const {
        return x.value < y.value || (!(y.value < x.value) && x.row < y.row);
    }
};

// Ranking by sorting the cases, for data with few ties.
Ranked rankbysorting(Analysis& a, std::vector<std::uint32_t>& groupofrow, Runs& runs,
                     Feedback* feedback) {
    const std::size_t nrows = groupofrow.size();
    // Every item is written before it is read: no need to clear them first.
    const std::size_t nitems = a.groupstart.back();
    std::unique_ptr<Item[]> items(new Item[nitems]);
    // Each worker parses a slice of the rows into its part of the items, in row order.
    const unsigned parts = workers();
    std::vector<std::size_t> itemfrom(parts + 1, 0);
    parallelslices(nrows, [&](unsigned part, std::size_t from, std::size_t to) {
        std::size_t c = 0;
        for (std::size_t row = from; row < to; ++row) {
            c += groupofrow[row] != none ? 1 : 0;
        }
        itemfrom[part + 1] = c;
    });
    std::partial_sum(itemfrom.begin(), itemfrom.end(), itemfrom.begin());
    std::vector<char> bad(parts, 0);
    parallelslices(nrows, [&](unsigned part, std::size_t from, std::size_t to) {
        std::size_t at = itemfrom[part];
        for (std::size_t row = from; row < to; ++row) {
            if (groupofrow[row] == none) {
                continue;
            }
            bool canonical = false;
            const std::string_view text = a.testcolumn[row];
            const auto v = parsereal(text, a.decimal, &canonical);
            if (!v) {
                bad[part] = 1;
                return;
            }
            items[at++] = Item{*v, static_cast<std::uint32_t>(row),
                               groupofrow[row] | (canonical ? canonicalbit : 0)};
        }
    });
    if (std::find(bad.begin(), bad.end(), 1) != bad.end()) {
        return Ranked::notanumber;
    }
    groupofrow = {}; // the items hold the groups now

    Pacer(feedback, "ranking", 1).check(0);
    parallelsort(items.get(), items.get() + nitems, ByValue{});
    runs.reserve(nitems);

    const std::size_t n = nitems;
    std::vector<std::string_view> seen;
    std::vector<std::vector<std::uint32_t>> members;
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        bool allcanonical = (items[i].group & canonicalbit) != 0;
        while (j < n && !(items[i].value < items[j].value)) {
            allcanonical = allcanonical && (items[j].group & canonicalbit) != 0;
            ++j;
        }
        runs.value(items[i].value, j - i);
        if (allcanonical) {
            // Canonical texts of one value are all the same text.
            runs.spelling(items[i].row);
            for (std::size_t q = i; q < j; ++q) {
                runs.cases(items[q].group & ~canonicalbit, 1);
            }
        } else {
            // Other spellings (1.50 beside 1.5) are looked up and told apart byte by byte.
            seen.clear();
            members.clear();
            for (std::size_t q = i; q < j; ++q) {
                const std::string_view t = a.testcolumn[items[q].row];
                const auto s =
                    static_cast<std::size_t>(std::find(seen.begin(), seen.end(), t) - seen.begin());
                if (s == seen.size()) {
                    seen.push_back(t);
                    members.emplace_back();
                }
                members[s].push_back(static_cast<std::uint32_t>(q));
            }
            for (std::size_t s = 0; s < seen.size(); ++s) {
                runs.spelling(items[members[s].front()].row);
                for (std::uint32_t q : members[s]) {
                    runs.cases(items[q].group & ~canonicalbit, 1);
                }
            }
        }
        i = j;
    }
    return Ranked::yes;
}

// The counts grid: the spellings in collation order; among texts that compare equal the
// first met (in group order) leads and stands for all, counting only the cases that hold
// exactly its text.
void countrows(Analysis& a, Runs& runs, const Collation& collation,
               const std::function<void()>& needcases) {
    const std::size_t d = runs.spellrow.size();
    // The texts and their order keys, fetched in one tight loop: the rows lie anywhere.
    std::vector<std::string_view> texts(d);
    struct Key {
        std::uint64_t prefix;
        std::uint32_t spelling;
    };
    std::vector<Key> keys(d);
    parallelslices(d, [&](unsigned, std::size_t from, std::size_t to) {
        for (std::size_t j = from; j < to; ++j) {
            if (j + 16 < to) {
                a.testcolumn.prefetchref(runs.spellrow[j + 16]);
            }
            if (j + 8 < to) {
                a.testcolumn.prefetchtext(runs.spellrow[j + 8]);
            }
            texts[j] = a.testcolumn[runs.spellrow[j]];
            keys[j] = Key{collation.sortprefix(texts[j]), static_cast<std::uint32_t>(j)};
        }
    });
    auto text = [&](std::uint32_t j) { return texts[j]; };
    auto before = [&](const Key& x, const Key& y) {
        if (x.prefix != y.prefix) {
            return x.prefix < y.prefix;
        }
        const int c = collation.compare(text(x.spelling), text(y.spelling));
        return c != 0 ? c < 0 : x.spelling < y.spelling;
    };
    // The spellings come in value order, and numbers of one sign and one count of integer
    // digits are in text order already: when the keys fall into a few ascending runs, merging
    // them beats sorting.
    std::vector<std::size_t> runstart{0};
    for (std::size_t j = 1; j < d && runstart.size() <= 64; ++j) {
        if (before(keys[j], keys[j - 1])) {
            runstart.push_back(j);
        }
    }
    if (runstart.size() <= 64) {
        runstart.push_back(d);
        while (runstart.size() > 2) {
            std::vector<std::size_t> merged{0};
            for (std::size_t r = 0; r + 1 < runstart.size(); r += 2) {
                const std::size_t last =
                    r + 2 < runstart.size() ? runstart[r + 2] : runstart[r + 1];
                std::inplace_merge(keys.begin() + std::ptrdiff_t(runstart[r]),
                                   keys.begin() + std::ptrdiff_t(runstart[r + 1]),
                                   keys.begin() + std::ptrdiff_t(last), before);
                merged.push_back(last);
            }
            runstart = std::move(merged);
        }
    } else {
        parallelsort(keys.begin(), keys.end(), before);
    }
    a.counttext.clear();
    a.counttext.reserve(d);
    a.countorder.clear();
    a.countorder.reserve(d);
    auto equal = [&](std::size_t p, std::size_t q) {
        return keys[p].prefix == keys[q].prefix &&
               collation.compare(text(keys[p].spelling), text(keys[q].spelling)) == 0;
    };
    for (std::size_t p = 0; p < d;) {
        std::size_t q = p + 1;
        while (q < d && equal(p, q)) {
            ++q;
        }
        std::uint32_t lead = keys[p].spelling;
        if (q - p > 1) {
            // Texts that differ only where the collation does not look: the one met first.
            std::vector<std::string_view> texts;
            for (std::size_t r = p; r < q; ++r) {
                texts.push_back(text(keys[r].spelling));
            }
            if (needcases) {
                needcases();
            }
            const std::vector<std::uint32_t> first = firstcases(a, texts);
            const auto best = std::min_element(first.begin(), first.end()) - first.begin();
            lead = keys[p + static_cast<std::size_t>(best)].spelling;
        }
        a.counttext.push_back(text(lead));
        a.countorder.push_back(lead);
        p = q;
    }
    a.countstart = std::move(runs.countstart);
    a.countgroup = std::move(runs.countgroup);
    a.countnumber = std::move(runs.countnumber);
}

} // namespace

std::vector<std::uint32_t> firstcases(const Analysis& a,
                                      const std::vector<std::string_view>& texts) {
    std::vector<std::uint32_t> first(texts.size(), none);
    std::size_t found = 0;
    for (std::size_t i = 0; i < a.cases.size() && found < texts.size(); ++i) {
        const std::string_view t = a.testtext(i);
        for (std::size_t s = 0; s < texts.size(); ++s) {
            if (first[s] == none && texts[s] == t) {
                first[s] = static_cast<std::uint32_t>(i);
                ++found;
            }
        }
    }
    return first;
}

bool rank(Analysis& a, std::vector<std::uint32_t> groupofrow, const Collation& collation,
          Feedback* feedback, const std::function<void()>& needcases) {
    Pacer(feedback, "ranking", 1).check(0);
    Runs runs(a, a.groupstart.back());
    std::optional<StageTimer> timer("  rank by texts");
    // KW_RANK=sort or =texts picks one way for tests that compare the two.
    const char* method = std::getenv("KW_RANK");
    const std::string_view forced = method != nullptr ? method : "";
    Ranked ranked = Ranked::toomanytexts;
    if (forced != "sort") {
        ranked = rankbytexts(a, groupofrow, runs, forced == "texts");
    }
    if (ranked == Ranked::toomanytexts) {
        timer.emplace("  rank by sorting");
        ranked = rankbysorting(a, groupofrow, runs, feedback);
    }
    if (ranked == Ranked::notanumber) {
        return false;
    }
    runs.finish();
    Pacer(feedback, "counting values", 1).check(0);
    timer.emplace("  count rows");
    countrows(a, runs, collation, needcases);
    return true;
}

} // namespace kw
