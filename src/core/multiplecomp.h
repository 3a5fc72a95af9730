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

// What the pairwise comparison needs from the overall test.
struct OverallTest {
    std::int64_t ntotal = 0;
    int ngroups = 0;
    double rankvar = 0; // S2
    double chi2 = 0;    // T
    double alpha = 0;
};

// The comparison table: groups in `order`, each pair marked significant when its mean ranks
// differ by more than t sqrt(S2 (N - 1 - T) / (N - k)) sqrt(1/n_i + 1/n_j), t the critical
// value of Student's t for N - k degrees of freedom.
class MulcompGrid final : public Grid {
public:
    MulcompGrid(std::shared_ptr<const Analysis> a, std::vector<int> order, const OverallTest& test,
                double tcrit);
    int cols() const override { return static_cast<int>(order_.size()) + 2; }
    int rows() const override { return cols(); }
    std::string cell(int col, int row) const override;
    bool significant(int i, int j) const; // groups by position in the order, 0-based

private:
    std::shared_ptr<const Analysis> a_;
    std::vector<int> order_;
    std::vector<long double> meanrank_; // per group, from the rank sums as shown
    long double critical_ = 0;          // t * w
};

// Refuses, with a clear message, what the critical value of t cannot be found for; returns t.
double comparisoncritical(const OverallTest& test);

} // namespace kw
