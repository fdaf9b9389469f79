#include "translate/stream_numbers.h"

#include <charconv>
#include <map>
#include <optional>

namespace mk::toolkit {

namespace {

struct OldMap {
    int file = 0;
    int stream = 0;
    std::string rest;  // ":F.M" when given
};

std::optional<int> Number(std::string_view text) {
    int n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return n;
}

std::optional<OldMap> ReadOldMap(const ArgItem& item) {
    if (item.option != "map" || !item.hasValue) {
        return std::nullopt;
    }
    const std::string_view value = item.value;
    const size_t colon = value.find(':');
    const std::string_view stream = value.substr(0, colon);
    const size_t dot = stream.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const auto file = Number(stream.substr(0, dot));
    const auto index = Number(stream.substr(dot + 1));
    if (!file || !index) {
        return std::nullopt;
    }
    return OldMap{*file, *index,
                  colon == std::string_view::npos ? "" : std::string(value.substr(colon))};
}

}  // namespace

bool HasOldStreamNumbers(const std::vector<ArgItem>& items) {
    for (const ArgItem& item : items) {
        if (ReadOldMap(item)) {
            return true;
        }
    }
    return false;
}

void RenumberOldStreams(std::vector<ArgItem>& items, const std::vector<StreamInfo>& inputStreams) {
    std::map<int, std::vector<int>> pictureAndSound;  // today's numbers, per input
    for (const StreamInfo& s : inputStreams) {
        if (s.kind == "Video" || s.kind == "Audio") {
            pictureAndSound[s.file].push_back(s.index);
        }
    }
    for (ArgItem& item : items) {
        const auto old = ReadOldMap(item);
        if (!old) {
            continue;
        }
        const std::vector<int>& numbers = pictureAndSound[old->file];
        if (old->stream < static_cast<int>(numbers.size())) {
            item.value = std::to_string(old->file) + "." +
                         std::to_string(numbers[static_cast<size_t>(old->stream)]) + old->rest;
        }
    }
}

}  // namespace mk::toolkit
