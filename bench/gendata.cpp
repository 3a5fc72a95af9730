// Writes the benchmark data sets, the same bytes for the same seed on every machine.
// Usage: kwgendata SHAPE N SEED FILE
//   g10    10 groups coded 1..10, a real-valued test variable (3 decimals)
//   t3     3 text groups, an integer test variable 0..20 with heavy ties
//   g1000  1000 groups coded 1..1000, a real-valued test variable (4 decimals)
//   c10    10 groups coded 1..10, a near-continuous test variable (4 decimals over a range
//          wide enough that almost every value is distinct, as in a sensor export)

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// splitmix64: a small generator whose output is fixed by its definition.
struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    double normal() {
        const double u = 1 - uniform();
        return std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * uniform());
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: kwgendata g10|t3|g1000|c10 N SEED FILE\n");
        return 2;
    }
    const std::string shape = argv[1];
    const long n = std::atol(argv[2]);
    Random rng{std::strtoull(argv[3], nullptr, 10)};
    std::FILE* f = std::fopen(argv[4], "wb");
    if (f == nullptr) {
        std::perror(argv[4]);
        return 1;
    }
    static const char* const texts[3] = {"alpha", "Beta", "gamma"};
    std::fputs("group value\r\n", f);
    for (long i = 0; i < n; ++i) {
        if (shape == "g10") {
            const int g = 1 + rng.below(10);
            std::fprintf(f, "%d %.3f\r\n", g, 50 + 0.05 * g + 10 * rng.normal());
        } else if (shape == "t3") {
            const int g = rng.below(3);
            int v = 0;
            for (int k = 0; k < 20; ++k) {
                v += rng.uniform() < 0.5 + 0.01 * g ? 1 : 0;
            }
            std::fprintf(f, "%s %d\r\n", texts[g], v);
        } else if (shape == "g1000") {
            const int g = 1 + rng.below(1000);
            std::fprintf(f, "%d %.4f\r\n", g, 100 * rng.uniform() + 0.002 * g);
        } else if (shape == "c10") {
            // Wide enough that 3 percent of the cases share their value with another at 10^7
            // cases, 0.3 percent at 10^6.
            const int g = 1 + rng.below(10);
            std::fprintf(f, "%d %.4f\r\n", g, 50000 + 50 * g + 10000 * rng.normal());
        } else {
            std::fprintf(stderr, "unknown shape %s\n", shape.c_str());
            return 2;
        }
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
