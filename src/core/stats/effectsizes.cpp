#include "core/stats/effectsizes.h"

#include "core/base/parallel.h"
#include "core/stats/probabilities.h"
#include "core/stats/random.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace kw {

namespace {

__extension__ using Wide = unsigned __int128;
__extension__ using SignedWide = __int128;

// H from the groups' sums of doubled ranks and the sum of the squared doubled ranks of all
// cases, as the classic test forms it: (SG - C) / S2, S2 = (SR - C) / (N - 1), the sums
// exact in integers until the last divisions. NaN when all cases are tied.
double hFromSums(const std::vector<std::uint64_t>& twiceRankSums,
                 const std::vector<std::uint64_t>& sizes, Wide squares4, std::uint64_t n) {
    long double groupTerms = 0;
    for (std::size_t g = 0; g < sizes.size(); ++g) {
        const SignedWide deviation =
            SignedWide(twiceRankSums[g]) - SignedWide(sizes[g]) * SignedWide(n + 1);
        const auto d = static_cast<long double>(deviation);
        groupTerms += d * d / (4.0L * static_cast<long double>(sizes[g]));
    }
    const Wide c4 = Wide(n) * Wide(n + 1) * Wide(n + 1);
    const long double spread = static_cast<long double>(SignedWide(squares4) - SignedWide(c4)) / 4;
    if (spread <= 0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return static_cast<double>(groupTerms / (spread / static_cast<long double>(n - 1)));
}

// The percentile interval of sorted bootstrap values as R's boot.ci(type = "perc") takes it:
// the order statistic at (R + 1) alpha, interpolated on the normal scale between neighbours.
double percentile(const std::vector<double>& sorted, double alpha) {
    const auto r = static_cast<double>(sorted.size());
    const double rank = (r + 1) * alpha;
    const double k = std::trunc(rank);
    if (k == rank && k >= 1 && k <= r) {
        return sorted[static_cast<std::size_t>(k) - 1];
    }
    if (k < 1) {
        return sorted.front();
    }
    if (k >= r) {
        return sorted.back();
    }
    const double below = probability::normalQuantile(k / (r + 1));
    const double above = probability::normalQuantile((k + 1) / (r + 1));
    const double x = sorted[static_cast<std::size_t>(k) - 1];
    const double y = sorted[static_cast<std::size_t>(k)];
    return x + (probability::normalQuantile(alpha) - below) / (above - below) * (y - x);
}

// One resample's H: every group draws its size of cases from its own with replacement, then
// the drawn cases are ranked together.
//
// A group whose cases hold few values (fewer than one for every 64 cases) is drawn value by
// value: how many of its draws fall on each value is a multinomial draw, made as a sequence of
// binomial ones. Any other group is drawn case by case: how often each case was drawn is
// counted in a byte per case, which keeps a group's counts in the cache while its draws land
// anywhere among them. A case drawn 256 times (a chance below 1e-500 for a group of more than
// 255 cases, none for a smaller one) is noticed, and the group counted again in wide counts
// from the same random numbers.
class Resampler {
public:
    explicit Resampler(const RankProfile& profile)
        : profile_(profile), drawn_(profile.caseCount, 0), tied_(profile.values.size(), 0),
          twiceMidrank_(profile.values.size(), 0), sums_(profile.groups.size(), 0) {
        std::uint64_t cases = 0;
        std::uint64_t entries = 0;
        for (std::size_t g = 0; g < profile.groups.size(); ++g) {
            caseStart_.push_back(cases);
            entryStart_.push_back(entries);
            byValue_.push_back(profile.groups[g].size() * 64 <= profile.sizes[g]);
            cases += profile.sizes[g];
            entries += profile.groups[g].size();
        }
        copies_.assign(entries, 0);
    }

    double h(std::uint64_t seed, std::uint64_t b) {
        RandomStream random(seed, b);
        for (std::size_t g = 0; g < profile_.groups.size(); ++g) {
            if (byValue_[g]) {
                drawValues(g, random);
            } else {
                drawCases(g, random);
            }
        }
        return ranked();
    }

private:
    void drawValues(std::size_t g, RandomStream& random) {
        const auto& entries = profile_.groups[g];
        std::uint64_t draws = profile_.sizes[g];
        std::uint64_t cases = profile_.sizes[g];
        std::uint64_t* copies = copies_.data() + entryStart_[g];
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (i + 1 == entries.size() || draws == 0) {
                copies[i] = i + 1 == entries.size() ? draws : 0;
                continue;
            }
            const double share = static_cast<double>(entries[i].count) / static_cast<double>(cases);
            std::binomial_distribution<std::uint64_t> binomial(draws, std::min(1.0, share));
            copies[i] = binomial(random);
            draws -= copies[i];
            cases -= entries[i].count;
        }
    }

    void drawCases(std::size_t g, RandomStream& random) {
        const std::uint64_t n = profile_.sizes[g];
        const RandomStream start = random;
        std::uint8_t* counts = drawn_.data() + caseStart_[g];
        bool wrapped = false;
        for (std::uint64_t i = 0; i < n; ++i) {
            wrapped |= ++counts[random.below(n)] == 0;
        }
        if (!wrapped) {
            perValue(g, counts);
            return;
        }
        std::fill(counts, counts + n, 0);
        std::vector<std::uint32_t> wide(n, 0);
        RandomStream again = start;
        for (std::uint64_t i = 0; i < n; ++i) {
            ++wide[again.below(n)];
        }
        perValue(g, wide.data());
    }

    // How many draws of group g fell on each of its values, from its cases' counts (left at
    // zero).
    template <class Count> void perValue(std::size_t g, Count* counts) {
        std::uint64_t* copies = copies_.data() + entryStart_[g];
        for (const RankProfile::Entry& e : profile_.groups[g]) {
            std::uint64_t c = 0;
            for (std::uint32_t i = 0; i < e.count; ++i) {
                c += counts[i];
                counts[i] = 0;
            }
            counts += e.count;
            *copies++ = c;
        }
    }

    // The drawn cases ranked: how many hold each value in all; the midranks; the groups' sums.
    double ranked() {
        const std::uint64_t* copies = copies_.data();
        for (const auto& group : profile_.groups) {
            for (const RankProfile::Entry& e : group) {
                tied_[e.value] += *copies++;
            }
        }
        std::uint64_t below = 0;
        Wide squares4 = 0;
        for (std::size_t v = 0; v < tied_.size(); ++v) {
            const std::uint64_t t = tied_[v];
            const std::uint64_t twice = 2 * below + t + 1;
            twiceMidrank_[v] = twice;
            squares4 += Wide(t) * twice * twice;
            below += t;
            tied_[v] = 0;
        }
        copies = copies_.data();
        for (std::size_t g = 0; g < profile_.groups.size(); ++g) {
            std::uint64_t sum = 0;
            for (const RankProfile::Entry& e : profile_.groups[g]) {
                sum += *copies++ * twiceMidrank_[e.value];
            }
            sums_[g] = sum;
        }
        return hFromSums(sums_, profile_.sizes, squares4, profile_.caseCount);
    }

    const RankProfile& profile_;
    std::vector<std::uint64_t> caseStart_;    // per group, into drawn_
    std::vector<std::uint64_t> entryStart_;   // per group, into copies_
    std::vector<bool> byValue_;               // per group: drawn value by value
    std::vector<std::uint8_t> drawn_;         // per case, group by group, ascending
    std::vector<std::uint64_t> copies_;       // per entry (a group's value), group by group
    std::vector<std::uint64_t> tied_;         // per value
    std::vector<std::uint64_t> twiceMidrank_; // per value
    std::vector<std::uint64_t> sums_;         // per group: the drawn cases' doubled ranks
};

} // namespace

double epsilonSquared(double h, std::uint64_t caseCount) {
    return h / static_cast<double>(caseCount - 1);
}

double etaSquaredH(double h, std::uint64_t caseCount, int groupCount) {
    const double eta = (h - groupCount + 1) / static_cast<double>(caseCount - groupCount);
    return std::max(0.0, eta);
}

double kruskalWallisH(const RankProfile& profile) {
    const std::size_t k = profile.groups.size();
    std::vector<std::uint64_t> twiceRankSums(k, 0);
    for (std::size_t g = 0; g < k; ++g) {
        for (const RankProfile::Entry& e : profile.groups[g]) {
            twiceRankSums[g] += e.count * static_cast<std::uint64_t>(2 * profile.midranks[e.value]);
        }
    }
    Wide squares4 = 0;
    for (std::size_t v = 0; v < profile.values.size(); ++v) {
        const auto twice = static_cast<std::uint64_t>(2 * profile.midranks[v]);
        squares4 += Wide(profile.totals[v]) * twice * twice;
    }
    return hFromSums(twiceRankSums, profile.sizes, squares4, profile.caseCount);
}

EffectSizes effectSizes(const RankProfile& profile, double h, std::uint64_t resamples,
                        std::uint64_t seed, Feedback* feedback) {
    const std::uint64_t n = profile.caseCount;
    const int k = profile.groupCount();
    EffectSizes out;
    out.epsilonSquared = epsilonSquared(h, n);
    out.etaSquared = etaSquaredH(h, n, k);
    out.resamples = resamples;
    out.seed = seed;

    std::vector<double> epsilons(resamples);
    std::vector<double> etas(resamples);
    SharedPacer pacer(feedback, "bootstrap", resamples);
    parallelSlices(
        resamples,
        [&](unsigned part, std::size_t from, std::size_t to) {
            Resampler resampler(profile);
            for (std::size_t b = from; b < to; ++b) {
                if (pacer.stopped()) {
                    return;
                }
                double resampled = resampler.h(seed, b);
                if (std::isnan(resampled)) {
                    resampled = 0; // every drawn case tied: no difference at all
                }
                epsilons[b] = epsilonSquared(resampled, n);
                etas[b] = etaSquaredH(resampled, n, k);
                pacer.finished(part);
            }
        },
        1);
    if (resamples == 0) {
        const double none = std::numeric_limits<double>::quiet_NaN();
        out.epsilonSquaredInterval = out.etaSquaredInterval = {none, none};
        return out;
    }
    std::sort(epsilons.begin(), epsilons.end());
    std::sort(etas.begin(), etas.end());
    out.epsilonSquaredInterval = {percentile(epsilons, 0.025), percentile(epsilons, 0.975)};
    out.etaSquaredInterval = {percentile(etas, 0.025), percentile(etas, 0.975)};
    return out;
}

} // namespace kw
