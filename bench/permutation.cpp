// Times of the permutation p-values of H (core/stats/permutationtest.h): the exact p for small
// designs, and the Monte Carlo p for 10^5 to 10^7 cases in 10 groups with few ties, with many
// ties (three decimals, as in the benchmarks of the analysis) and with five distinct values.
// The profiles are built directly, without the analysis, so that only the p-value is timed.
//
//   kwpermutation [exact | monte-carlo | naive] [resamples]

#include "core/stats/permutationtest.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

// The profile of cases given as (group, value) pairs, values compared as whole numbers.
kw::RankProfile profileOf(int groups, std::vector<std::pair<int, std::int64_t>> cases) {
    std::sort(cases.begin(), cases.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    kw::RankProfile p;
    p.groups.resize(static_cast<std::size_t>(groups));
    p.sizes.assign(static_cast<std::size_t>(groups), 0);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(groups));
    for (std::size_t i = 0; i < cases.size();) {
        std::size_t j = i;
        std::fill(row.begin(), row.end(), 0);
        while (j < cases.size() && cases[j].second == cases[i].second) {
            ++row[static_cast<std::size_t>(cases[j].first)];
            ++j;
        }
        const auto index = static_cast<std::uint32_t>(p.values.size());
        p.values.push_back(static_cast<double>(cases[i].second));
        p.midranks.push_back(static_cast<double>(i) + (static_cast<double>(j - i) + 1) / 2);
        p.totals.push_back(j - i);
        for (std::size_t g = 0; g < row.size(); ++g) {
            if (row[g] > 0) {
                p.groups[g].push_back({index, row[g]});
                p.sizes[g] += row[g];
            }
        }
        i = j;
    }
    p.caseCount = cases.size();
    return p;
}

// The processor time of all threads so far: the machine may be shared while this runs.
double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void time(const char* name, const kw::RankProfile& profile, kw::ExactMode mode,
          std::uint64_t resamples) {
    const auto start = std::chrono::steady_clock::now();
    const double processor = processorSeconds();
    const kw::PermutationP p = kw::permutationP(profile, 1.0, mode, resamples, 20261208);
    std::printf("%-34s %-6s p = %.6f", name, p.exact ? "exact" : "MC", p.p);
    if (p.interval) {
        std::printf(" [%.4f, %.4f]", p.interval->first, p.interval->second);
    }
    std::printf("  %.3f s (processor %.3f s)\n", seconds(start), processorSeconds() - processor);
    std::fflush(stdout);
}

// Groups of the given sizes, values a random order of 1..N or drawn from `distinct` values.
kw::RankProfile design(const std::vector<int>& sizes, std::int64_t distinct, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::vector<std::pair<int, std::int64_t>> cases;
    std::int64_t n = 0;
    for (const int s : sizes) {
        n += s;
    }
    std::vector<std::int64_t> values(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) {
        values[static_cast<std::size_t>(i)] =
            distinct > 0 ? static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(distinct))
                         : i;
    }
    std::shuffle(values.begin(), values.end(), rng);
    std::size_t at = 0;
    for (std::size_t g = 0; g < sizes.size(); ++g) {
        for (int j = 0; j < sizes[g]; ++j) {
            cases.emplace_back(static_cast<int>(g), values[at++]);
        }
    }
    return profileOf(static_cast<int>(sizes.size()), cases);
}

// n cases in 10 groups drawn at random; values with `decimals` decimals as in the analysis
// benchmarks (0 to 100 with a small shift per group), or one of five when decimals < 0.
kw::RankProfile tenGroups(std::int64_t n, int decimals) {
    std::mt19937_64 rng(20261208);
    std::vector<std::pair<int, std::int64_t>> cases;
    cases.reserve(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) {
        const int g = static_cast<int>(rng() % 10);
        const std::uint64_t r = rng();
        std::int64_t v;
        if (decimals < 0) {
            v = static_cast<std::int64_t>(r % 5) +
                (g == 3 ? static_cast<std::int64_t>(r >> 40) % 2 : 0);
        } else if (decimals >= 9) {
            v = static_cast<std::int64_t>(r >> 4);
        } else {
            // (r % 10^6) / 10^4 + 0.01 g, rounded to `decimals` decimals, in units of 10^-4
            std::int64_t units = static_cast<std::int64_t>(r % 1000000) + 100 * (g + 1);
            std::int64_t unit = 1;
            for (int d = decimals; d < 4; ++d) {
                unit *= 10;
            }
            v = (units + unit / 2) / unit;
        }
        cases.emplace_back(g, v);
    }
    return profileOf(10, cases);
}

// The straightforward way, for comparison: per relabelling a full shuffle of the N labels
// (std::shuffle, mt19937_64) and the sums of the doubled midranks by label, one thread.
void naive(const char* name, const kw::RankProfile& profile, std::uint64_t resamples) {
    std::vector<std::uint8_t> labels;
    std::vector<std::uint64_t> twice;
    for (std::size_t g = 0; g < profile.groups.size(); ++g) {
        labels.insert(labels.end(), profile.sizes[g], static_cast<std::uint8_t>(g));
    }
    for (std::size_t v = 0; v < profile.values.size(); ++v) {
        twice.insert(twice.end(), profile.totals[v],
                     static_cast<std::uint64_t>(2 * profile.midranks[v]));
    }
    std::mt19937_64 random(1);
    std::vector<std::uint64_t> sums(profile.groups.size());
    std::uint64_t check = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint64_t b = 0; b < resamples; ++b) {
        std::shuffle(labels.begin(), labels.end(), random);
        std::fill(sums.begin(), sums.end(), 0);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            sums[labels[i]] += twice[i];
        }
        check += sums[0];
    }
    std::printf("%-34s naive  %llu resamples  %.3f s (%.2f ns a case)\n", name,
                static_cast<unsigned long long>(resamples), seconds(start),
                seconds(start) * 1e9 / static_cast<double>(resamples * labels.size()));
    if (check == 1) {
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool exact = argc < 2 || std::strcmp(argv[1], "exact") == 0;
    const bool monte = argc < 2 || std::strcmp(argv[1], "monte-carlo") == 0;
    if (argc > 1 && std::strcmp(argv[1], "naive") == 0) {
        for (const std::int64_t n : {100000, 1000000, 10000000}) {
            naive(("naive 1e" + std::to_string(static_cast<int>(std::log10(n))) + " few ties")
                      .c_str(),
                  tenGroups(n, 9), 10000000 / static_cast<std::uint64_t>(n) * 10);
        }
        return 0;
    }
    const std::uint64_t resamples = argc > 2 ? std::stoull(argv[2]) : 10000;
    if (exact) {
        time("exact 3 groups of 15", design({15, 15, 15}, 0, 1), kw::ExactMode::always, 0);
        time("exact 4 groups of 6", design({6, 6, 6, 6}, 0, 1), kw::ExactMode::always, 0);
        time("exact 2 groups of 50", design({50, 50}, 0, 1), kw::ExactMode::always, 0);
        time("exact 3 groups of 20", design({20, 20, 20}, 0, 1), kw::ExactMode::always, 0);
        time("exact 4 groups of 7", design({7, 7, 7, 7}, 0, 1), kw::ExactMode::always, 0);
        time("exact 5 groups of 4", design({4, 4, 4, 4, 4}, 0, 1), kw::ExactMode::always, 0);
        time("exact 3 groups of 10, 5 values", design({10, 10, 10}, 5, 1), kw::ExactMode::always,
             0);
        time("exact 3 groups of 15, 5 values", design({15, 15, 15}, 5, 1), kw::ExactMode::always,
             0);
        time("exact 4 groups of 6, 5 values", design({6, 6, 6, 6}, 5, 1), kw::ExactMode::always, 0);
        time("exact 2 groups of 200, 3 values", design({200, 200}, 3, 1), kw::ExactMode::always, 0);
        time("auto 3 groups of 15", design({15, 15, 15}, 0, 1), kw::ExactMode::automatic,
             resamples);
        time("auto 3 groups of 20", design({20, 20, 20}, 0, 1), kw::ExactMode::automatic,
             resamples);
    }
    if (monte) {
        for (const std::int64_t n : {100000, 1000000, 10000000}) {
            const std::string size = "1e" + std::to_string(static_cast<int>(std::log10(n)));
            time(("MC " + size + " few ties").c_str(), tenGroups(n, 9), kw::ExactMode::never,
                 resamples);
            time(("MC " + size + " 3 decimals").c_str(), tenGroups(n, 3), kw::ExactMode::never,
                 resamples);
            time(("MC " + size + " 5 values").c_str(), tenGroups(n, -1), kw::ExactMode::never,
                 resamples);
        }
    }
}
