#include "core/stats/exactpermutation.h"

#include "core/base/parallel.h"
#include "core/stats/widewords.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <numeric>
#include <vector>

namespace kw::permutation {

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
class ExactCount::Programme {
public:
    explicit Programme(const Cases& cases) : cases_(cases) {
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

        SharedPacer pacer(feedback, "exact p-value", static_cast<std::size_t>(cost.cells), 1 << 18);
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
                        if (pacer.stopped()) {
                            return;
                        }
                        const auto b = static_cast<std::size_t>(it - workStart.begin());
                        feed<Fixed>(old, fresh, b, i, value, keyStride, targetWidth, sourceWidth,
                                    stride, index);
                        pacer.finished(part, fresh.offset[b + 1] - fresh.offset[b]);
                    }
                },
                stepWork < (1u << 18) ? stepWork + 1 : 1);
            for (const std::uint64_t key : old.key) {
                old.at[key] = -1;
            }
            old.key.clear();
            if (feedback != nullptr) {
                pacer.check(pacer.done());
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

ExactCount::ExactCount(const Cases& cases) : programme_(std::make_unique<Programme>(cases)) {}

ExactCount::~ExactCount() = default;

double ExactCount::smallestWork(const Cases& cases) {
    return Programme::smallestWork(cases);
}

ExactCost ExactCount::cost(double workCap, double bytesCap) const {
    return programme_->cost(workCap, bytesCap);
}

double ExactCount::p(const ExactCost& cost, Feedback* feedback) {
    return programme_->p(cost, feedback);
}

} // namespace kw::permutation
