#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace kw {

// How p-values of a family of comparisons are adjusted for the number of comparisons, as R's
// p.adjust does it (the monotone steps of the step-down and step-up methods included).
enum class Adjustment {
    none,
    bonferroni,
    sidak,
    holm,
    holmSidak,
    hochberg,
    hommel,
    benjaminiHochberg,
    benjaminiYekutieli
};

// The adjusted p-values, in the order of `p`, equal to R's to the last bit (Sidak as
// 1 - (1 - p)^m computed without cancellation for tiny p; Holm-Sidak step-down with the
// cumulative maximum). A family of one stays as it is. Values that are not numbers stay so and
// are left out of the family, as in R. Hommel's method takes n log n steps on long families.
std::vector<double> adjustPValues(const std::vector<double>& p, Adjustment adjustment);

// The names kwtest's --adjust takes and the outputs give: none, bonferroni, sidak, holm,
// holm-sidak, hochberg, hommel, bh, by.
const char* adjustmentName(Adjustment adjustment);
std::optional<Adjustment> adjustmentNamed(std::string_view name);

} // namespace kw
