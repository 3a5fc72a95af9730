// Google Benchmark cases for the stages of the analysis, from 10^4 to 10^7 cases. The data
// are generated in memory with fixed seeds: 10 groups and a real-valued test variable with
// three decimals (many ties), or 1000 groups and four decimals (few ties).

#include "core/io/textreader.h"
#include "core/results/groupgrids.h"
#include "core/session/session.h"
#include "core/stats/analysis.h"
#include "core/stats/comparison.h"
#include "core/stats/exchangeorder.h"
#include "core/stats/grouping.h"
#include "core/stats/ranking.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

std::string datatext(std::int64_t n, int groups, int decimals) {
    std::mt19937_64 rng(20261208);
    std::string text = "group value\r\n";
    char line[64];
    for (std::int64_t i = 0; i < n; ++i) {
        const int g = 1 + static_cast<int>(rng() % static_cast<unsigned>(groups));
        const double v = static_cast<double>(rng() % 1000000) / 10000.0 + 0.01 * g;
        const int len = std::snprintf(line, sizeof line, "%d %.*f\r\n", g, decimals, v);
        text.append(line, static_cast<std::size_t>(len));
    }
    return text;
}

kw::Session loaded(std::int64_t n, int groups, int decimals) {
    kw::Session s;
    s.loadTable(kw::readTextData(datatext(n, groups, decimals)));
    s.pickGroup(0);
    s.pickTest(1);
    return s;
}

void Reading(benchmark::State& state) {
    const std::string text = datatext(state.range(0), 10, 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kw::readTextData(text));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void ExchangeOrder(benchmark::State& state) {
    // The order of cases within groups: 1000 group codes in random order.
    std::mt19937 rng(7);
    std::vector<std::uint32_t> keys(static_cast<std::size_t>(state.range(0)));
    for (auto& k : keys) {
        k = rng() % 1000;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(kw::exchangeOrder(keys, 1000));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void GroupingSort(benchmark::State& state) {
    const kw::Session s = loaded(state.range(0), 10, 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kw::groupingOrder(kw::groupingKeys(s.table(), 1, false, '.', nullptr), nullptr));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Ranks, medians and the counts come out of one pass over the values in order.
void RankMediansCounts(benchmark::State& state, kw::RankingMethod method, int decimals) {
    const kw::Session s = loaded(state.range(0), 10, decimals);
    const kw::GroupingKeys keys = kw::groupingKeys(s.table(), 1, false, '.', nullptr);
    const std::vector<char> included(static_cast<std::size_t>(state.range(0)), 1);
    for (auto _ : state) {
        kw::GroupedCases cases;
        cases.testColumn = s.table().column(2);
        auto groupOfRow = kw::groupsByKeys(cases, keys, included, s.table().column(1), {});
        benchmark::DoNotOptimize(kw::rankCases(cases, std::move(groupOfRow), kw::Locale{}.collate(),
                                               method, true, nullptr));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void RankByTexts(benchmark::State& state) {
    RankMediansCounts(state, kw::RankingMethod::byDistinctTexts, 3);
}
void RankBySorting(benchmark::State& state) {
    RankMediansCounts(state, kw::RankingMethod::bySorting, 4);
}

void Comparison(benchmark::State& state) {
    // Every cell of the pairwise table of 1000 groups.
    kw::Session s = loaded(state.range(0), 1000, 4);
    s.setAlphaText("1");
    s.applyAnalysis(kw::analyse(s.table(), s.analysisRequest()));
    const kw::Grid& g = *s.grids().comparison;
    for (auto _ : state) {
        std::size_t marks = 0;
        for (int r = 2; r < g.rowCount(); ++r) {
            for (int c = 2; c < g.columnCount(); ++c) {
                marks += g.cell(c, r)[3] == '*' ? 1 : 0;
            }
        }
        benchmark::DoNotOptimize(marks);
    }
    state.SetItemsProcessed(state.iterations() * (g.rowCount() - 2) * (g.columnCount() - 2));
}

void WholeCalculation(benchmark::State& state) {
    const kw::Session s = loaded(state.range(0), 10, 3);
    for (auto _ : state) {
        kw::Session t = s;
        t.applyAnalysis(kw::analyse(t.table(), t.analysisRequest()));
        benchmark::DoNotOptimize(t.values());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

constexpr std::int64_t smallest = 10'000;
constexpr std::int64_t largest = 10'000'000;

BENCHMARK(Reading)->RangeMultiplier(10)->Range(smallest, largest)->Unit(benchmark::kMillisecond);
BENCHMARK(ExchangeOrder)
    ->RangeMultiplier(10)
    ->Range(smallest, largest)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(GroupingSort)
    ->RangeMultiplier(10)
    ->Range(smallest, largest)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RankByTexts)
    ->RangeMultiplier(10)
    ->Range(smallest, largest)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RankBySorting)
    ->RangeMultiplier(10)
    ->Range(smallest, largest)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Comparison)
    ->RangeMultiplier(10)
    ->Range(smallest, 1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WholeCalculation)
    ->RangeMultiplier(10)
    ->Range(smallest, largest)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
