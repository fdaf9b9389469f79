// MFC file-type filters ("desc|pat; pat|desc|pat||") turned into what QFileDialog takes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mk {

struct FilterEntry {
    std::string description;
    std::vector<std::string> patterns;
};

// Pairs of description and patterns up to the first empty part (the "||" terminator), as the
// Windows dialog reads them. Any text is accepted: a description without patterns is dropped.
std::vector<FilterEntry> ParseMfcFilter(std::string_view mfc);

// "Video Files (*.wmv *.asf)": QFileDialog takes the last parenthesised group as the patterns and
// shows the whole text, so a pattern list already in the description is moved out of it and the
// user reads the type and its patterns once. "*.*" becomes "*" so names without a dot match too.
std::string ToQtFilter(const FilterEntry& e);

// Every entry, joined with ";;"; empty when the filter offers no type.
std::string QtFilterList(std::string_view mfc);

}  // namespace mk
