// Contrast between two colours as the Web Content Accessibility Guidelines measure it: from 1:1
// (equal) to 21:1 (black on white); ordinary text needs at least 4.5:1.
#pragma once

namespace mk {

struct Rgb {
    int r, g, b;  // 0..255, sRGB
};

inline constexpr double kMinimumTextContrast = 4.5;

double RelativeLuminance(Rgb colour);
double ContrastRatio(Rgb a, Rgb b);
// The colour a fraction t (0..1) of the way from `from` to `to`.
Rgb Blend(Rgb from, Rgb to, double t);

}  // namespace mk
