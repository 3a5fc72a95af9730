#pragma once

#include "core/stats/random.h"

#include <cstdint>

namespace kw {

// How many of `sample` cases drawn without replacement from `total`, of which `special` are
// special, are special (the hypergeometric distribution): by drawing them one by one for small
// samples, otherwise by Stadlober's ratio-of-uniforms method (HRUA), both exact samplers.
std::uint64_t hypergeometric(RandomStream& random, std::uint64_t total, std::uint64_t special,
                             std::uint64_t sample);

} // namespace kw
