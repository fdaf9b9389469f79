// Each target the form offers, as one row: its list word, the presets the form writes for it (by
// TV format and audio target), what it adds to the command and to More options, the file Save File
// proposes for it and the discs it can be authored to. Rules, composition, the output chooser, the
// target list and the CLI all read these rows; nothing else knows a target by name.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace mk {

struct SizePreset {
    std::string_view width, height;
};

// The audio presets of one audio target ("" for whatever the audio target says). An empty text
// leaves that control alone; channels without a text stay editable, with one they are fixed.
struct AudioPreset {
    std::string_view audioTarget;
    std::string_view newAudioTarget;
    std::string_view bitrate;
    std::string_view channels;
};

// A word the target adds to More options unless the text already holds `unless`: only for an
// MP4 source where `mp4Only`, only when the word before was added where `afterPrevious`.
struct MoreOption {
    std::string_view word;
    std::string_view unless;
    bool mp4Only = false;
    bool afterPrevious = false;
};

// "Description(*.ext)|*.ext||" with its extension.
struct FileType {
    std::string_view description, extension;
};

// What a disc of the target is made into.
enum class DiscOutput { DvdVideoFolder, DvdVideoIso, SvcdCueBin, VcdCueBin };

struct Target {
    std::string_view word;
    std::string_view videoBitrate;
    bool videoBitrateEditable;
    // The video bitrates in kbit/s that ffmpeg's own settings of the target take; 0: any.
    unsigned minVideoBitrate, maxVideoBitrate;
    SizePreset pal, otherFormat;
    bool sizeEditable;
    bool audioTargetEditable, audioBitrateEditable;
    std::span<const AudioPreset> audio;
    std::string_view codecPal, codecOther;  // the video codec arguments by TV format
    std::span<const MoreOption> moreOptions;
    std::string_view audioEnd;  // just before "-y" and the output
    FileType withAudio, videoOnly;
    std::span<const DiscOutput> discs;
};

namespace target_data {
inline constexpr AudioPreset kDvdAudio[] = {
    {"ac3", "", "448", ""}, {"mp2", "", "224", "2"}, {"mp3", "ac3", "448", ""}};
inline constexpr AudioPreset kMp2Audio[] = {{"", "mp2", "224", "2"}};
inline constexpr AudioPreset kMpeg4Audio[] = {{"", "mp3", "128", "2"}};
inline constexpr AudioPreset kH263Audio[] = {{"", "aac", "16", "1"}};
inline constexpr MoreOption kQmin[] = {{" -qmin 2", "qmin"}};
inline constexpr MoreOption kDvdMore[] = {{" -qmin 2", "qmin"}, {" -sameq", "sameq", true}};
inline constexpr MoreOption kMpeg4More[] = {{" -vtag xvid", "vtag"},
                                            {" -qmin 2", "qmin", false, true}};
inline constexpr DiscOutput kDvdDiscs[] = {DiscOutput::DvdVideoFolder, DiscOutput::DvdVideoIso};
inline constexpr DiscOutput kSvcdDiscs[] = {DiscOutput::SvcdCueBin};
inline constexpr DiscOutput kVcdDiscs[] = {DiscOutput::VcdCueBin};
inline constexpr FileType kMpg{"MPEG Files", "mpg"}, kM2v{"MPEG2 Video Stream", "m2v"};
inline constexpr FileType k3gp{"3GP Video Files", "3gp"};
}  // namespace target_data

// In the order of the form's Target list.
// clang-format off
inline constexpr std::array<Target, 5> kTargets{{
    {"dvd", "6000", true, 0, 9000, {"720", "576"}, {"720", "480"}, false, true, false, target_data::kDvdAudio,
     "-target pal-dvd ", "-target ntsc-dvd ", target_data::kDvdMore, " -async 1",
     target_data::kMpg, target_data::kM2v, target_data::kDvdDiscs},
    {"svcd", "2040", false, 0, 2516, {"480", "576"}, {"480", "480"}, false, false, false, target_data::kMp2Audio,
     "-target pal-svcd ", "-target ntsc-svcd ", target_data::kQmin, " -async 1",
     target_data::kMpg, target_data::kM2v, target_data::kSvcdDiscs},
    {"vcd", "1150", false, 1150, 1150, {"352", "288"}, {"352", "240"}, false, false, false, target_data::kMp2Audio,
     "-target pal-vcd ", "-target ntsc-vcd ", {}, " -async 1",
     target_data::kMpg, {"MPEG1 Video Stream", "m1v"}, target_data::kVcdDiscs},
    {"mpeg4", "900", true, 0, 0, {"352", "288"}, {"320", "240"}, true, false, true, target_data::kMpeg4Audio,
     "-vcodec mpeg4 -g 240 ", "-vcodec mpeg4 -g 300 ", target_data::kMpeg4More, " -async 1",
     {"Avi Files", "avi"}, {"AVI Video Files", "avi"}, {}},
    {"h263", "200", false, 0, 0, {"176", "144"}, {"176", "144"}, false, false, false, target_data::kH263Audio,
     "-vcodec h263 ", "-vcodec h263 ", {}, " -ar 8000",
     target_data::k3gp, target_data::k3gp, {}},
}};
// clang-format on

// The words of the Target list, from the rows.
inline constexpr auto kTargetWords = [] {
    std::array<std::string_view, kTargets.size()> words{};
    for (std::size_t i = 0; i < kTargets.size(); ++i) {
        words[i] = kTargets[i].word;
    }
    return words;
}();

// The audio Target list.
inline constexpr std::array<std::string_view, 5> kAudioTargets{"mp2", "ac3", "mp3", "aac", "copy"};

// The row of a list word (exact letters), or nullptr for any other text.
const Target* FindTarget(std::string_view word);

// The row a command is composed by: another text than a list word gets "-target " and the TV
// format's prefix with no word after it, no presets and no discs, and files as a dvd's.
const Target& TargetForCommand(std::string_view word);

// The first audio preset of `target` for this audio target, or nullptr.
const AudioPreset* AudioPresetFor(const Target& target, std::string_view audioTarget);

}  // namespace mk
