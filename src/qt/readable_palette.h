// A palette whose disabled text stays readable: the disabled text colours are moved towards the
// enabled ones just far enough to reach 4.5:1 against the backgrounds they are drawn on.
#pragma once

#include <QPalette>

namespace mk {

QPalette WithReadableDisabledText(const QPalette& base);

// The lowest contrast of one disabled text role against the disabled backgrounds.
double DisabledTextContrast(const QPalette& palette, QPalette::ColorRole text);

}  // namespace mk
