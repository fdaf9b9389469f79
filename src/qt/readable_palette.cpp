#include "qt/readable_palette.h"

#include <algorithm>

#include "ui/contrast.h"

namespace mk {

namespace {

constexpr QPalette::ColorRole kTextRoles[] = {QPalette::WindowText, QPalette::Text,
                                              QPalette::ButtonText};
constexpr QPalette::ColorRole kBackgrounds[] = {QPalette::Window, QPalette::Base, QPalette::Button};

Rgb ToRgb(const QColor& c) {
    return {c.red(), c.green(), c.blue()};
}

double LowestContrast(const QPalette& palette, Rgb text) {
    double lowest = 21.0;
    for (auto background : kBackgrounds) {
        lowest = std::min(
            lowest, ContrastRatio(text, ToRgb(palette.color(QPalette::Disabled, background))));
    }
    return lowest;
}

}  // namespace

double DisabledTextContrast(const QPalette& palette, QPalette::ColorRole text) {
    return LowestContrast(palette, ToRgb(palette.color(QPalette::Disabled, text)));
}

QPalette WithReadableDisabledText(const QPalette& base) {
    QPalette palette = base;
    for (auto role : kTextRoles) {
        const Rgb disabled = ToRgb(base.color(QPalette::Disabled, role));
        const Rgb enabled = ToRgb(base.color(QPalette::Active, role));
        // The lightest step that reads; the enabled colour itself when nothing lighter does,
        // so a dark theme is moved towards its light text, a light theme towards its dark.
        Rgb chosen = enabled;
        for (int step = 0; step <= 50; ++step) {
            const Rgb candidate = Blend(disabled, enabled, step / 50.0);
            if (LowestContrast(base, candidate) >= kMinimumTextContrast) {
                chosen = candidate;
                break;
            }
        }
        palette.setColor(QPalette::Disabled, role, QColor(chosen.r, chosen.g, chosen.b));
    }
    return palette;
}

}  // namespace mk
