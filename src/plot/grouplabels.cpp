#include "plot/grouplabels.h"

#include "plot/plotstyle.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace kw::plot {

namespace {

constexpr double gap = 2; // between neighbouring texts
constexpr double sin45 = 0.70710678118654752;

// The turned labels: each name cut to its width budget (`budget(i)`), the size appended.
std::vector<QString> turnedTexts(const std::vector<QString>& names,
                                 const std::vector<QString>& sizes, const QFont& font,
                                 const std::vector<double>& budgets, Qt::TextElideMode mode) {
    std::vector<QString> out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        QString suffix;
        if (!sizes.empty()) {
            suffix = QStringLiteral(" (n = %1)").arg(sizes[i]);
            // Where even a short name and the size do not fit, the size alone is kept short.
            if (budgets[i] < textWidth(suffix + QStringLiteral("MMM"), font)) {
                suffix = QStringLiteral(" (%1)").arg(sizes[i]);
            }
        }
        const double room = std::max(0.0, budgets[i] - textWidth(suffix, font));
        out.push_back(elided(names[i], font, room, mode) + suffix);
    }
    return out;
}

bool allDistinct(const std::vector<QString>& texts, const std::vector<QString>& names) {
    std::set<QString> seen;
    std::set<QString> seenNames(names.begin(), names.end());
    for (const QString& t : texts) {
        if (!seen.insert(t).second) {
            return seenNames.size() < names.size(); // alike only when the names were
        }
    }
    return true;
}

} // namespace

std::vector<QString> elidedApart(const std::vector<QString>& names, const QFont& font,
                                 double width) {
    const std::vector<double> widths(names.size(), width);
    std::vector<QString> texts = turnedTexts(names, {}, font, widths, Qt::ElideRight);
    if (!allDistinct(texts, names)) {
        texts = turnedTexts(names, {}, font, widths, Qt::ElideMiddle);
    }
    return texts;
}

GroupLabels layoutGroupLabels(const std::vector<QString>& names, const std::vector<QString>& sizes,
                              const std::vector<double>& centers, double slot, double top,
                              double maxHeight, double leftLimit, bool slant) {
    GroupLabels labels;
    const QFont nameFont = plotFont(labelTextPixels);
    const QFont sizeFont = plotFont(smallTextPixels);
    const double h = lineHeight(nameFont);
    const std::size_t k = names.size();

    // Horizontal where every name fits its slot and every size too, as "n = 12" or else as
    // "12" in a row headed "n".
    bool fits = true;
    for (std::size_t i = 0; i < k && fits; ++i) {
        fits = textWidth(names[i], nameFont) <= slot - 2 * gap;
    }
    bool spelled = true;
    bool bare = true;
    for (std::size_t i = 0; i < sizes.size() && fits; ++i) {
        spelled =
            spelled && textWidth(QStringLiteral("n = ") + sizes[i], sizeFont) <= slot - 2 * gap;
        bare = bare && textWidth(sizes[i], sizeFont) <= slot - gap;
    }
    if (fits && (spelled || bare)) {
        labels.mode = GroupLabels::Mode::horizontal;
        const double sizeTop = top + h + 1;
        for (std::size_t i = 0; i < k; ++i) {
            labels.names.push_back(placeText(names[i], nameFont, inkColor, {centers[i], top},
                                             Qt::AlignHCenter | Qt::AlignTop));
            if (!sizes.empty()) {
                labels.sizes.push_back(
                    placeText(spelled ? QStringLiteral("n = ") + sizes[i] : sizes[i], sizeFont,
                              mutedColor, {centers[i], sizeTop}, Qt::AlignHCenter | Qt::AlignTop));
            }
        }
        if (!sizes.empty() && !spelled) {
            labels.sizes.push_back(placeText(QStringLiteral("n"), sizeFont, mutedColor,
                                             {centers[0] - slot / 2 - 3 * gap, sizeTop},
                                             Qt::AlignRight | Qt::AlignTop));
        }
        labels.height = h + (sizes.empty() ? 0 : 1 + lineHeight(sizeFont));
        return labels;
    }

    double angle = -90;
    if (slant && slot * sin45 >= h + gap) {
        labels.mode = GroupLabels::Mode::slanted;
        angle = -45;
    } else {
        labels.mode = GroupLabels::Mode::upright;
        labels.every = std::max(1, static_cast<int>(std::ceil((h + gap) / slot)));
    }
    // The sizes in a row of their own under the axis, "n" before them, where each fits its
    // slot; else appended to the names.
    std::vector<QString> suffixes = sizes;
    double namesTop = top;
    if (!sizes.empty() && labels.every == 1) {
        bool row = true;
        for (std::size_t i = 0; i < k && row; ++i) {
            row = textWidth(sizes[i], sizeFont) <= slot - gap;
        }
        if (row) {
            for (std::size_t i = 0; i < k; ++i) {
                labels.sizes.push_back(placeText(sizes[i], sizeFont, mutedColor, {centers[i], top},
                                                 Qt::AlignHCenter | Qt::AlignTop));
            }
            labels.sizes.push_back(placeText(QStringLiteral("n"), sizeFont, mutedColor,
                                             {centers[0] - slot / 2 - 3 * gap, top},
                                             Qt::AlignRight | Qt::AlignTop));
            namesTop = top + lineHeight(sizeFont) + 2 * gap;
            maxHeight -= namesTop - top;
            suffixes.clear();
        }
    }
    // The width each turned text may take: what keeps it within maxHeight below `top`, and,
    // slanted, right of the page's left edge.
    std::vector<double> budgets(k);
    for (std::size_t i = 0; i < k; ++i) {
        if (labels.mode == GroupLabels::Mode::slanted) {
            const double byHeight = (maxHeight - h * sin45) / sin45;
            budgets[i] = std::min(byHeight, (centers[i] - leftLimit - h * sin45) / sin45);
            // How far left of the limit the text would reach if only the height cut it.
            QString whole = names[i];
            if (!suffixes.empty()) {
                whole += QStringLiteral(" (n = %1)").arg(suffixes[i]);
            }
            const double wanted = std::min(byHeight, textWidth(whole, nameFont));
            labels.overhang =
                std::max(labels.overhang, leftLimit - (centers[i] - sin45 * (wanted + h)));
        } else {
            budgets[i] = maxHeight;
        }
        budgets[i] = std::max(budgets[i], 0.0);
    }
    std::vector<QString> texts = turnedTexts(names, suffixes, nameFont, budgets, Qt::ElideRight);
    if (!allDistinct(texts, names)) {
        texts = turnedTexts(names, suffixes, nameFont, budgets, Qt::ElideMiddle);
    }
    double extent = 0;
    for (std::size_t i = 0; i < k; i += std::size_t(labels.every)) {
        // The text ends at its slot's centre, just under the axis, and runs down to the left
        // (slanted) or down (upright, reading upwards).
        PlacedText t = placeText(texts[i], nameFont, inkColor, {centers[i], namesTop},
                                 Qt::AlignRight | Qt::AlignVCenter, angle);
        if (labels.mode == GroupLabels::Mode::slanted) {
            // Turned about its end's middle, the text's upper corner would rise above `top`:
            // move it down by that much.
            t.anchor.ry() += h / 2 * sin45;
        }
        extent = std::max(extent, t.bounds().bottom() - namesTop);
        labels.names.push_back(t);
    }
    labels.height = namesTop - top + extent;
    return labels;
}

} // namespace kw::plot
