// The two caption tables of the main form: English and German texts for the menu items and
// controls that follow the interface language. Texts are UTF-8; the form applies a table row by
// row, in table order, and leaves every target not listed as the template has it.
#pragma once

#include <span>
#include <string_view>

namespace mk {

enum class CaptionTarget { MenuItem, Control };

struct Caption {
    CaptionTarget target;
    int id;  // menu command id or control id (res/resource.h)
    std::string_view text;
};

std::span<const Caption> EnglishCaptions();
// Label 1032 ("Audio") has no German row: it keeps whatever the form shows.
std::span<const Caption> GermanCaptions();

}  // namespace mk
