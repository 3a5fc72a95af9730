#include "core/stats/permutationtest.h"

#include "core/base/failure.h"
#include "core/base/parallel.h"
#include "core/stats/probabilities.h"
#include "core/stats/random.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <numeric>
#include <string>
#include <vector>

#if __has_include(<unistd.h>)
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

__extension__ using U128 = unsigned __int128;
__extension__ using I128 = __int128;

// The cases as the permutation distribution sees them: the sizes of the groups that hold
// cases, the doubled midrank of each distinct value and how many cases hold it, and the
// observed sums of doubled midranks by group. Doubled midranks are whole numbers, so that
// every sum below is exact.
struct Cases {
    std::vector<std::uint64_t> sizes;
    std::vector<std::uint64_t> observed; // per group
    std::vector<std::uint64_t> twice;    // per value, ascending
    std::vector<std::uint64_t> tied;     // per value
    std::uint64_t n = 0;
    std::uint64_t total = 0; // the sum of all doubled midranks, N (N + 1)
};

Cases casesOf(const RankProfile& profile) {
    Cases cases;
    for (std::size_t v = 0; v < profile.values.size(); ++v) {
        if (profile.totals[v] == 0) {
            continue;
        }
        cases.twice.push_back(static_cast<std::uint64_t>(std::llround(2 * profile.midranks[v])));
        cases.tied.push_back(profile.totals[v]);
    }
    for (std::size_t g = 0; g < profile.groups.size(); ++g) {
        if (profile.sizes[g] == 0) {
            continue;
        }
        std::uint64_t sum = 0;
        for (const RankProfile::Entry& e : profile.groups[g]) {
            sum +=
                e.count * static_cast<std::uint64_t>(std::llround(2 * profile.midranks[e.value]));
        }
        cases.sizes.push_back(profile.sizes[g]);
        cases.observed.push_back(sum);
        cases.n += profile.sizes[g];
    }
    for (std::size_t v = 0; v < cases.twice.size(); ++v) {
        cases.total += cases.twice[v] * cases.tied[v];
    }
    return cases;
}

// Orders arrangements of the cases by their statistic. With the group sizes and the midranks
// fixed, H grows with the sum over groups of S_g^2 / n_g (S_g the group's sum of doubled
// midranks), in whole numbers with the sum of S_g^2 (L / n_g), L the least common multiple of
// the sizes. Where that fits in 127 bits it is compared exactly, so that an arrangement whose
// statistic equals the observed one counts as at least as large. Otherwise (many cases in
// groups of sizes with a large common multiple) the centred form, the sum of
// (N S_g - n_g T)^2 / n_g with T the sum of all doubled midranks, is compared in long double
// with a relative margin of 1e-12 that absorbs its rounding (64-bit mantissas: errors near
// 1e-18), so that equal statistics still count as at least as large.
class StatisticOrder {
public:
    StatisticOrder(const std::vector<std::uint64_t>& sizes, std::uint64_t n, std::uint64_t total,
                   const std::uint64_t* observed)
        : sizes_(sizes), n_(n), total_(total) {
        U128 multiple = 1;
        bool fits = true;
        for (const std::uint64_t size : sizes) {
            multiple = multiple / std::gcd(static_cast<std::uint64_t>(multiple), size) * size;
            if (multiple >> 63) {
                fits = false;
                break;
            }
        }
        if (fits) {
            std::uint64_t largest = 0;
            for (const std::uint64_t size : sizes) {
                weights_.push_back(static_cast<std::uint64_t>(multiple) / size);
                largest = std::max(largest, weights_.back());
            }
            const long double bound =
                static_cast<long double>(largest) * total * static_cast<long double>(total);
            fits = bound < 0x1p126L;
        }
        exact_ = fits;
        if (exact_) {
            observedExact_ = exactValue(observed);
        } else {
            observedCentred_ = centredValue(observed);
            threshold_ = observedCentred_ * (1 - 1e-12L);
        }
    }

    // Whether the arrangement with these sums (of every group) has a statistic at least as
    // large as the observed one.
    bool atLeast(const std::uint64_t* sums) const {
        return exact_ ? exactValue(sums) >= observedExact_ : centredValue(sums) >= threshold_;
    }

private:
    U128 exactValue(const std::uint64_t* sums) const {
        U128 value = 0;
        for (std::size_t g = 0; g < weights_.size(); ++g) {
            value += U128(sums[g]) * sums[g] * weights_[g];
        }
        return value;
    }
    long double centredValue(const std::uint64_t* sums) const {
        long double value = 0;
        for (std::size_t g = 0; g < sizes_.size(); ++g) {
            const I128 centred = I128(n_) * sums[g] - I128(sizes_[g]) * total_;
            const auto c = static_cast<long double>(centred);
            value += c * c / static_cast<long double>(sizes_[g]);
        }
        return value;
    }

    std::vector<std::uint64_t> sizes_;
    std::uint64_t n_;
    std::uint64_t total_;
    bool exact_ = true;
    std::vector<std::uint64_t> weights_;
    U128 observedExact_ = 0;
    long double observedCentred_ = 0;
    long double threshold_ = 0;
};

// ---- Whole numbers of many 64-bit words (least significant first) for the exact counts ----

using Words = std::vector<std::uint64_t>;

void addWords(std::uint64_t* to, const std::uint64_t* from, std::size_t words) {
    std::uint64_t carry = 0;
    for (std::size_t w = 0; w < words; ++w) {
        const U128 sum = U128(to[w]) + from[w] + carry;
        to[w] = static_cast<std::uint64_t>(sum);
        carry = static_cast<std::uint64_t>(sum >> 64);
    }
}

int compareWords(const Words& a, const Words& b) {
    for (std::size_t w = a.size(); w-- > 0;) {
        if (a[w] != b[w]) {
            return a[w] < b[w] ? -1 : 1;
        }
    }
    return 0;
}

// The double nearest to num / den (num <= den, den > 0; both with the same number of words,
// the top one zero), ties to even: long division one bit at a time.
double nearestQuotient(Words num, const Words& den) {
    const bool zero = std::all_of(num.begin(), num.end(), [](std::uint64_t w) { return w == 0; });
    if (zero) {
        return 0;
    }
    if (compareWords(num, den) == 0) {
        return 1;
    }
    std::uint64_t mantissa = 0; // 53 bits and a rounding bit
    int bits = 0;
    int exponent = 0; // the weight of the last bit taken: 2^exponent
    while (bits < 54) {
        for (std::size_t w = num.size(); w-- > 0;) {
            num[w] = (num[w] << 1) | (w > 0 ? num[w - 1] >> 63 : 0);
        }
        --exponent;
        const bool bit = compareWords(num, den) >= 0;
        if (bit) {
            std::uint64_t borrow = 0;
            for (std::size_t w = 0; w < num.size(); ++w) {
                const std::uint64_t d = den[w] + borrow;
                const bool under = d < borrow || num[w] < d;
                num[w] -= d;
                borrow = under ? 1 : 0;
            }
        }
        if (bits > 0 || bit) {
            mantissa = (mantissa << 1) | (bit ? 1 : 0);
            ++bits;
        }
    }
    const bool sticky = std::any_of(num.begin(), num.end(), [](std::uint64_t w) { return w != 0; });
    const bool half = (mantissa & 1) != 0;
    mantissa >>= 1;
    if (half && (sticky || (mantissa & 1) != 0)) {
        ++mantissa;
    }
    return std::ldexp(static_cast<double>(mantissa), exponent + 1);
}

// The memory the machine has, as far as it says.
double physicalMemory() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGE_SIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long size = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && size > 0) {
        return static_cast<double>(pages) * static_cast<double>(size);
    }
#endif
    return 8e9;
}

// ---- The exact distribution ----

// What the exact count takes, estimated before it starts: the state updates (64-bit word
// additions and clearings) and the peak memory.
struct ExactCost {
    double work = 0;
    double bytes = 0;
    double largestLayer = 1; // in cells
    double cells = 0;        // of all layers after the first
    bool complete = true;    // false: the estimate stopped once past its cap
};

// The exact permutation distribution of the statistic, counted by a dynamic programme over the
// cases taken one at a time in ascending order. A state after i cases is the number of cases
// and the sum of (compressed) midranks of every group but the last, which takes the rest; it
// holds how many of the N!/(n_1!...n_k!) ways to label the first i cases lead to it. States are
// kept per count vector in a dense box spanning the sums reachable with those counts (between
// the sum of the smallest and the sum of the largest midranks so far), in two layers; count
// vectors that cannot reach the final sizes are never made. The case goes to the last group
// (the state stays) or to group g (count and sum of g grow), and every box of the previous
// layer lies inside the box it feeds, so that each feed adds whole rows. After all cases the one
// count vector left holds the distribution of the sums, whose statistic is compared exactly.
class ExactCount {
public:
    explicit ExactCount(const Cases& cases) : cases_(cases) {
        const std::size_t k = cases.sizes.size();
        order_.resize(k);
        std::iota(order_.begin(), order_.end(), std::size_t{0});
        // The largest group goes last, untracked: it costs no dimension.
        const auto largest = std::max_element(cases.sizes.begin(), cases.sizes.end());
        std::swap(order_[static_cast<std::size_t>(largest - cases.sizes.begin())], order_[k - 1]);
        for (const std::size_t g : order_) {
            sizes_.push_back(cases.sizes[g]);
        }
        // Midranks as small whole numbers: doubled midrank = low + step * value.
        low_ = cases.twice.front();
        for (const std::uint64_t t : cases.twice) {
            step_ = std::gcd(step_, t - low_);
        }
        step_ = std::max<std::uint64_t>(step_, 1);
        for (std::size_t v = 0; v < cases.twice.size(); ++v) {
            values_.insert(values_.end(), cases.tied[v], (cases.twice[v] - low_) / step_);
        }
        prefix_.assign(values_.size() + 1, 0);
        for (std::size_t i = 0; i < values_.size(); ++i) {
            prefix_[i + 1] = prefix_[i] + values_[i];
        }
        // Each count fits in `words_` 64-bit words: no count exceeds the number of labellings.
        double log2Labellings = std::lgamma(static_cast<double>(cases.n) + 1);
        for (const std::uint64_t size : cases.sizes) {
            log2Labellings -= std::lgamma(static_cast<double>(size) + 1);
        }
        log2Labellings /= std::log(2.0);
        words_ = static_cast<std::size_t>(std::floor((log2Labellings + 2) / 64)) + 1;
        if (words_ == 5 || words_ == 7) {
            ++words_; // the kernels come in 1, 2, 3, 4, 6 and 8 words, and any number beyond
        }
    }

    std::size_t dimensions() const { return sizes_.size() - 1; }
    // The count vectors of the tracked groups.
    double keys() const {
        double product = 1;
        for (std::size_t g = 0; g < dimensions(); ++g) {
            product *= static_cast<double>(sizes_[g] + 1);
        }
        return product;
    }

    // The cost, summed step by step from the layers' sizes (the sizes of all boxes of the count
    // vectors alive at a step: a product over groups, summed over the count vectors whose last
    // group's count is in range, which is a polynomial product in the number of tracked cases).
    // Stops once the work passes `workCap` or the memory passes `bytesCap`.
    ExactCost cost(double workCap, double bytesCap) const {
        const std::size_t d = dimensions();
        const std::size_t n = values_.size();
        // Counts of more than two words are added word by word with carries, at about half the
        // speed per word.
        const auto words = static_cast<double>(words_) * (words_ > 2 ? 2 : 1);
        ExactCost out;
        // Per layer: a box index for every count vector, and per live box its counts, key and
        // offset (at most one per count vector).
        const double fixedBytes = 2 * keys() * (8 + 4 * static_cast<double>(d) + 16);
        const double boxes = boxWork(cases_);
        out.work = smallestWork(cases_);
        out.bytes = fixedBytes;
        if (out.work > workCap || out.bytes > bytesCap) {
            out.complete = false;
            return out;
        }
        std::vector<double> poly;
        std::vector<double> next;
        double previous = 1;
        double work = 0;
        for (std::size_t i = 1; i <= n; ++i) {
            poly.assign(1, 1.0);
            for (std::size_t g = 0; g < d; ++g) {
                const std::size_t top = std::min<std::uint64_t>(sizes_[g], i);
                const std::size_t length = std::min(poly.size() + top, i + 1);
                next.assign(length, 0.0);
                for (std::size_t s = 0; s < poly.size(); ++s) {
                    for (std::size_t c = 0; c <= top && s + c < length; ++c) {
                        next[s + c] += poly[s] * static_cast<double>(width(c, i));
                    }
                }
                poly.swap(next);
            }
            const std::size_t from = i > sizes_[d] ? i - sizes_[d] : 0;
            double layer = 0;
            for (std::size_t s = from; s < poly.size(); ++s) {
                layer += poly[s];
            }
            work += static_cast<double>(d + 1) * previous + layer;
            out.largestLayer = std::max(out.largestLayer, layer);
            out.cells += layer;
            previous = layer;
            out.work = boxes + work * words;
            out.bytes = 2 * out.largestLayer * 8 * static_cast<double>(words_) + fixedBytes;
            if (out.work > workCap || out.bytes > bytesCap) {
                out.complete = false;
                break;
            }
        }
        return out;
    }

    // The work of setting up the boxes: every count vector (the groups' counts within their
    // sizes) lives for n_k + 1 steps, and each step of a box costs about as much as adding 16
    // words. With a box of one cell at least, a lower bound of the whole work, cheap enough for
    // any data.
    static double boxWork(const Cases& cases) {
        double product = 1;
        for (const std::uint64_t size : cases.sizes) {
            product *= static_cast<double>(size + 1);
        }
        return product * 16;
    }
    static double smallestWork(const Cases& cases) {
        return boxWork(cases) * (1 + static_cast<double>(cases.sizes.size() + 1) / 16);
    }

    // The share of labellings whose statistic is at least the observed one.
    double p(const ExactCost& cost, Feedback* feedback) {
        switch (words_) {
        case 1:
            return run<1>(cost, feedback);
        case 2:
            return run<2>(cost, feedback);
        case 3:
            return run<3>(cost, feedback);
        case 4:
            return run<4>(cost, feedback);
        case 6:
            return run<6>(cost, feedback);
        case 8:
            return run<8>(cost, feedback);
        default:
            return run<0>(cost, feedback);
        }
    }

private:
    // The number of reachable sums of c compressed midranks out of the first i.
    std::uint64_t width(std::size_t c, std::size_t i) const {
        return prefix_[i] - prefix_[i - c] - prefix_[c] + 1;
    }

    // One layer: the boxes of the count vectors alive after some number of cases.
    struct Layer {
        std::unique_ptr<std::uint64_t[]> cells;
        std::size_t capacity = 0;          // cells allocated, in words
        std::vector<std::int64_t> at;      // per count vector key: its box, or -1
        std::vector<std::uint32_t> counts; // per box, the counts of the tracked groups
        std::vector<std::uint64_t> offset; // per box, its first cell; one more at the end
        std::vector<std::uint64_t> key;

        void reserve(std::size_t words) {
            if (words > capacity) {
                cells.reset();
                cells.reset(new std::uint64_t[words]);
                capacity = words;
            }
        }
    };

    template <int Fixed>
    static void addRow(std::uint64_t* to, const std::uint64_t* from, std::size_t cells,
                       std::size_t words) {
        if constexpr (Fixed == 1) {
            for (std::size_t j = 0; j < cells; ++j) {
                to[j] += from[j];
            }
        } else if constexpr (Fixed == 2) {
            for (std::size_t j = 0; j < 2 * cells; j += 2) {
                const std::uint64_t low = to[j] + from[j];
                to[j + 1] += from[j + 1] + (low < from[j] ? 1 : 0);
                to[j] = low;
            }
        } else if constexpr (Fixed > 2) {
            for (std::size_t j = 0; j < cells * Fixed; j += Fixed) {
                addWords(to + j, from + j, Fixed);
            }
        } else {
            for (std::size_t j = 0; j < cells; ++j) {
                addWords(to + j * words, from + j * words, words);
            }
        }
    }

    template <int Fixed> double run(const ExactCost& cost, Feedback* feedback) {
        const std::size_t d = dimensions();
        const std::size_t n = values_.size();
        const std::size_t words = Fixed == 0 ? words_ : static_cast<std::size_t>(Fixed);
        const std::uint64_t lastSize = sizes_[d];
        std::vector<std::uint64_t> keyStride(d + 1, 1);
        for (std::size_t g = 0; g < d; ++g) {
            keyStride[g + 1] = keyStride[g] * (sizes_[g] + 1);
        }
        // Both layers at their largest from the start: memory is touched once.
        std::array<Layer, 2> layers;
        for (Layer& layer : layers) {
            layer.at.assign(keyStride[d], -1);
            layer.reserve(static_cast<std::size_t>(cost.largestLayer) * words);
        }
        // Before any case: the empty labelling.
        {
            Layer& start = layers[0];
            start.reserve(words);
            std::fill_n(start.cells.get(), words, 0);
            start.cells[0] = 1;
            start.counts.assign(d, 0);
            start.offset = {0, 1};
            start.key = {0};
            start.at[0] = 0;
        }

        Pacer pacer(feedback, "exact p-value", static_cast<std::size_t>(cost.cells), 1 << 18);
        std::atomic<std::uint64_t> done = 0;
        std::atomic<bool> stop = false;
        std::vector<std::uint32_t> c(d);
        std::vector<std::uint64_t> workStart;
        for (std::size_t i = 0; i < n; ++i) {
            Layer& old = layers[i & 1];
            Layer& fresh = layers[(i + 1) & 1];
            const std::size_t cases = i + 1;
            const std::uint64_t value = values_[i];
            // The count vectors alive after this case: counts within the sizes, and the last
            // group's count (cases minus the tracked ones) within its size.
            fresh.counts.clear();
            fresh.offset.assign(1, 0);
            fresh.key.clear();
            workStart.assign(1, 0);
            const std::uint64_t least = cases > lastSize ? cases - lastSize : 0;
            std::vector<std::uint64_t> room(d + 1, 0); // how many the groups g.. can take
            for (std::size_t g = d; g-- > 0;) {
                room[g] = room[g + 1] + std::min<std::uint64_t>(sizes_[g], cases);
            }
            auto visit = [&](auto&& self, std::size_t g, std::uint64_t tracked,
                             std::uint64_t key) -> void {
                if (g == d) {
                    std::uint64_t cells = 1;
                    for (std::size_t h = 0; h < d; ++h) {
                        cells *= width(c[h], cases);
                    }
                    fresh.counts.insert(fresh.counts.end(), c.begin(), c.end());
                    fresh.key.push_back(key);
                    fresh.at[key] = static_cast<std::int64_t>(fresh.offset.size() - 1);
                    fresh.offset.push_back(fresh.offset.back() + cells);
                    workStart.push_back(workStart.back() + cells * (d + 2));
                    return;
                }
                const std::uint64_t top = std::min<std::uint64_t>(
                    std::min<std::uint64_t>(sizes_[g], cases), cases - tracked);
                for (std::uint64_t x = 0; x <= top; ++x) {
                    if (tracked + x + room[g + 1] < least) {
                        continue;
                    }
                    c[g] = static_cast<std::uint32_t>(x);
                    self(self, g + 1, tracked + x, key + x * keyStride[g]);
                }
            };
            visit(visit, 0, 0, 0);
            fresh.reserve(fresh.offset.back() * words);

            const std::uint64_t stepWork = workStart.back();
            parallelSlices(
                stepWork,
                [&](unsigned part, std::size_t from, std::size_t to) {
                    auto first = std::lower_bound(workStart.begin(), workStart.end() - 1, from);
                    auto last = std::lower_bound(workStart.begin(), workStart.end() - 1, to);
                    std::vector<std::uint64_t> targetWidth(d), sourceWidth(d), stride(d);
                    std::vector<std::uint64_t> index(d);
                    for (auto it = first; it != last; ++it) {
                        if (stop.load(std::memory_order_relaxed)) {
                            return;
                        }
                        const auto b = static_cast<std::size_t>(it - workStart.begin());
                        feed<Fixed>(old, fresh, b, i, value, keyStride, targetWidth, sourceWidth,
                                    stride, index);
                        const std::uint64_t finished = done +=
                            fresh.offset[b + 1] - fresh.offset[b];
                        if (part == 0) {
                            try {
                                pacer.tick(finished);
                            } catch (...) {
                                stop = true;
                                throw;
                            }
                        }
                    }
                },
                stepWork < (1u << 18) ? stepWork + 1 : 1);
            for (const std::uint64_t key : old.key) {
                old.at[key] = -1;
            }
            old.key.clear();
            if (feedback != nullptr) {
                pacer.check(done);
            }
        }
        return tally(layers[n & 1], words);
    }

    // Fills box b of the fresh layer from the boxes of the old layer that lead to it.
    template <int Fixed>
    void feed(const Layer& old, Layer& fresh, std::size_t b, std::size_t i, std::uint64_t value,
              const std::vector<std::uint64_t>& keyStride, std::vector<std::uint64_t>& targetWidth,
              std::vector<std::uint64_t>& sourceWidth, std::vector<std::uint64_t>& stride,
              std::vector<std::uint64_t>& index) const {
        const std::size_t d = dimensions();
        const std::size_t words = Fixed == 0 ? words_ : static_cast<std::size_t>(Fixed);
        const std::uint32_t* c = &fresh.counts[b * d];
        std::uint64_t* target = fresh.cells.get() + fresh.offset[b] * words;
        std::fill_n(target, (fresh.offset[b + 1] - fresh.offset[b]) * words, 0);
        for (std::size_t h = 0; h < d; ++h) {
            targetWidth[h] = width(c[h], i + 1);
        }
        for (std::size_t h = d; h-- > 0;) {
            stride[h] = h + 1 == d ? 1 : stride[h + 1] * targetWidth[h + 1];
        }
        const std::uint64_t key = fresh.key[b];
        // Adds the old box `source` (widths sourceWidth) at `shift` cells into the target.
        auto add = [&](std::int64_t source, std::uint64_t shift) {
            const std::uint64_t* from = old.cells.get() + old.offset[source] * words;
            const std::uint64_t row = sourceWidth[d - 1];
            std::fill(index.begin(), index.end(), 0);
            std::uint64_t at = shift;
            while (true) {
                addRow<Fixed>(target + at * words, from, row, words);
                from += row * words;
                // The next row: the odometer over all but the last dimension.
                std::size_t h = d - 1;
                while (h-- > 0) {
                    at += stride[h];
                    if (++index[h] < sourceWidth[h]) {
                        break;
                    }
                    at -= stride[h] * index[h];
                    index[h] = 0;
                }
                if (h == static_cast<std::size_t>(-1)) {
                    return;
                }
            }
        };
        // The case goes to the last group: the same counts and sums.
        if (const std::int64_t same = old.at[key]; same >= 0) {
            for (std::size_t h = 0; h < d; ++h) {
                sourceWidth[h] = width(c[h], i);
            }
            add(same, 0);
        }
        // The case goes to group g: its count and sum were one case and `value` less.
        for (std::size_t g = 0; g < d; ++g) {
            if (c[g] == 0) {
                continue;
            }
            const std::int64_t source = old.at[key - keyStride[g]];
            if (source < 0) {
                continue;
            }
            for (std::size_t h = 0; h < d; ++h) {
                sourceWidth[h] = width(h == g ? c[h] - 1 : c[h], i);
            }
            add(source, (value - values_[c[g] - 1]) * stride[g]);
        }
    }

    // The final count vector's box: the labellings with each sum and whether their statistic
    // is at least the observed one.
    double tally(const Layer& last, std::size_t words) const {
        const std::size_t d = dimensions();
        const std::size_t n = values_.size();
        std::vector<std::uint64_t> observed;
        for (const std::size_t g : order_) {
            observed.push_back(cases_.observed[g]);
        }
        const StatisticOrder statistic(sizes_, cases_.n, cases_.total, observed.data());
        std::vector<std::uint64_t> widths(d), lows(d);
        for (std::size_t g = 0; g < d; ++g) {
            widths[g] = width(sizes_[g], n);
            lows[g] = prefix_[sizes_[g]];
        }
        const std::uint64_t cells = last.offset[1];
        const std::uint64_t* counts = last.cells.get();
        const unsigned parts = workers();
        std::vector<Words> above(parts, Words(words + 1, 0));
        std::vector<Words> all(parts, Words(words + 1, 0));
        parallelSlices(
            cells,
            [&](unsigned part, std::size_t from, std::size_t to) {
                std::vector<std::uint64_t> index(d), sums(d + 1);
                std::uint64_t rest = from;
                for (std::size_t g = d; g-- > 0;) {
                    index[g] = rest % widths[g];
                    rest /= widths[g];
                }
                for (std::size_t j = from; j < to; ++j) {
                    const std::uint64_t* count = counts + j * words;
                    if (std::any_of(count, count + words, [](std::uint64_t w) { return w != 0; })) {
                        std::uint64_t tracked = 0;
                        for (std::size_t g = 0; g < d; ++g) {
                            sums[g] = sizes_[g] * low_ + step_ * (lows[g] + index[g]);
                            tracked += sums[g];
                        }
                        sums[d] = cases_.total - tracked;
                        addWords(all[part].data(), count, words);
                        if (statistic.atLeast(sums.data())) {
                            addWords(above[part].data(), count, words);
                        }
                    }
                    for (std::size_t g = d; g-- > 0;) {
                        if (++index[g] < widths[g]) {
                            break;
                        }
                        index[g] = 0;
                    }
                }
            },
            1 << 16);
        for (unsigned part = 1; part < parts; ++part) {
            addWords(above[0].data(), above[part].data(), words + 1);
            addWords(all[0].data(), all[part].data(), words + 1);
        }
        return nearestQuotient(above[0], all[0]);
    }

    const Cases& cases_;
    std::vector<std::size_t> order_;    // the groups in the programme's order
    std::vector<std::uint64_t> sizes_;  // in that order, the largest last
    std::vector<std::uint64_t> values_; // per case, ascending: (doubled midrank - low) / step
    std::vector<std::uint64_t> prefix_; // prefix sums of values_
    std::uint64_t low_ = 0;
    std::uint64_t step_ = 0;
    std::size_t words_ = 1;
};

// ---- Monte Carlo ----

// The natural logarithm of n!: a table for small n, Stirling's series beyond (its first omitted
// term is below 1e-23 there).
double logFactorial(std::uint64_t n) {
    constexpr std::uint64_t tabled = 2048;
    static const std::vector<double> table = [] {
        std::vector<double> t(tabled);
        for (std::uint64_t j = 0; j < tabled; ++j) {
            t[j] = std::lgamma(static_cast<double>(j) + 1);
        }
        return t;
    }();
    if (n < tabled) {
        return table[n];
    }
    const double x = static_cast<double>(n) + 1;
    const double inverse = 1 / x;
    const double square = inverse * inverse;
    return (x - 0.5) * std::log(x) - x + 0.91893853320467274178 +
           inverse * (1.0 / 12 - square * (1.0 / 360 - square / 1260));
}

// How many of `sample` cases drawn without replacement from `total`, of which `special` are
// special, are special (the hypergeometric distribution): by drawing them one by one for small
// samples, otherwise by Stadlober's ratio-of-uniforms method (HRUA), both exact samplers.
std::uint64_t hypergeometric(RandomStream& random, std::uint64_t total, std::uint64_t special,
                             std::uint64_t sample) {
    if (sample == 0 || special == 0) {
        return 0;
    }
    if (special == total) {
        return sample;
    }
    if (sample == total) {
        return special;
    }
    // Draw the smaller of the sample and the rest, count the rarer kind.
    const std::uint64_t other = total - special;
    const bool restDrawn = sample > total - sample;
    const std::uint64_t m = restDrawn ? total - sample : sample;
    const bool otherCounted = special > other;
    const std::uint64_t rare = otherCounted ? other : special;
    std::uint64_t x = 0;
    if (m <= 16) {
        for (std::uint64_t j = 0; j < m; ++j) {
            if (random.below(total - j) < rare - x) {
                ++x;
            }
        }
    } else {
        constexpr double d1 = 1.7155277699214135; // 2 sqrt(2 / e)
        constexpr double d2 = 0.8989161620588988; // 3 - 2 sqrt(3 / e)
        const auto t = static_cast<double>(total);
        const auto md = static_cast<double>(m);
        const double share = static_cast<double>(rare) / t;
        const double mean = md * share + 0.5;
        const double spread = std::sqrt((t - md) * md * share * (1 - share) / (t - 1) + 0.5);
        const double scale = d1 * spread + d2;
        const auto mode = static_cast<std::uint64_t>(
            std::floor((md + 1) * (static_cast<double>(rare) + 1) / (t + 2)));
        const std::uint64_t common = total - rare;
        const double top = logFactorial(mode) + logFactorial(rare - mode) + logFactorial(m - mode) +
                           logFactorial(common - m + mode);
        const double bound =
            std::min(static_cast<double>(std::min(m, rare)) + 1, std::floor(mean + 16 * spread));
        while (true) {
            const double u = random.uniform();
            const double v = random.uniform();
            if (u == 0) {
                continue;
            }
            const double w = mean + scale * (v - 0.5) / u;
            if (w < 0 || w >= bound) {
                continue;
            }
            const auto z = static_cast<std::uint64_t>(w);
            const double log = top - (logFactorial(z) + logFactorial(rare - z) +
                                      logFactorial(m - z) + logFactorial(common - m + z));
            if (u * (4 - u) - 3 <= log) {
                x = z;
                break;
            }
            if (u * (u - log) >= 1) {
                continue;
            }
            if (2 * std::log(u) <= log) {
                x = z;
                break;
            }
        }
    }
    if (otherCounted) {
        x = m - x;
    }
    if (restDrawn) {
        x = special - x;
    }
    return x;
}

// Random relabellings of the cases: each assigns the N cases to groups of the observed sizes,
// all assignments alike likely, and gives the groups' sums of doubled midranks. The cases are
// taken in ascending order in segments: a value held by many cases is a segment of its own,
// whose composition by group is all that counts (a multivariate hypergeometric draw, one
// hypergeometric per group); the other cases form runs of about `runLength`, whose composition
// is drawn the same way and whose labels are then dealt out case by case from an urn of exactly
// those labels (a Fisher-Yates draw over a small array that stays in the first-level cache).
// A run holds its values one of two ways: run-length encoded as pieces of successive values
// with equally many cases (the doubled midranks follow from the tie sizes), which costs no
// memory traffic when ties are few; or, when the tie sizes change often (ties of a few cases
// each), as the step of the doubled midrank from each case to the next, two bytes a case,
// which spares the mispredicted branch at the end of every value.
class Relabelling {
public:
    explicit Relabelling(const Cases& cases) : cases_(cases) {
        const std::size_t k = cases.sizes.size();
        // A group's hypergeometric draw (70 to 90 ns) costs about as much as dealing out 70 to
        // 80 labels: a value held by more cases than 100 draws would deal goes whole.
        const std::uint64_t heavy = std::max<std::uint64_t>(64, 100 * (k - 1));
        const std::uint64_t runLength = std::max<std::uint64_t>(1u << 15, 1024 * k);
        std::size_t first = 0; // the run's first value
        std::uint64_t run = 0; // its cases
        for (std::size_t v = 0; v < cases.tied.size(); ++v) {
            const std::uint64_t t = cases.tied[v];
            if (t >= heavy) {
                addRun(first, v, run);
                segments_.push_back({Kind::tie, cases.twice[v], 0, 0, t});
                first = v + 1;
                run = 0;
                continue;
            }
            run += t;
            if (run >= runLength) {
                addRun(first, v + 1, run);
                first = v + 1;
                run = 0;
            }
        }
        addRun(first, cases.tied.size(), run);
    }

    // The scratch space of one thread.
    template <class Label> struct Scratch {
        std::vector<Label> labels;
        std::vector<std::uint64_t> left;
        std::vector<std::uint64_t> composition;
    };

    template <class Label> Scratch<Label> scratch() const {
        Scratch<Label> s;
        s.labels.resize(longestRun_);
        s.left.resize(cases_.sizes.size());
        s.composition.resize(cases_.sizes.size());
        return s;
    }

    // The sums of relabelling `resample`.
    template <class Label>
    void draw(std::uint64_t seed, std::uint64_t resample, Scratch<Label>& s,
              std::uint64_t* sums) const {
        const std::size_t k = cases_.sizes.size();
        RandomStream random(seed, resample);
        std::copy(cases_.sizes.begin(), cases_.sizes.end(), s.left.begin());
        std::fill_n(sums, k, 0);
        std::uint64_t remaining = cases_.n;
        for (const Segment& segment : segments_) {
            // The segment's composition: group by group, how many of its cases they take.
            std::uint64_t sample = segment.cases;
            std::uint64_t pool = remaining;
            for (std::size_t g = 0; g + 1 < k; ++g) {
                const std::uint64_t x =
                    sample == 0 ? 0 : hypergeometric(random, pool, s.left[g], sample);
                s.composition[g] = x;
                sample -= x;
                pool -= s.left[g];
            }
            s.composition[k - 1] = sample;
            remaining -= segment.cases;
            for (std::size_t g = 0; g < k; ++g) {
                s.left[g] -= s.composition[g];
            }
            if (segment.kind == Kind::tie) {
                for (std::size_t g = 0; g < k; ++g) {
                    sums[g] += s.composition[g] * segment.twice;
                }
                continue;
            }
            // The run's labels, dealt out to its cases in ascending order.
            Label* labels = s.labels.data();
            std::size_t filled = 0;
            for (std::size_t g = 0; g < k; ++g) {
                std::fill_n(labels + filled, s.composition[g], static_cast<Label>(g));
                filled += s.composition[g];
            }
            deal(random, labels, segment, sums);
        }
    }

private:
    enum class Kind : std::uint8_t { tie, pieces, steps };
    struct Segment {
        Kind kind;
        std::uint64_t twice; // the doubled midrank of a tie, or of a run's first case
        std::uint64_t first; // a run's pieces or steps [first, end)
        std::uint64_t end;
        std::uint64_t cases;
    };
    // `repeat` successive values held by `tie` cases each, the first with doubled midrank
    // `twice` (the next ones 2 tie more each).
    struct Piece {
        std::uint64_t twice;
        std::uint32_t repeat;
        std::uint32_t tie;
    };

    // The run of the values [from, to) with `count` cases.
    void addRun(std::size_t from, std::size_t to, std::uint64_t count) {
        if (count == 0) {
            return;
        }
        longestRun_ = std::max(longestRun_, count);
        std::size_t changes = 1;
        bool small = true;
        for (std::size_t v = from + 1; v < to; ++v) {
            changes += cases_.tied[v] != cases_.tied[v - 1] ? 1 : 0;
            small = small && cases_.twice[v] - cases_.twice[v - 1] <= 0xFFFF;
        }
        if (small && changes * 16 > count) {
            segments_.push_back({Kind::steps, cases_.twice[from], steps_.size(), 0, count});
            for (std::size_t v = from; v < to; ++v) {
                steps_.push_back(static_cast<std::uint16_t>(
                    v == from ? 0 : cases_.twice[v] - cases_.twice[v - 1]));
                steps_.insert(steps_.end(), cases_.tied[v] - 1, 0);
            }
            segments_.back().end = steps_.size();
            return;
        }
        segments_.push_back({Kind::pieces, 0, pieces_.size(), 0, count});
        for (std::size_t v = from; v < to; ++v) {
            const std::uint64_t t = cases_.tied[v];
            if (v > from && pieces_.back().tie == t &&
                pieces_.back().repeat < std::numeric_limits<std::uint32_t>::max()) {
                ++pieces_.back().repeat;
            } else {
                pieces_.push_back({cases_.twice[v], 1, static_cast<std::uint32_t>(t)});
            }
        }
        segments_.back().end = pieces_.size();
    }

    // Deals the run's labels out to its cases in ascending order, each case's label drawn from
    // those not yet dealt by Lemire's method from 32 random bits (two cases to a random word),
    // and adds the cases' doubled midranks to their groups' sums. The generator works on a
    // copy that can stay in registers.
    template <class Label>
    void deal(RandomStream& random, Label* labels, const Segment& run, std::uint64_t* sums) const {
        RandomStream generator = random;
        auto left = static_cast<std::uint32_t>(run.cases);
        auto pick = [&](std::uint32_t bits) -> std::size_t {
            std::uint64_t m = std::uint64_t{bits} * left;
            if (static_cast<std::uint32_t>(m) < left) {
                const std::uint32_t threshold = (0u - left) % left;
                while (static_cast<std::uint32_t>(m) < threshold) {
                    m = (generator.next() >> 32) * left;
                }
            }
            const auto j = static_cast<std::uint32_t>(m >> 32);
            --left;
            const Label label = labels[j];
            labels[j] = labels[left];
            return static_cast<std::size_t>(label);
        };
        // Adds `twice` to the sums of the groups of the next `count` cases.
        auto tied = [&](std::uint64_t count, std::uint64_t twice) {
            for (; count >= 2; count -= 2) {
                const std::uint64_t word = generator.next();
                sums[pick(static_cast<std::uint32_t>(word >> 32))] += twice;
                sums[pick(static_cast<std::uint32_t>(word))] += twice;
            }
            if (count > 0) {
                sums[pick(static_cast<std::uint32_t>(generator.next() >> 32))] += twice;
            }
        };
        if (run.kind == Kind::steps) {
            const std::uint16_t* step = steps_.data() + run.first;
            const std::uint16_t* end = steps_.data() + run.end;
            std::uint64_t twice = run.twice;
            for (; end - step >= 2; step += 2) {
                const std::uint64_t word = generator.next();
                twice += step[0];
                sums[pick(static_cast<std::uint32_t>(word >> 32))] += twice;
                twice += step[1];
                sums[pick(static_cast<std::uint32_t>(word))] += twice;
            }
            if (step != end) {
                twice += *step;
                sums[pick(static_cast<std::uint32_t>(generator.next() >> 32))] += twice;
            }
            random = generator;
            return;
        }
        for (std::uint64_t p = run.first; p < run.end; ++p) {
            const Piece piece = pieces_[p];
            if (piece.tie > 1) {
                for (std::uint32_t r = 0; r < piece.repeat; ++r) {
                    tied(piece.tie, piece.twice + 2 * std::uint64_t{r} * piece.tie);
                }
                continue;
            }
            // Values held by one case each, 2 apart.
            std::uint64_t twice = piece.twice;
            std::uint32_t r = piece.repeat;
            for (; r >= 2; r -= 2) {
                const std::uint64_t word = generator.next();
                sums[pick(static_cast<std::uint32_t>(word >> 32))] += twice;
                sums[pick(static_cast<std::uint32_t>(word))] += twice + 2;
                twice += 4;
            }
            if (r > 0) {
                sums[pick(static_cast<std::uint32_t>(generator.next() >> 32))] += twice;
            }
        }
        random = generator;
    }

    const Cases& cases_;
    std::vector<Segment> segments_;
    std::vector<Piece> pieces_;
    std::vector<std::uint16_t> steps_;
    std::uint64_t longestRun_ = 0;
};

template <class Label>
std::uint64_t countAtLeast(const Cases& cases, const Relabelling& relabelling,
                           std::uint64_t resamples, std::uint64_t seed, Feedback* feedback) {
    const StatisticOrder statistic(cases.sizes, cases.n, cases.total, cases.observed.data());
    const std::size_t every = std::max<std::size_t>(1, (std::size_t{1} << 22) / (cases.n + 1));
    Pacer pacer(feedback, "Monte Carlo p-value", resamples, every);
    std::atomic<std::uint64_t> done = 0;
    std::vector<std::uint64_t> found(workers(), 0);
    std::atomic<bool> stop = false;
    const bool small = static_cast<double>(cases.n) * static_cast<double>(resamples) < 1e6;
    parallelSlices(
        resamples,
        [&](unsigned part, std::size_t from, std::size_t to) {
            auto scratch = relabelling.scratch<Label>();
            std::vector<std::uint64_t> sums(cases.sizes.size());
            std::uint64_t count = 0;
            for (std::size_t b = from; b < to; ++b) {
                if (stop.load(std::memory_order_relaxed)) {
                    return;
                }
                relabelling.draw(seed, b, scratch, sums.data());
                if (statistic.atLeast(sums.data())) {
                    ++count;
                }
                const std::uint64_t finished = ++done;
                if (part == 0) {
                    try {
                        pacer.tick(finished);
                    } catch (...) {
                        stop = true;
                        throw;
                    }
                }
            }
            found[part] = count;
        },
        small ? resamples + 1 : 1);
    pacer.check(resamples);
    return std::accumulate(found.begin(), found.end(), std::uint64_t{0});
}

// The Monte Carlo p: the share of relabellings whose statistic is at least the observed one.
// Nothing is added to the count or the number of relabellings, as R's coin package
// (kruskal_test with approximate()) reports it, so that its results and these agree within
// their intervals; the 99 percent Clopper-Pearson interval is coin's too.
void monteCarlo(const Cases& cases, std::uint64_t resamples, std::uint64_t seed, Feedback* feedback,
                PermutationP& out) {
    out.exact = false;
    out.resamples = resamples;
    if (resamples == 0) {
        out.p = std::numeric_limits<double>::quiet_NaN();
        out.interval = std::pair{0.0, 1.0};
        return;
    }
    const Relabelling relabelling(cases);
    const std::size_t k = cases.sizes.size();
    const std::uint64_t x =
        // char8_t rather than std::uint8_t: a label store may then not alias the sums.
        k <= 256     ? countAtLeast<char8_t>(cases, relabelling, resamples, seed, feedback)
        : k <= 65536 ? countAtLeast<std::uint16_t>(cases, relabelling, resamples, seed, feedback)
                     : countAtLeast<std::uint32_t>(cases, relabelling, resamples, seed, feedback);
    const auto b = static_cast<double>(resamples);
    const auto xd = static_cast<double>(x);
    out.p = xd / b;
    const double lower = x == 0 ? 0.0 : probability::betaQuantile(0.005, xd, b - xd + 1);
    const double upper = x == resamples ? 1.0 : probability::betaQuantile(0.995, xd + 1, b - xd);
    out.interval = std::pair{lower, upper};
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
