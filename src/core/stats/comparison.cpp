#include "core/stats/comparison.h"

#include "core/base/failure.h"
#include "core/base/numbers.h"
#include "core/stats/distributions.h"
#include "core/stats/exchangeorder.h"

namespace kw {

std::vector<int> groupOrder(const GroupedCases& a, const std::vector<int>& current, SortBy by,
                            bool groupsAsTexts) {
    const std::size_t k = current.size();
    auto apply = [&](const std::vector<std::uint32_t>& positions) {
        std::vector<int> out(k);
        for (std::size_t i = 0; i < k; ++i) {
            out[i] = current[positions[i]];
        }
        return out;
    };
    if (by == SortBy::median) {
        std::vector<double> key(k);
        for (std::size_t i = 0; i < k; ++i) {
            key[i] = generalRoundTrip(a.median[std::size_t(current[i])], 15);
        }
        return apply(exchangeSortOrder(k, [&](auto x, auto y) { return key[x] < key[y]; }));
    }
    if (!groupsAsTexts) {
        std::vector<std::int32_t> key(k);
        for (std::size_t i = 0; i < k; ++i) {
            const std::string& text = a.groupValues[std::size_t(current[i])];
            auto v = parseInteger(text);
            if (!v) {
                throw notAWholeNumber(text);
            }
            key[i] = *v;
        }
        return apply(exchangeSortOrder(k, [&](auto x, auto y) { return key[x] < key[y]; }));
    }
    return apply(exchangeSortOrder(k, [&](auto x, auto y) {
        return a.groupValues[std::size_t(current[x])] < a.groupValues[std::size_t(current[y])];
    }));
}

double comparisonCritical(std::int64_t caseCount, int groupCount, double alpha) {
    const std::int64_t df = caseCount - groupCount;
    if (df <= 0) {
        throw Failure(Failure::Reason::noStatistic,
                      "Invalid floating point operation: every group holds a single case, "
                      "so no degrees of freedom are left for the multiple comparison");
    }
    if (df > static_cast<std::int64_t>(UINT32_MAX) ||
        !tCriticalSearchEnds(static_cast<std::uint32_t>(df), alpha)) {
        throw Failure::error("the multiple comparison cannot find the critical value of t for " +
                             std::to_string(df) + " degrees of freedom at alpha = " +
                             formatGeneral(alpha, 15) + "; choose a smaller alpha");
    }
    return tCritical(static_cast<std::uint32_t>(df), alpha);
}

std::vector<int> identityOrder(int n) {
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        order[static_cast<std::size_t>(i)] = i;
    }
    return order;
}

PairwiseComparison::PairwiseComparison(const GroupedCases& cases, double tCritical) {
    // (N - 1 - T) S2 is, exactly, the sum of squares of the ranks around their group means:
    // taking it from the ranks keeps a critical difference that equals a difference of mean
    // ranks in exact arithmetic from being split by the rounding of T and S2.
    const long double errorDf = static_cast<long double>(cases.cases.size()) - cases.groupCount();
    const long double t = tCritical;
    scale_ = t * t * cases.withinGroups / errorDf;
    const auto k = static_cast<std::size_t>(cases.groupCount());
    size_.resize(k);
    rankSum_.resize(k);
    for (std::size_t g = 0; g < k; ++g) {
        size_[g] = cases.groupSize(int(g));
        rankSum_[g] = generalRoundTrip(cases.rankSum[g], 15);
    }
}

} // namespace kw
