// How a value is written into an editable combo box: the first list item that begins with the
// text, letters compared without regard to case; otherwise the text goes into the edit part as
// typed. So "16:9" selects "16:9" and never "16:9->4:3", which comes later in the list.
#pragma once

#include <span>
#include <string_view>

namespace mk {

// Index of the item to select, or -1 when the text is to be shown as typed.
int ComboStringIndex(std::span<const std::string_view> items, std::string_view text);

}  // namespace mk
