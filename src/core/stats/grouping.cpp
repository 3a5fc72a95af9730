#include "core/stats/grouping.h"

#include "core/base/numbers.h"
#include "core/base/parallel.h"
#include "core/base/textindex.h"
#include "core/stats/exchangeorder.h"

#include <algorithm>
#include <numeric>

namespace kw {

namespace {

// Numbers the texts of a column in the order met, each worker taking a slice of the rows
// and the slices' numbers then joined in row order.
TextIndex indexTexts(const ColumnView& col, std::vector<std::uint32_t>& textId) {
    const std::size_t n = col.size();
    textId.resize(n);
    std::vector<TextIndex> parts(workers());
    std::vector<std::size_t> firstRow(parts.size() + 1, n);
    parallelSlices(n, [&](unsigned part, std::size_t from, std::size_t to) {
        firstRow[part] = from;
        TextIndex& index = parts[part];
        for (std::size_t i = from; i < to; ++i) {
            if (i + TextIndex::prefetchAhead < to && index.large()) {
                index.prefetch(col[i + TextIndex::prefetchAhead]);
            }
            textId[i] = index.insert(col[i]);
        }
    });
    TextIndex all = std::move(parts[0]);
    for (std::size_t part = 1; part < parts.size() && firstRow[part] < n; ++part) {
        const TextIndex& index = parts[part];
        std::vector<std::uint32_t> global(index.size());
        for (std::uint32_t id = 0; id < index.size(); ++id) {
            global[id] = all.insert(index.text(id));
        }
        const std::size_t to = part + 1 < firstRow.size() ? firstRow[part + 1] : n;
        for (std::size_t i = firstRow[part]; i < std::min(to, n); ++i) {
            textId[i] = global[textId[i]];
        }
    }
    return all;
}

} // namespace

GroupingKeys groupingKeys(const DataTable& table, int groupColumn, bool asTexts, char decimal,
                          Feedback* feedback) {
    Pacer(feedback, "sorting", 1).check(0);
    const auto n = static_cast<std::size_t>(table.caseCount());
    GroupingKeys g;
    const TextIndex index = indexTexts(table.column(groupColumn), g.textId);
    if (n < 2) {
        g.keyRank.assign(n, 0);
        // The sort compares nothing, so nothing is parsed either.
        g.keyCount = n == 0 ? 0 : 1;
        return g;
    }
    // Rank the distinct texts: as texts, byte by byte, or by their values, equal values
    // sharing a rank. Ids are numbered in row order, so the first failing id is the first
    // failing row.
    const auto d = static_cast<std::uint32_t>(index.size());
    g.keyRank.resize(n);
    std::vector<std::uint32_t> byOrder(d);
    std::iota(byOrder.begin(), byOrder.end(), 0u);
    std::vector<std::uint32_t> rankOfId(d);
    std::uint32_t ranks = 0;
    if (asTexts) {
        std::sort(byOrder.begin(), byOrder.end(),
                  [&](std::uint32_t x, std::uint32_t y) { return index.text(x) < index.text(y); });
        for (std::uint32_t p = 0; p < d; ++p) {
            rankOfId[byOrder[p]] = p;
        }
        ranks = d;
    } else {
        std::vector<double> value(d);
        for (std::uint32_t id = 0; id < d; ++id) {
            value[id] = realValue(index.text(id), decimal);
        }
        std::sort(byOrder.begin(), byOrder.end(),
                  [&](std::uint32_t x, std::uint32_t y) { return value[x] < value[y]; });
        for (std::uint32_t p = 0; p < d; ++p) {
            if (p > 0 && value[byOrder[p - 1]] < value[byOrder[p]]) {
                ++ranks;
            }
            rankOfId[byOrder[p]] = ranks;
        }
        ++ranks;
        g.oneTextPerKey = ranks == d;
    }
    parallelSlices(n, [&](unsigned, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            g.keyRank[i] = rankOfId[g.textId[i]];
        }
    });
    g.keyCount = ranks;
    return g;
}

std::shared_ptr<const std::vector<std::uint32_t>> groupingOrder(const GroupingKeys& keys,
                                                                Feedback* feedback, bool exchange) {
    StageTimer timer(feedback, exchange ? "  exchange order" : "  order by keys");
    return std::make_shared<const std::vector<std::uint32_t>>(
        exchange ? exchangeOrder(keys.keyRank, keys.keyCount)
                 : stableKeyOrder(keys.keyRank, keys.keyCount));
}

std::vector<std::uint32_t> groupsByKeys(GroupedCases& a, const GroupingKeys& keys,
                                        const std::vector<char>& included,
                                        const ColumnView& groupColumn,
                                        std::vector<std::uint32_t> reuse) {
    const std::size_t rowCount = keys.keyRank.size();
    std::vector<std::uint32_t> size(keys.keyCount, 0);
    std::vector<std::uint32_t> row(keys.keyCount, 0);
    for (std::size_t r = 0; r < rowCount; ++r) {
        if (included[r]) {
            ++size[keys.keyRank[r]];
            row[keys.keyRank[r]] = static_cast<std::uint32_t>(r);
        }
    }
    std::vector<std::uint32_t> groupOfKey(keys.keyCount, noGroup);
    a.groupStart.assign(1, 0);
    a.groupValues.clear();
    for (std::uint32_t k = 0; k < keys.keyCount; ++k) {
        if (size[k] > 0) {
            groupOfKey[k] = static_cast<std::uint32_t>(a.groupValues.size());
            a.groupValues.emplace_back(groupColumn[row[k]]);
            a.groupStart.push_back(a.groupStart.back() + size[k]);
        }
    }
    std::vector<std::uint32_t> group = std::move(reuse);
    group.resize(rowCount);
    parallelSlices(rowCount, [&](unsigned, std::size_t from, std::size_t to) {
        for (std::size_t r = from; r < to; ++r) {
            group[r] = included[r] ? groupOfKey[keys.keyRank[r]] : noGroup;
        }
    });
    return group;
}

void collectCases(GroupedCases& a, std::shared_ptr<const std::vector<std::uint32_t>> order,
                  const std::vector<char>& included, const std::vector<std::uint32_t>* textIds,
                  const ColumnView& groupColumn, Feedback* feedback) {
    const bool groupsKnown = textIds == nullptr;
    a.order = std::move(order);
    const auto& o = *a.order;
    a.cases.clear();
    a.cases.reserve(static_cast<std::size_t>(std::count(included.begin(), included.end(), 1)));
    if (!groupsKnown) {
        a.groupStart.clear();
        a.groupValues.clear();
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
        if (!groupsKnown) {
            const std::uint32_t id = (*textIds)[row];
            if (a.cases.empty() || id != previous) {
                a.groupStart.push_back(static_cast<std::uint32_t>(a.cases.size()));
                a.groupValues.emplace_back(groupColumn[row]);
            }
            previous = id;
        }
        a.cases.push_back(static_cast<std::uint32_t>(p));
        pacer.tick(p);
    }
    if (!groupsKnown) {
        a.groupStart.push_back(static_cast<std::uint32_t>(a.cases.size()));
    }
}

std::vector<std::uint32_t> groupsOfRows(const GroupedCases& a) {
    std::vector<std::uint32_t> group(a.order->size(), noGroup);
    parallelSlices(a.cases.size(), [&](unsigned, std::size_t from, std::size_t to) {
        auto g = static_cast<std::uint32_t>(
            std::upper_bound(a.groupStart.begin(), a.groupStart.end(), from) -
            a.groupStart.begin() - 1);
        for (std::size_t i = from; i < to; ++i) {
            while (i >= a.groupStart[g + 1]) {
                ++g;
            }
            group[a.rowOf(i)] = g;
        }
    });
    return group;
}

} // namespace kw
