#include "analysis.h"

#include "numbers.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace kw {

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

std::shared_ptr<Analysis> collectgroups(const DataTable& table,
                                        const std::vector<std::uint32_t>& order,
                                        const std::vector<char>& included, int groupcol,
                                        int testcol, char decimal, Feedback* feedback) {
    auto a = std::make_shared<Analysis>();
    a->groupname = table.name(groupcol);
    a->testname = table.name(testcol);
    a->decimal = decimal;

    const ColumnView groups = table.column(groupcol);
    a->testcells = table.permutedcolumn(testcol, order);

    Pacer pacer(feedback, "collecting groups", order.size());
    std::string_view previous;
    for (std::size_t p = 0; p < order.size(); ++p) {
        const std::uint32_t row = order[p];
        if (!included[row]) {
            continue;
        }
        const std::string_view t = groups[row];
        if (a->cases.empty() || t != previous) {
            a->groupstart.push_back(static_cast<std::uint32_t>(a->cases.size()));
            a->groupvalues.emplace_back(t);
        }
        a->cases.push_back(static_cast<std::uint32_t>(p));
        previous = t;
        pacer.tick(p);
    }
    a->groupstart.push_back(static_cast<std::uint32_t>(a->cases.size()));
    return a;
}

std::vector<double> testvalues(const Analysis& a, Feedback* feedback) {
    std::vector<double> values(a.cases.size());
    Pacer pacer(feedback, "reading values", values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = realvalue(a.testtext(i), a.decimal);
        pacer.tick(i);
    }
    return values;
}

namespace {

__extension__ typedef unsigned __int128 wide;
__extension__ typedef __int128 swide;

long double tolong(swide v) {
    // Split so that no precision is lost in the conversion of the upper part.
    const bool negative = v < 0;
    wide u = negative ? wide(-v) : wide(v);
    const long double hi = static_cast<long double>(static_cast<std::uint64_t>(u >> 64));
    const long double lo = static_cast<long double>(static_cast<std::uint64_t>(u));
    const long double r = hi * 18446744073709551616.0L + lo;
    return negative ? -r : r;
}

// The distinct test texts (byte-wise) of one run of equal values, with their cases.
struct Spelling {
    std::string_view text;
    std::uint32_t firstcase;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> counts; // (group, count), by group
};

void countcases(Analysis& a, const std::vector<std::pair<double, std::uint32_t>>& sorted,
                const std::vector<std::uint32_t>& groupof, const Collation& collation,
                Feedback* feedback) {
    // Byte-equal texts are equal as numbers, so each spelling lies within one run of equal
    // values of the sorted pairs.
    std::vector<std::uint32_t> firstcase;
    std::vector<std::uint32_t> start{0};
    std::vector<std::uint32_t> groups;
    std::vector<std::uint32_t> numbers;
    std::vector<Spelling> run;
    std::unordered_map<std::string_view, std::size_t> index;
    Pacer pacer(feedback, "counting values", sorted.size());
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t j = i;
        run.clear();
        index.clear();
        while (j < sorted.size() && sorted[j].first == sorted[i].first) {
            const std::uint32_t c = sorted[j].second;
            const std::string_view text = a.testtext(c);
            std::size_t s = 0;
            if (run.size() < 8) {
                while (s < run.size() && run[s].text != text) {
                    ++s;
                }
            } else {
                if (index.empty()) {
                    for (std::size_t q = 0; q < run.size(); ++q) {
                        index.emplace(run[q].text, q);
                    }
                }
                auto it = index.find(text);
                s = it == index.end() ? run.size() : it->second;
                if (it == index.end()) {
                    index.emplace(text, s);
                }
            }
            if (s == run.size()) {
                run.push_back(Spelling{text, c, {}});
            }
            auto& counts = run[s].counts;
            const std::uint32_t g = groupof[c];
            if (counts.empty() || counts.back().first != g) {
                counts.emplace_back(g, 1);
            } else {
                ++counts.back().second;
            }
            ++j;
        }
        for (const auto& sp : run) {
            firstcase.push_back(sp.firstcase);
            for (const auto& [g, n] : sp.counts) {
                groups.push_back(g);
                numbers.push_back(n);
            }
            start.push_back(static_cast<std::uint32_t>(groups.size()));
        }
        i = j;
        pacer.tick(i);
    }

    // Collation order; among texts that compare equal the first met leads and stands for all,
    // counting only the cases that hold exactly its text.
    std::vector<std::uint32_t> byorder(firstcase.size());
    for (std::uint32_t q = 0; q < byorder.size(); ++q) {
        byorder[q] = q;
    }
    std::sort(byorder.begin(), byorder.end(), [&](std::uint32_t x, std::uint32_t y) {
        const int c = collation.compare(a.testtext(firstcase[x]), a.testtext(firstcase[y]));
        return c != 0 ? c < 0 : firstcase[x] < firstcase[y];
    });
    a.countvalue.clear();
    a.countstart.assign(1, 0);
    a.countgroup.clear();
    a.countnumber.clear();
    std::uint32_t last = 0;
    for (std::uint32_t q : byorder) {
        if (!a.countvalue.empty() &&
            collation.compare(a.testtext(firstcase[last]), a.testtext(firstcase[q])) == 0) {
            continue;
        }
        last = q;
        a.countvalue.push_back(firstcase[q]);
        for (std::uint32_t e = start[q]; e < start[q + 1]; ++e) {
            a.countgroup.push_back(groups[e]);
            a.countnumber.push_back(numbers[e]);
        }
        a.countstart.push_back(static_cast<std::uint32_t>(a.countgroup.size()));
    }
}

} // namespace

void rank(Analysis& a, const std::vector<double>& values, const Collation& collation,
          Feedback* feedback) {
    const std::size_t n = values.size();
    const int k = a.ngroups();
    std::vector<std::uint32_t> groupof(n);
    for (int g = 0; g < k; ++g) {
        std::fill(groupof.begin() + a.groupstart[std::size_t(g)],
                  groupof.begin() + a.groupstart[std::size_t(g) + 1],
                  static_cast<std::uint32_t>(g));
    }

    // One sort of (value, case) pairs gives the ranks, the medians and the runs of the counts.
    std::vector<std::pair<double, std::uint32_t>> sorted(n);
    for (std::size_t i = 0; i < n; ++i) {
        sorted[i] = {values[i], static_cast<std::uint32_t>(i)};
    }
    if (feedback != nullptr) {
        Pacer(feedback, "ranking", 1).check(0);
    }
    std::sort(sorted.begin(), sorted.end());

    a.twicerank.assign(n, 0);
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i;
        while (j < n && sorted[j].first == sorted[i].first) {
            ++j;
        }
        // Positions i+1..j share the mean rank (i + 1 + j) / 2.
        const auto twice = static_cast<std::uint32_t>(i + 1 + j);
        for (std::size_t q = i; q < j; ++q) {
            a.twicerank[sorted[q].second] = twice;
        }
        i = j;
    }

    // Medians: the middle values of each group in value order.
    std::vector<std::uint32_t> seen(std::size_t(k), 0);
    std::vector<long double> lo(std::size_t(k), 0);
    std::vector<long double> hi(std::size_t(k), 0);
    for (const auto& [v, c] : sorted) {
        const std::uint32_t g = groupof[c];
        const std::uint32_t size = a.groupsize(int(g));
        const std::uint32_t pos = ++seen[g];
        if (pos == (size + 1) / 2) {
            lo[g] = v;
        }
        if (pos == size / 2 + 1) {
            hi[g] = v;
        }
    }

    a.ranksum.assign(std::size_t(k), 0);
    a.median.assign(std::size_t(k), 0);
    a.ranksumtext.assign(std::size_t(k), {});
    a.mediantext.assign(std::size_t(k), {});
    wide sumsquares4 = 0; // sum of (2 rank)^2
    long double groupterms = 0;
    long double withinterms = 0;
    const std::uint64_t ntotal = n;
    for (int g = 0; g < k; ++g) {
        const std::size_t gi = std::size_t(g);
        const std::uint32_t size = a.groupsize(g);
        std::uint64_t twicesum = 0;
        wide groupsquares4 = 0;
        for (std::uint32_t i = a.groupstart[gi]; i < a.groupstart[gi + 1]; ++i) {
            const std::uint64_t r2 = a.twicerank[i];
            twicesum += r2;
            groupsquares4 += wide(r2) * r2;
        }
        sumsquares4 += groupsquares4;
        a.ranksum[gi] = static_cast<double>(twicesum) / 2;
        a.median[gi] = size % 2 == 1 ? static_cast<double>(lo[gi])
                                     : static_cast<double>((lo[gi] + hi[gi]) / 2);
        a.ranksumtext[gi] = formatgeneral(a.ranksum[gi], 15, a.decimal);
        a.mediantext[gi] = formatgeneral(a.median[gi], 15, a.decimal);
        // SG - C summed without cancellation: n_g (mean rank_g - (N + 1) / 2)^2.
        const swide dev = swide(twicesum) - swide(size) * swide(ntotal + 1);
        groupterms += tolong(dev * dev) / (4.0L * size);
        // n_g (sum of squares) - R_g^2 over n_g, from twice the ranks: exact numerators.
        const swide spread = swide(groupsquares4) * swide(size) - swide(twicesum) * swide(twicesum);
        withinterms += tolong(spread) / (4.0L * size);
    }
    const swide c4 = swide(ntotal) * swide(ntotal + 1) * swide(ntotal + 1);
    a.sumsquaresminusc = tolong(swide(sumsquares4) - c4) / 4;
    a.sumgroupsminusc = groupterms;
    a.withingroups = withinterms;
    a.ranked = true;

    countcases(a, sorted, groupof, collation, feedback);
}

} // namespace kw

#include "exchangeorder.h"

namespace kw {

std::vector<std::uint32_t> groupingorder(const DataTable& table, int groupcol, bool astexts,
                                         char decimal, Feedback* feedback) {
    const auto n = static_cast<std::size_t>(table.ncases());
    const ColumnView col = table.column(groupcol);
    if (feedback != nullptr) {
        Pacer(feedback, "sorting", 1).check(0);
    }
    if (n < 2) {
        // The sort compares nothing, so nothing is parsed either.
        std::vector<std::uint32_t> order(n);
        for (std::size_t i = 0; i < n; ++i) {
            order[i] = static_cast<std::uint32_t>(i);
        }
        return order;
    }
    if (astexts) {
        return exchangesortorder(n,
                                 [&](std::uint32_t x, std::uint32_t y) { return col[x] < col[y]; });
    }
    // (value, row) pairs sorted as a whole give the stable order of the rows by value.
    std::vector<std::pair<double, std::uint32_t>> keyed(n);
    Pacer pacer(feedback, "sorting", n);
    for (std::size_t i = 0; i < n; ++i) {
        keyed[i] = {realvalue(col[i], decimal), static_cast<std::uint32_t>(i)};
        pacer.tick(i);
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::uint32_t> sorted(n);
    std::vector<bool> newkey(n, false);
    for (std::size_t p = 0; p < n; ++p) {
        sorted[p] = keyed[p].second;
        newkey[p] = p > 0 && keyed[p - 1].first < keyed[p].first;
    }
    return exchangeorder(std::move(sorted), newkey);
}

} // namespace kw
