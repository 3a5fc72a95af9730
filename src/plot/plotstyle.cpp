#include "plot/plotstyle.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kw::plot {

QFont plotFont(int pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false); // text widths then add up the same in every output
    return font;
}

QColor viridis(double t) {
    // Entries 0, 16, ..., 240 and 255 of the 256 of viridis (R's viridisLite, matplotlib's
    // table); linear between them.
    static constexpr std::array<std::array<int, 3>, 17> anchors{{
        {68, 1, 84},
        {72, 24, 106},
        {71, 45, 123},
        {66, 64, 134},
        {59, 82, 139},
        {51, 99, 141},
        {44, 114, 142},
        {38, 130, 142},
        {33, 145, 140},
        {31, 160, 136},
        {40, 174, 128},
        {63, 188, 115},
        {94, 201, 98},
        {132, 212, 75},
        {173, 220, 48},
        {216, 226, 25},
        {253, 231, 37},
    }};
    t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0);
    const double entry = t * 255;
    const auto i = std::min<std::size_t>(static_cast<std::size_t>(entry / 16), 15);
    const double from = 16.0 * static_cast<double>(i);
    const double to = i == 15 ? 255 : from + 16;
    const double f = (entry - from) / (to - from);
    const auto& a = anchors[i];
    const auto& b = anchors[i + 1];
    const auto mix = [f](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * f)); };
    return {mix(a[0], b[0]), mix(a[1], b[1]), mix(a[2], b[2])};
}

QColor textColorOn(const QColor& background) {
    // Relative luminance (sRGB), against the middle of black and white in contrast terms.
    const auto channel = [](int c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const double l = 0.2126 * channel(background.red()) + 0.7152 * channel(background.green()) +
                     0.0722 * channel(background.blue());
    return l > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace kw::plot
