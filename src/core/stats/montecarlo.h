#pragma once

#include "core/base/feedback.h"
#include "core/stats/permutationcases.h"
#include "core/stats/permutationtest.h"

#include <cstdint>

namespace kw::permutation {

// The Monte Carlo p: the share of relabellings whose statistic is at least the observed one.
// Nothing is added to the count or the number of relabellings, as R's coin package
// (kruskal_test with approximate()) reports it, so that its results and these agree within
// their intervals; the 99 percent Clopper-Pearson interval is coin's too.
void monteCarlo(const Cases& cases, std::uint64_t resamples, std::uint64_t seed, Feedback* feedback,
                PermutationP& out);

} // namespace kw::permutation
