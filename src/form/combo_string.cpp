#include "form/combo_string.h"

#include <cctype>

namespace mk {

namespace {

bool StartsWithNoCase(std::string_view item, std::string_view prefix) {
    if (prefix.size() > item.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto a = static_cast<unsigned char>(item[i]);
        const auto b = static_cast<unsigned char>(prefix[i]);
        if (std::tolower(a) != std::tolower(b)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int ComboStringIndex(std::span<const std::string_view> items, std::string_view text) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (StartsWithNoCase(items[i], text)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace mk
