#include "disc/disc_plan.h"

#include "command/targets.h"

#include <cmath>
#include <cstdio>
#include <regex>

namespace mk::disc {

namespace {

constexpr std::uint64_t kDvdSector = 2048;
constexpr std::uint64_t kCdSector = 2324;

std::optional<double> Number(std::string_view text) {
    static const std::regex number(R"(\d+(\.\d+)?)");
    const std::string s(text);
    if (!std::regex_match(s, number)) {
        return std::nullopt;
    }
    return std::stod(s);
}

}  // namespace

// The target's row says what its discs are; the authoring only needs their family.
std::optional<DiscKind> DiscKindFor(std::string_view target) {
    const Target* row = FindTarget(target);
    if (row == nullptr || row->discs.empty()) {
        return std::nullopt;
    }
    switch (row->discs.front()) {
        case DiscOutput::DvdVideoFolder:
        case DiscOutput::DvdVideoIso:
            return DiscKind::Dvd;
        case DiscOutput::SvcdCueBin:
            return DiscKind::Svcd;
        case DiscOutput::VcdCueBin:
            return DiscKind::Vcd;
    }
    return std::nullopt;
}

std::string KindName(DiscKind kind) {
    switch (kind) {
        case DiscKind::Dvd:
            return "dvd";
        case DiscKind::Svcd:
            return "svcd";
        case DiscKind::Vcd:
            return "vcd";
    }
    return {};
}

unsigned SectorPayload(DiscKind kind) {
    return kind == DiscKind::Dvd ? kDvdSector : kCdSector;
}

std::optional<double> ParseChapterInterval(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        const auto minutes = Number(text);
        return minutes ? std::optional<double>(*minutes * 60.0) : std::nullopt;
    }
    const auto minutes = Number(text.substr(0, colon));
    const std::string_view secondsText = text.substr(colon + 1);
    const auto seconds = Number(secondsText);
    // "M:SS": two digits of seconds below 60, as a clock writes them.
    if (!minutes || !seconds || secondsText.size() < 2 || !std::isdigit(secondsText[1]) ||
        *seconds >= 60 || *minutes != std::floor(*minutes)) {
        return std::nullopt;
    }
    return *minutes * 60.0 + *seconds;
}

std::vector<double> ChapterStarts(double length, double interval, double gopSeconds) {
    std::vector<double> starts{0.0};
    if (interval <= 0 || gopSeconds <= 0) {
        return starts;
    }
    // Each mark on the GOP start nearest to where it is asked; two marks never on one GOP.
    for (int k = 1;; ++k) {
        const double gops = std::max(1.0, std::round(k * interval / gopSeconds));
        const double at = std::round(gops * gopSeconds * 1e6) / 1e6;
        if (at + gopSeconds > length + 1e-9) {
            break;
        }
        if (at > starts.back() + 1e-9) {
            starts.push_back(at);
        }
    }
    return starts;
}

std::string ChapterList(const std::vector<double>& starts) {
    std::string list;
    for (double at : starts) {
        if (!list.empty()) {
            list += ",";
        }
        if (at == 0) {
            list += "0";
            continue;
        }
        const long millis = std::lround(at * 1000.0);
        char text[40];
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld.%03ld", millis / 3600000,
                      millis / 60000 % 60, millis / 1000 % 60, millis % 1000);
        list += text;
    }
    return list;
}

std::optional<DiscSize> ParseDiscSize(std::string_view text) {
    if (text == "dvd5") {
        return DiscSize{2295104 * kDvdSector, DiscKind::Dvd};
    }
    if (text == "dvd9") {
        return DiscSize{4173824 * kDvdSector, DiscKind::Dvd};
    }
    if (text == "cd74") {
        return DiscSize{333000 * kCdSector, DiscKind::Vcd};
    }
    if (text == "cd80") {
        return DiscSize{360000 * kCdSector, DiscKind::Vcd};
    }
    static const std::regex bytes(R"((\d+(\.\d+)?)(([kMG])(i?))?)");
    std::smatch m;
    const std::string s(text);
    if (!std::regex_match(s, m, bytes)) {
        return std::nullopt;
    }
    double value = std::stod(m[1].str());
    if (m[4].matched) {
        const double base = m[5].length() ? 1024.0 : 1000.0;
        const int power = m[4].str() == "k" ? 1 : m[4].str() == "M" ? 2 : 3;
        value *= std::pow(base, power);
    }
    if (value < 1 || value > 1e15) {
        return std::nullopt;
    }
    return DiscSize{static_cast<std::uint64_t>(value), std::nullopt};
}

std::optional<std::string> SizeMismatch(const DiscSize& size, DiscKind kind,
                                        std::string_view text) {
    if (!size.family || (*size.family == DiscKind::Dvd) == (kind == DiscKind::Dvd)) {
        return std::nullopt;
    }
    return std::string(text) + " is a " + (kind == DiscKind::Dvd ? "CD" : "DVD") + " size; a " +
           KindName(kind) + " disc takes " + (kind == DiscKind::Dvd ? "dvd5, dvd9" : "cd74, cd80") +
           " or a number of bytes";
}

double GopSeconds(std::string_view moreOptions, bool pal) {
    static const std::regex gop(R"((^|\s)-g\s+(\d+))");
    std::smatch m;
    const std::string s(moreOptions);
    double frames = pal ? 15 : 18;
    // The last -g given is the one ffmpeg uses.
    for (auto it = std::sregex_iterator(s.begin(), s.end(), gop); it != std::sregex_iterator();
         ++it) {
        frames = std::stod((*it)[2].str());
    }
    return frames / (pal ? 25.0 : 30000.0 / 1001.0);
}

}  // namespace mk::disc
