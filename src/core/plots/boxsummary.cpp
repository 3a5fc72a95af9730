#include "core/plots/boxsummary.h"

#include <cmath>

namespace kw {

namespace {

// Merges neighbouring outliers of one side into marks of width `width` of the value axis,
// each mark keeping the value furthest from the box.
void mergeSide(std::vector<ValueCount>& out, const std::vector<ValueCount>& side, double min,
               double width, bool lowSide) {
    double currentBin = NAN;
    for (const ValueCount& v : side) {
        const double bin = std::floor((v.value - min) / width);
        if (!out.empty() && bin == currentBin) {
            out.back().count += v.count;
            if (!lowSide) {
                out.back().value = v.value; // ascending: the last is the furthest
            }
        } else {
            out.push_back(v);
            currentBin = bin;
        }
    }
}

BoxSummary boxOf(const std::vector<RankProfile::Entry>& entries, const std::vector<double>& values,
                 const GroupDescription& d) {
    BoxSummary box;
    box.n = d.n;
    box.median = d.median;
    box.q1 = d.q1;
    box.q3 = d.q3;
    box.min = d.min;
    box.max = d.max;
    box.lowerWhisker = d.median; // kept only if no value lay within the fences
    box.upperWhisker = d.median;
    // As ggplot2's stat_boxplot: the fences are q1 - 1.5 IQR and q3 + 1.5 IQR, and a value is
    // an outlier when it lies strictly beyond one.
    const double iqr = d.q3 - d.q1;
    const double lowFence = d.q1 - 1.5 * iqr;
    const double highFence = d.q3 + 1.5 * iqr;
    std::vector<ValueCount> low;
    std::vector<ValueCount> high;
    bool anyInside = false;
    for (const RankProfile::Entry& entry : entries) {
        const double v = values[entry.value];
        if (v < lowFence) {
            low.push_back({v, entry.count});
        } else if (v > highFence) {
            high.push_back({v, entry.count});
        } else {
            if (!anyInside) {
                box.lowerWhisker = v;
                anyInside = true;
            }
            box.upperWhisker = v;
        }
    }
    for (const auto* side : {&low, &high}) {
        for (const ValueCount& v : *side) {
            box.outlierCases += v.count;
        }
    }
    if (low.size() + high.size() > maxOutlierMarks && d.max > d.min) {
        const double width = (d.max - d.min) / static_cast<double>(maxOutlierMarks);
        mergeSide(box.outliers, low, d.min, width, true);
        mergeSide(box.outliers, high, d.min, width, false);
        box.outliersMerged = true;
    } else {
        box.outliers = std::move(low);
        box.outliers.insert(box.outliers.end(), high.begin(), high.end());
    }
    return box;
}

} // namespace

std::vector<BoxSummary> boxSummaries(const RankProfile& profile,
                                     const std::vector<GroupDescription>& descriptions) {
    std::vector<BoxSummary> out;
    out.reserve(descriptions.size());
    for (std::size_t g = 0; g < descriptions.size(); ++g) {
        out.push_back(boxOf(profile.groups[g], profile.values, descriptions[g]));
    }
    return out;
}

} // namespace kw
