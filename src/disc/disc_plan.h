// What a disc is made of before any tool runs: its kind (from the target), the chapter marks of
// each title, and the size it must fit. Plain values; nothing here touches a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mk::disc {

enum class DiscKind { Dvd, Svcd, Vcd };

// The disc a target makes: "dvd", "svcd", "vcd"; nullopt for mpeg4, h263 and any other word.
std::optional<DiscKind> DiscKindFor(std::string_view target);
std::string KindName(DiscKind kind);

// Bytes of MPEG data one sector carries: 2048 on a DVD, 2324 (Mode 2 Form 2) on a CD.
unsigned SectorPayload(DiscKind kind);

// --chapters: minutes ("5", "2.5") or minutes and seconds ("0:10", "12:30"); seconds, nullopt
// when malformed. 0 means no marks beyond the title's start.
std::optional<double> ParseChapterInterval(std::string_view text);

// The chapter starts of a title `length` seconds long: 0, then every `interval` (0: none),
// each moved to the nearest whole number of GOPs of `gopSeconds`, so that a mark falls on the
// first frame of a closed GOP; no mark within the last GOP, where a chapter would be empty.
std::vector<double> ChapterStarts(double length, double interval, double gopSeconds);

// dvdauthor's chapter list: "0,0:05:00.000,0:10:00.000".
std::string ChapterList(const std::vector<double>& starts);

// --fit: "dvd5", "dvd9", "cd74", "cd80", or bytes with k/M/G (powers of 1000) or Ki/Mi/Gi
// (powers of 1024). `bytes` counts MPEG payload: sectors times SectorPayload of the family.
struct DiscSize {
    std::uint64_t bytes = 0;
    std::optional<DiscKind> family;  // Dvd for dvd5/dvd9, Vcd for cd74/cd80, none for bytes
};
std::optional<DiscSize> ParseDiscSize(std::string_view text);

// A named size of the other family than `kind` (dvd5 for a VCD, cd80 for a DVD): why not.
std::optional<std::string> SizeMismatch(const DiscSize& size, DiscKind kind, std::string_view text);

// The GOP the encoder uses: "-g N" from the More options text, else the target's (15 frames
// for PAL, 18 for NTSC); in seconds.
double GopSeconds(std::string_view moreOptions, bool pal);

}  // namespace mk::disc
