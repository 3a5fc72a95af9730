#include "core/stats/montecarlo.h"

#include "core/base/parallel.h"
#include "core/stats/hypergeometric.h"
#include "core/stats/probabilities.h"
#include "core/stats/random.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

namespace kw::permutation {

namespace {

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
    SharedPacer pacer(feedback, "Monte Carlo p-value", resamples, every);
    std::vector<std::uint64_t> found(workers(), 0);
    const bool small = static_cast<double>(cases.n) * static_cast<double>(resamples) < 1e6;
    parallelSlices(
        resamples,
        [&](unsigned part, std::size_t from, std::size_t to) {
            auto scratch = relabelling.scratch<Label>();
            std::vector<std::uint64_t> sums(cases.sizes.size());
            std::uint64_t count = 0;
            for (std::size_t b = from; b < to; ++b) {
                if (pacer.stopped()) {
                    return;
                }
                relabelling.draw(seed, b, scratch, sums.data());
                if (statistic.atLeast(sums.data())) {
                    ++count;
                }
                pacer.finished(part);
            }
            found[part] = count;
        },
        small ? resamples + 1 : 1);
    pacer.check(resamples);
    return std::accumulate(found.begin(), found.end(), std::uint64_t{0});
}

} // namespace

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

} // namespace kw::permutation
