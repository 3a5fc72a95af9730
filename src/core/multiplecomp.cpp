#include "multiplecomp.h"

#include "exchangeorder.h"
#include "failure.h"
#include "numbers.h"
#include "stattool.h"

#include <cmath>
#include <cstring>

namespace kw {

namespace {

// Both sides of the comparison carry rounding of a few units in the last place of a long
// double; within that the two are equal, and an equal difference is not significant.
constexpr long double tolerance = 1e-15L;

} // namespace

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

double comparisoncritical(std::int64_t ntotal, int ngroups, double alpha) {
    const std::int64_t df = ntotal - ngroups;
    if (df <= 0) {
        throw Failure::plain("Invalid floating point operation: every group holds a single case, "
                             "so no degrees of freedom are left for the multiple comparison");
    }
    if (df > static_cast<std::int64_t>(UINT32_MAX) ||
        !tcriticalsearchends(static_cast<std::uint32_t>(df), alpha)) {
        throw Failure::error("the multiple comparison cannot find the critical value of t for " +
                             std::to_string(df) + " degrees of freedom at alpha = " +
                             formatgeneral(alpha, 15) + "; choose a smaller alpha");
    }
    return tcritical(static_cast<std::uint32_t>(df), alpha);
}

MulcompGrid::MulcompGrid(std::shared_ptr<const Analysis> a, std::vector<int> order, double tcrit)
    : a_(std::move(a)), order_(std::move(order)) {
    // (N - 1 - T) S2 is, exactly, the sum of squares of the ranks around their group means:
    // taking it from the ranks keeps a critical difference that equals a difference of mean
    // ranks in exact arithmetic from being split by the rounding of T and S2.
    const long double dferror = static_cast<long double>(a_->cases.size()) - a_->ngroups();
    const long double t = tcrit;
    scale_ = t * t * a_->withingroups / dferror;
    ranksum_.resize(a_->groupvalues.size());
    for (std::size_t g = 0; g < ranksum_.size(); ++g) {
        ranksum_[g] = generalroundtrip(a_->ranksum[g], 15);
    }
}

bool MulcompGrid::significant(int i, int j) const {
    // t A >= B, squared and multiplied out: t^2 w^2 (n_i + n_j) n_i n_j >= (R_i n_j - R_j n_i)^2.
    const auto gi = static_cast<std::size_t>(order_[std::size_t(i)]);
    const auto gj = static_cast<std::size_t>(order_[std::size_t(j)]);
    const long double ni = a_->groupsize(int(gi));
    const long double nj = a_->groupsize(int(gj));
    const long double critical = scale_ * (ni + nj) * ni * nj;
    const long double d = ranksum_[gi] * nj - ranksum_[gj] * ni;
    const long double difference = d * d;
    return critical < difference * (1 - tolerance);
}

void MulcompGrid::appendcell(int col, int row, std::string& out) const {
    if (col >= 2 && row >= 2 && col < cols() && row < rows()) {
        out += col == row ? diagonalmark
                          : (significant(col - 2, row - 2) ? significantmark : notsignificantmark);
    } else {
        out += cell(col, row);
    }
}

void MulcompGrid::appendrow(int row, char separator, std::string& out) const {
    if (row < 2 || row >= rows()) {
        Grid::appendrow(row, separator, out);
        return;
    }
    // The marks of one group against all: its size and rank sum taken once.
    const int j = row - 2;
    const auto gj = static_cast<std::size_t>(order_[std::size_t(j)]);
    const long double nj = a_->groupsize(int(gj));
    const long double rj = ranksum_[gj];
    for (int c = 0; c < 2; ++c) {
        appendcell(c, row, out);
        out += separator;
    }
    const int k = cols() - 2;
    for (int i = 0; i < k; ++i) {
        if (i == j) {
            out += diagonalmark;
        } else {
            const auto gi = static_cast<std::size_t>(order_[std::size_t(i)]);
            const long double ni = a_->groupsize(int(gi));
            const long double d = ranksum_[gi] * nj - rj * ni;
            const long double critical = scale_ * (ni + nj) * ni * nj;
            out += critical < d * d * (1 - tolerance) ? significantmark : notsignificantmark;
        }
        out += separator;
    }
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
