#pragma once

#include "core/base/feedback.h"
#include "core/stats/rankprofile.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace kw {

// When the p-value of H is computed exactly.
enum class ExactMode {
    automatic, // exactly when the work it takes, estimated beforehand, is within the budget
    always,    // exactly, however long it takes (it may be cancelled)
    never      // by Monte Carlo
};

const char* exactModeName(ExactMode mode); // auto, always, never
std::optional<ExactMode> exactModeNamed(std::string_view name);

// The p-value of H three ways: the asymptotic chi-square p, and either the exact permutation
// p (conditional on the observed midranks, so that ties are handled) or a Monte Carlo p from
// random relabellings of the cases with its 99 percent Clopper-Pearson interval.
struct PermutationP {
    double asymptotic = 0;
    bool exact = false;
    double p = 0;
    std::optional<std::pair<double, double>> interval; // Monte Carlo only
    std::uint64_t resamples = 0;                       // Monte Carlo only
};

// `h` is the test's statistic, corrected for ties; `resamples` and `seed` serve the Monte
// Carlo p: the share of the relabellings whose statistic is at least the observed one, nothing
// added to either count (as R's coin reports it), the same for a seed whatever the number of
// threads. Shows progress and may be cancelled (kw::Cancelled). ExactMode::always refuses only
// a count that the memory cannot hold (kw::Failure, Reason::outOfMemory).
PermutationP permutationP(const RankProfile& profile, double h, ExactMode mode,
                          std::uint64_t resamples, std::uint64_t seed,
                          Feedback* feedback = nullptr);

} // namespace kw
