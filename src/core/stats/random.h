#pragma once

#include <cstdint>

namespace kw {

// The random numbers of the resampling statistics (bootstrap intervals, Monte Carlo p): a
// small fast generator (xoshiro256**) whose state comes from the user's seed and the number
// of the resample, so that every resample draws the same numbers whichever thread runs it,
// and the same seed always gives the same results.
class RandomStream {
public:
    RandomStream(std::uint64_t seed, std::uint64_t resample) {
        std::uint64_t x = seed ^ (0x9E3779B97F4A7C15ull * (resample + 1));
        for (std::uint64_t& word : state_) {
            word = splitMix(x);
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotate(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotate(state_[3], 45);
        return result;
    }

    // As the standard library's distributions take a generator.
    using result_type = std::uint64_t;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return ~result_type{0}; }
    result_type operator()() { return next(); }

    // A whole number in [0, n), n > 0, without bias (Lemire's method).
    std::uint64_t below(std::uint64_t n) {
        __extension__ using Wide = unsigned __int128;
        Wide m = Wide(next()) * n;
        auto low = static_cast<std::uint64_t>(m);
        if (low < n) {
            const std::uint64_t threshold = (0 - n) % n;
            while (low < threshold) {
                m = Wide(next()) * n;
                low = static_cast<std::uint64_t>(m);
            }
        }
        return static_cast<std::uint64_t>(m >> 64);
    }

    // A real number in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

private:
    static std::uint64_t rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    static std::uint64_t splitMix(std::uint64_t& x) {
        std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::uint64_t state_[4];
};

} // namespace kw
