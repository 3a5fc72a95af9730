#include "core/stats/pairwise.h"

#include "core/base/failure.h"
#include "core/base/parallel.h"
#include "core/stats/probabilities.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace kw {

namespace {

using probability::normalUpper;
using probability::studentizedRangeUpper;
using probability::tTwoSided;

// What every method takes from the whole ranking.
struct Whole {
    double n = 0;                 // N
    std::vector<double> size;     // n_g
    std::vector<double> meanRank; // Rbar_g
    double withinSquares = 0;     // the ranks' sum of squares around their group's mean
};

Whole wholeRanking(const RankProfile& profile) {
    Whole w;
    w.n = static_cast<double>(profile.caseCount);
    const auto k = static_cast<std::size_t>(profile.groupCount());
    w.size.resize(k);
    w.meanRank.resize(k);
    for (std::size_t g = 0; g < k; ++g) {
        // Twice the midranks are whole numbers: their sum is exact.
        double twiceSum = 0;
        for (const RankProfile::Entry& e : profile.groups[g]) {
            twiceSum += 2 * profile.midranks[e.value] * e.count;
        }
        w.size[g] = static_cast<double>(profile.sizes[g]);
        w.meanRank[g] = twiceSum / 2 / w.size[g];
        double squares = 0;
        for (const RankProfile::Entry& e : profile.groups[g]) {
            const double d = profile.midranks[e.value] - w.meanRank[g];
            squares += d * d * e.count;
        }
        w.withinSquares += squares;
    }
    return w;
}

// The groups' entries one after the other, each group's closed by a sentinel above every
// value, so that merging two groups needs no test for their ends.
struct SentinelEntries {
    static constexpr std::uint32_t sentinel = 0xffffffffu;
    std::vector<RankProfile::Entry> entries;
    std::vector<std::size_t> start; // group g's entries begin at start[g]

    explicit SentinelEntries(const RankProfile& profile) {
        std::size_t total = 0;
        for (const auto& g : profile.groups) {
            total += g.size() + 1;
        }
        entries.reserve(total);
        for (const auto& g : profile.groups) {
            start.push_back(entries.size());
            entries.insert(entries.end(), g.begin(), g.end());
            entries.push_back({sentinel, 0});
        }
    }
    const RankProfile::Entry* group(std::size_t g) const { return entries.data() + start[g]; }
};

// Dwass-Steel-Critchlow-Fligner for one pair: the two groups ranked together by merging their
// entries (without branches: which side moves on is as unpredictable as the data). Returns W*,
// 0 when all the pair's values are tied and nothing tells the groups apart.
double steelStatistic(const RankProfile::Entry* a, const RankProfile::Entry* b, std::uint64_t na,
                      std::uint64_t nb) {
    std::uint64_t below = 0;  // cases of the pair under the current value
    std::uint64_t twiceW = 0; // twice the first group's rank sum
    double ties = 0;          // sum of t^3 - t, exact while the pair is below 200 000 cases
    std::size_t distinct = 0;
    for (;;) {
        const std::uint32_t va = a->value;
        const std::uint32_t vb = b->value;
        if ((va & vb) == SentinelEntries::sentinel) {
            break; // both at their sentinel
        }
        const bool takeA = va <= vb;
        const bool takeB = vb <= va;
        const std::uint64_t ca = a->count & (std::uint64_t{0} - takeA); // no branch
        const std::uint64_t cb = b->count & (std::uint64_t{0} - takeB);
        a += takeA;
        b += takeB;
        const std::uint64_t t = ca + cb;
        twiceW += ca * (2 * below + t + 1);
        const auto td = static_cast<double>(t);
        ties += td * td * td - td;
        below += t;
        ++distinct;
    }
    if (distinct < 2) {
        return 0;
    }
    const std::uint64_t s = na + nb;
    const double deviation = (static_cast<double>(static_cast<std::int64_t>(twiceW) -
                                                  static_cast<std::int64_t>(na * (s + 1)))) /
                             2;
    const auto sd = static_cast<double>(s);
    const auto nad = static_cast<double>(na);
    const auto nbd = static_cast<double>(nb);
    const double variance = nad * nbd / (sd * (sd - 1)) * ((sd * sd * sd - sd) / 12 - ties / 12);
    return std::sqrt(2.0) * deviation / std::sqrt(variance);
}

bool everyGroupConstant(const RankProfile& profile) {
    for (const auto& entries : profile.groups) {
        if (entries.size() > 1) {
            return false;
        }
    }
    return true;
}

} // namespace

const char* pairwiseMethodName(PairwiseMethod method) {
    switch (method) {
    case PairwiseMethod::dunn:
        return "dunn";
    case PairwiseMethod::conover:
        return "conover";
    case PairwiseMethod::dscf:
        return "dscf";
    }
    return "dunn";
}

std::optional<PairwiseMethod> pairwiseMethodNamed(std::string_view name) {
    for (const PairwiseMethod m :
         {PairwiseMethod::dunn, PairwiseMethod::conover, PairwiseMethod::dscf}) {
        const std::string_view known = pairwiseMethodName(m);
        if (name.size() == known.size() &&
            std::equal(name.begin(), name.end(), known.begin(), [](char x, char y) {
                return (x >= 'A' && x <= 'Z' ? char(x - 'A' + 'a') : x) == y;
            })) {
            return m;
        }
    }
    return std::nullopt;
}

PairwiseComparisons comparePairs(const RankProfile& profile, PairwiseMethod method,
                                 Adjustment adjustment, std::optional<int> control,
                                 Feedback* feedback) {
    PairwiseComparisons out;
    out.method = method;
    out.adjustment = method == PairwiseMethod::dscf ? Adjustment::none : adjustment;
    out.control = control;
    const int k = profile.groupCount();
    if (control && (*control < 0 || *control >= k)) {
        throw Failure(Failure::Reason::refusal,
                      "the control group " + std::to_string(*control + 1) + " is not one of the " +
                          std::to_string(k) + " groups");
    }
    if (control && method == PairwiseMethod::dscf) {
        throw Failure(Failure::Reason::refusal,
                      "the Dwass-Steel-Critchlow-Fligner comparison takes every pair of groups; "
                      "to compare the groups with a control group, choose Dunn or Conover-Iman");
    }
    if (k < 2) {
        return out;
    }
    if (profile.values.size() < 2) {
        throw Failure(Failure::Reason::noStatistic,
                      "all values are tied: the groups cannot be compared");
    }
    if (method == PairwiseMethod::conover && everyGroupConstant(profile)) {
        throw Failure(Failure::Reason::noStatistic,
                      "every group holds a single value: the Conover-Iman comparison has no "
                      "variance within the groups (choose Dunn or Dwass-Steel-Critchlow-Fligner)");
    }

    // The pairs in their order: all of them, the first before the second, or each group
    // against the control.
    if (control) {
        out.pairs.reserve(std::size_t(k) - 1);
        for (int g = 0; g < k; ++g) {
            if (g != *control) {
                PairComparison& c = out.pairs.emplace_back();
                c.first = *control;
                c.second = g;
            }
        }
    } else {
        out.pairs.reserve(std::size_t(k) * std::size_t(k - 1) / 2);
        for (int i = 0; i < k; ++i) {
            for (int j = i + 1; j < k; ++j) {
                PairComparison& c = out.pairs.emplace_back();
                c.first = i;
                c.second = j;
            }
        }
    }

    const Whole whole = wholeRanking(profile);
    const double n = whole.n;
    // Dunn: the variance of a mean rank's difference per (1/n_i + 1/n_j), corrected for ties.
    const double dunnVariance = n * (n + 1) / 12 - profile.tieSum() / (12 * (n - 1));
    // Conover-Iman: S^2 (N - 1 - H) / (N - k), which is the ranks' sum of squares within the
    // groups over N - k; summed directly it keeps its digits where H comes close to N - 1.
    const double errorDf = n - k;
    const double conoverVariance = whole.withinSquares / errorDf;
    const double rootN = std::sqrt(n);
    std::optional<SentinelEntries> merged;
    if (method == PairwiseMethod::dscf) {
        merged.emplace(profile);
    }

    // Progress about every millisecond: a DSCF pair takes a step for each of its entries and
    // some hundred for the p-value.
    std::size_t every = 4096;
    if (merged) {
        const std::size_t perPair = 2 * merged->entries.size() / std::size_t(k) + 256;
        every = std::max<std::size_t>(1, (std::size_t{1} << 18) / perPair);
    }
    SharedPacer pacer(feedback, "comparing pairs", out.pairs.size(), every);
    pacer.check(0);
    parallelSlices(
        out.pairs.size(),
        [&](unsigned part, std::size_t from, std::size_t to) {
            for (std::size_t at = from; at < to; ++at) {
                if (pacer.stopped()) {
                    return;
                }
                PairComparison& c = out.pairs[at];
                const auto i = std::size_t(c.first);
                const auto j = std::size_t(c.second);
                c.meanRankDifference = whole.meanRank[i] - whole.meanRank[j];
                const double sizes = 1 / whole.size[i] + 1 / whole.size[j];
                switch (method) {
                case PairwiseMethod::dunn:
                    c.statistic = c.meanRankDifference / std::sqrt(dunnVariance * sizes);
                    c.p = 2 * normalUpper(std::fabs(c.statistic));
                    c.r = c.statistic / rootN;
                    break;
                case PairwiseMethod::conover:
                    c.statistic = c.meanRankDifference / std::sqrt(conoverVariance * sizes);
                    c.df = errorDf;
                    c.p = tTwoSided(c.statistic, errorDf);
                    break;
                case PairwiseMethod::dscf:
                    c.statistic = steelStatistic(merged->group(i), merged->group(j),
                                                 profile.sizes[i], profile.sizes[j]);
                    c.p = c.statistic == 0
                              ? 1.0
                              : studentizedRangeUpper(std::fabs(c.statistic), k,
                                                      std::numeric_limits<double>::infinity());
                    break;
                }
                pacer.finished(part);
            }
        },
        256);
    pacer.check(out.pairs.size());

    std::vector<double> p(out.pairs.size());
    for (std::size_t at = 0; at < p.size(); ++at) {
        p[at] = out.pairs[at].p;
    }
    const std::vector<double> adjusted = adjustPValues(p, out.adjustment);
    for (std::size_t at = 0; at < p.size(); ++at) {
        out.pairs[at].pAdjusted = adjusted[at];
    }
    return out;
}

} // namespace kw
