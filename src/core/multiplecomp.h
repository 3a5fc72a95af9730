#pragma once

#include "analysis.h"
#include "grid.h"

#include <memory>
#include <vector>

namespace kw {

// How the multiple comparison orders the groups.
enum class SortBy { groupvalue = 0, median = 1 };

// The marks of the comparison table, six characters each.
inline constexpr const char* diagonalmark = "   -  ";
inline constexpr const char* notsignificantmark = "  NS  ";
inline constexpr const char* significantmark = "   *  ";

// The new column order of the summary grid: the exchange sort of its columns, starting from
// `current`, by median or by grouping value (as whole numbers when the groups are treated as
// numbers, a value that is not one raising "'x' is not a valid integer value"; otherwise as
// texts, byte by byte). Medians are compared as their grid texts read back.
std::vector<int> summaryorder(const Analysis& a, const std::vector<int>& current, SortBy by,
                              bool groupsastexts);

// The comparison table: groups in `order`, each pair marked significant when its mean ranks
// differ by more than t sqrt(S2 (N - 1 - T) / (N - k)) sqrt(1/n_i + 1/n_j), t the critical
// value of Student's t for N - k degrees of freedom at level alpha. A difference exactly equal
// to the critical one is not significant.
class MulcompGrid final : public Grid {
public:
    MulcompGrid(std::shared_ptr<const Analysis> a, std::vector<int> order, double tcrit);
    int cols() const override { return static_cast<int>(order_.size()) + 2; }
    int rows() const override { return cols(); }
    std::string cell(int col, int row) const override;
    void appendcell(int col, int row, std::string& out) const override;
    void appendrow(int row, char separator, std::string& out) const override;
    bool significant(int i, int j) const; // groups by position in the order, 0-based

private:
    std::shared_ptr<const Analysis> a_;
    std::vector<int> order_;
    std::vector<long double> ranksum_; // per group, as the summary grid shows it
    long double scale_ = 0;            // t^2 S2 (N - 1 - T) / (N - k)
};

// The critical value of t for the comparison of a test on `ntotal` cases in `ngroups` groups.
// Refuses, with a clear message, what it cannot be found for.
double comparisoncritical(std::int64_t ntotal, int ngroups, double alpha);

} // namespace kw
