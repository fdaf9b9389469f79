#include "disc/disc_readback.h"

#include <cmath>
#include <regex>
#include <sstream>

#include "jobs/progress.h"

namespace mk::disc {

namespace {

constexpr double kLengthSlack = 1.0;  // seconds

std::string Seconds(double s) {
    std::ostringstream text;
    text.precision(3);
    text << std::fixed << s << " s";
    return text.str();
}

}  // namespace

std::vector<ReadTitle> ParseLsdvd(std::string_view text) {
    static const std::regex title(R"(^Title: \d+, Length: ([0-9:.]+))");
    static const std::regex video(R"(Format: (\w+), Aspect ratio: ([0-9/]+))");
    static const std::regex chapter(R"(^\s+Chapter: \d+, Length: ([0-9:.]+))");
    std::vector<ReadTitle> titles;
    std::istringstream lines{std::string(text)};
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, m, title)) {
            titles.push_back({ParseClock(m[1].str()).value_or(-1), {}, {}, {}});
        } else if (titles.empty()) {
            continue;
        } else if (std::regex_search(line, m, chapter)) {
            titles.back().chapterLengths.push_back(ParseClock(m[1].str()).value_or(-1));
        } else if (std::regex_search(line, m, video)) {
            titles.back().format = m[1].str();
            titles.back().aspect = m[2].str();
        }
    }
    return titles;
}

std::string CompareDvd(const std::vector<ReadTitle>& read, const DiscLayout& layout) {
    if (read.size() != layout.titles.size()) {
        return "the disc holds " + std::to_string(read.size()) + " titles, not " +
               std::to_string(layout.titles.size());
    }
    const std::string format = layout.pal ? "PAL" : "NTSC";
    const std::string aspect = layout.wide ? "16/9" : "4/3";
    for (std::size_t i = 0; i < read.size(); ++i) {
        const ReadTitle& got = read[i];
        const DiscTitle& want = layout.titles[i];
        const std::string which = "title " + std::to_string(i + 1) + " (" + want.label + ")";
        if (std::abs(got.seconds - want.seconds) > kLengthSlack) {
            return which + " lasts " + Seconds(got.seconds) + ", not " + Seconds(want.seconds);
        }
        if (got.format != format || got.aspect != aspect) {
            return which + " is " + got.format + " " + got.aspect + ", not " + format + " " +
                   aspect;
        }
        if (got.chapterLengths.size() != want.chapters.size()) {
            return which + " has " + std::to_string(got.chapterLengths.size()) + " chapters, not " +
                   std::to_string(want.chapters.size());
        }
        // Each mark where it was put: the chapters before it add up to its start.
        double at = 0;
        for (std::size_t c = 0; c + 1 < want.chapters.size(); ++c) {
            at += got.chapterLengths[c];
            if (std::abs(at - want.chapters[c + 1]) > 0.05) {
                return which + ": chapter " + std::to_string(c + 2) + " starts at " + Seconds(at) +
                       ", not " + Seconds(want.chapters[c + 1]);
            }
        }
    }
    return {};
}

ReadVcd ParseVcdInfo(std::string_view text) {
    static const std::regex kind(R"(^(.*) detected$)");
    static const std::regex entries(R"(^ entries: (\d+))");
    static const std::regex tracks(R"(^CD-ROM TRACKS \(1 - (\d+)\))");
    ReadVcd read;
    std::istringstream lines{std::string(text)};
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (read.kind.empty() && std::regex_search(line, m, kind)) {
            read.kind = m[1].str();
        } else if (std::regex_search(line, m, entries)) {
            read.entries = std::stoi(m[1].str());
        } else if (std::regex_search(line, m, tracks)) {
            read.tracks = std::stoi(m[1].str());
        }
    }
    return read;
}

std::string CompareVcd(const ReadVcd& read, const DiscLayout& layout) {
    const std::string kind = layout.kind == DiscKind::Svcd ? "SVCD" : "VCD 2.0";
    if (read.kind != kind) {
        return "vcd-info reads " + (read.kind.empty() ? "no video CD" : read.kind) + ", not " +
               kind;
    }
    const int n = static_cast<int>(layout.titles.size());
    if (read.entries != n || read.tracks != n + 1) {
        return "the image holds " + std::to_string(read.tracks - 1) + " tracks and " +
               std::to_string(read.entries) + " entries, not " + std::to_string(n);
    }
    return {};
}

}  // namespace mk::disc
