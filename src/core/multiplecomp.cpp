#include "multiplecomp.h"

#include "exchangeorder.h"
#include "failure.h"
#include "numbers.h"
#include "stattool.h"

#include <cmath>
#include <cstring>

namespace kw {

std::vector<int> summaryorder(const Analysis& a, const std::vector<int>& current, SortBy by,
                              bool groupsastexts) {
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
            key[i] = generalroundtrip(a.median[std::size_t(current[i])], 15);
        }
        return apply(exchangesortorder(k, [&](auto x, auto y) { return key[x] < key[y]; }));
    }
    if (!groupsastexts) {
        std::vector<std::int32_t> key(k);
        for (std::size_t i = 0; i < k; ++i) {
            const std::string& text = a.groupvalues[std::size_t(current[i])];
            auto v = parseinteger(text);
            if (!v) {
                throw notintegerfailure(text);
            }
            key[i] = *v;
        }
        return apply(exchangesortorder(k, [&](auto x, auto y) { return key[x] < key[y]; }));
    }
    return apply(exchangesortorder(k, [&](auto x, auto y) {
        return a.groupvalues[std::size_t(current[x])] < a.groupvalues[std::size_t(current[y])];
    }));
}

double comparisoncritical(const OverallTest& test) {
    const std::int64_t df = test.ntotal - test.ngroups;
    if (df <= 0) {
        throw Failure::plain("Invalid floating point operation: every group holds a single case, "
                             "so no degrees of freedom are left for the multiple comparison");
    }
    if (df > static_cast<std::int64_t>(UINT32_MAX) ||
        !tcriticalsearchends(static_cast<std::uint32_t>(df), test.alpha)) {
        throw Failure::error("the multiple comparison cannot find the critical value of t for " +
                             std::to_string(df) + " degrees of freedom at alpha = " +
                             formatgeneral(test.alpha, 15) + "; choose a smaller alpha");
    }
    return tcritical(static_cast<std::uint32_t>(df), test.alpha);
}

MulcompGrid::MulcompGrid(std::shared_ptr<const Analysis> a, std::vector<int> order,
                         const OverallTest& test, double tcrit)
    : a_(std::move(a)), order_(std::move(order)) {
    using real = long double;
    const real n = static_cast<real>(test.ntotal);
    const real k = test.ngroups;
    // N - 1 - T is zero in exact arithmetic when every group is constant; rounding must not
    // turn it into the root of a negative number.
    real spread = (n - 1 - test.chi2) * test.rankvar / (n - k);
    if (spread < 0) {
        spread = 0;
    }
    critical_ = static_cast<real>(tcrit) * std::sqrt(spread);
    meanrank_.resize(a_->groupvalues.size());
    for (std::size_t g = 0; g < meanrank_.size(); ++g) {
        const real r = generalroundtrip(a_->ranksum[g], 15);
        meanrank_[g] = r / a_->groupsize(int(g));
    }
}

bool MulcompGrid::significant(int i, int j) const {
    const auto gi = static_cast<std::size_t>(order_[std::size_t(i)]);
    const auto gj = static_cast<std::size_t>(order_[std::size_t(j)]);
    const long double ni = a_->groupsize(int(gi));
    const long double nj = a_->groupsize(int(gj));
    const long double a = std::sqrt(1 / ni + 1 / nj) * critical_;
    const long double b = std::fabs(meanrank_[gi] - meanrank_[gj]);
    return !(a >= b);
}

std::string MulcompGrid::cell(int col, int row) const {
    const int size = cols();
    if (col < 0 || row < 0 || col >= size || row >= size) {
        return {};
    }
    if (col <= 1 && row <= 1) {
        if (col == 0 && row == 0) {
            return "grouped_by";
        }
        return col == 1 && row == 1 ? "median" : a_->groupname;
    }
    if (row == 0 || col == 0) {
        return a_->groupvalues[std::size_t(order_[std::size_t((row == 0 ? col : row) - 2)])];
    }
    if (row == 1 || col == 1) {
        return a_->mediantext[std::size_t(order_[std::size_t((row == 1 ? col : row) - 2)])];
    }
    if (col == row) {
        return diagonalmark;
    }
    return significant(col - 2, row - 2) ? significantmark : notsignificantmark;
}

} // namespace kw
