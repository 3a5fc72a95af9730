#include "core/stats/permutationtest.h"

#include "core/base/failure.h"
#include "core/stats/exactpermutation.h"
#include "core/stats/montecarlo.h"
#include "core/stats/permutationcases.h"
#include "core/stats/probabilities.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <optional>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#elif __has_include(<unistd.h>)
#include <unistd.h>
#endif

namespace kw {

const char* exactModeName(ExactMode mode) {
    switch (mode) {
    case ExactMode::always:
        return "always";
    case ExactMode::never:
        return "never";
    case ExactMode::automatic:
        break;
    }
    return "auto";
}

std::optional<ExactMode> exactModeNamed(std::string_view name) {
    for (const ExactMode mode : {ExactMode::automatic, ExactMode::always, ExactMode::never}) {
        if (name == exactModeName(mode)) {
            return mode;
        }
    }
    return std::nullopt;
}

namespace {

using permutation::Cases;
using permutation::casesOf;
using permutation::ExactCost;
using permutation::ExactCount;
using permutation::monteCarlo;

// The memory the machine has, as far as it says.
double physicalMemory() {
#if defined(_WIN32)
    MEMORYSTATUSEX s{};
    s.dwLength = sizeof s;
    if (GlobalMemoryStatusEx(&s)) {
        return static_cast<double>(s.ullTotalPhys);
    }
#elif defined(_SC_PHYS_PAGES) && defined(_SC_PAGE_SIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long size = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && size > 0) {
        return static_cast<double>(pages) * static_cast<double>(size);
    }
#endif
    return 8e9;
}

// The budget of the automatic choice. The work estimate counts 64-bit words added or cleared
// (twice for counts wider than two words, and 16 for setting up a box), and on the 2-core
// machine the programme was tuned on both cores get through 1.7e9 to 2e9 of them a second:
// three groups of 15 (6.3e8) took 0.37 s, four groups of 6 (6.2e8) 0.31 s, three groups of 20
// (4.4e9) 2.4 s, five groups of 4 (5.9e9) 2.9 s. 4e9 is then about 2 seconds, 4 on one core: a
// wait that a user who wants the exact p accepts, where Monte Carlo would give a p as good for
// the purpose in a fraction of it. Memory is held to 512 MB, well under what a machine that runs
// the program has: three groups of 15 take 160 MB and four groups of 6 260 MB, four groups of 7
// (940 MB) go to Monte Carlo.
constexpr double exactWorkBudget = 4e9;
constexpr double exactMemoryBudget = 512e6;

// The refusal of an exact p that the memory cannot hold.
Failure tooLarge(const ExactCost& cost, double memory) {
    std::string need = "more memory";
    if (std::isfinite(cost.bytes)) {
        char text[64];
        std::snprintf(text, sizeof text, "%s %.3g GB of memory",
                      cost.complete ? "about" : "more than", cost.bytes / 1e9);
        need = text;
    }
    char has[32];
    std::snprintf(has, sizeof has, "%.3g GB", memory / 1e9);
    return Failure(Failure::Reason::outOfMemory, "the exact p-value needs " + need +
                                                     ", more than this computer has (" + has +
                                                     "): use Monte Carlo");
}

} // namespace

PermutationP permutationP(const RankProfile& profile, double h, ExactMode mode,
                          std::uint64_t resamples, std::uint64_t seed, Feedback* feedback) {
    PermutationP out;
    const Cases cases = casesOf(profile);
    const std::size_t k = cases.sizes.size();
    out.asymptotic = k < 2 ? 1 : probability::chiSquareUpper(h, static_cast<double>(k - 1));
    if (mode == ExactMode::never && k >= 2) {
        monteCarlo(cases, resamples, seed, feedback, out);
        return out;
    }
    if (k < 2 || cases.twice.size() < 2) {
        // One group, or all cases tied: every arrangement has the same statistic.
        out.exact = true;
        out.p = 1;
        return out;
    }
    if (mode == ExactMode::automatic) {
        // The cheap bound first: large data never build the exact count's arrays.
        if (ExactCount::smallestWork(cases) > exactWorkBudget) {
            monteCarlo(cases, resamples, seed, feedback, out);
            return out;
        }
        ExactCount exact(cases);
        const ExactCost cost = exact.cost(exactWorkBudget, exactMemoryBudget);
        if (!cost.complete) {
            monteCarlo(cases, resamples, seed, feedback, out);
            return out;
        }
        try {
            out.p = exact.p(cost, feedback);
            out.exact = true;
        } catch (const std::bad_alloc&) {
            monteCarlo(cases, resamples, seed, feedback, out); // a machine short of memory
        }
        return out;
    }
    // Always: whatever it takes, as long as the memory can hold it.
    const double memory = physicalMemory();
    std::optional<ExactCount> exact;
    ExactCost cost;
    try {
        exact.emplace(cases);
        cost = exact->cost(std::numeric_limits<double>::infinity(), 0.8 * memory);
    } catch (const std::bad_alloc&) {
        cost.bytes = std::numeric_limits<double>::infinity();
        cost.complete = false;
    }
    if (!cost.complete) {
        throw tooLarge(cost, memory);
    }
    try {
        out.exact = true;
        out.p = exact->p(cost, feedback);
    } catch (const std::bad_alloc&) {
        throw tooLarge(cost, memory);
    }
    return out;
}

} // namespace kw
