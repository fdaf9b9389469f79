#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "res/resource.h"
#include "rules/control_rules.h"
#include "unit/rules_state.h"

namespace mk {
namespace {

using namespace ids;
using test::Fold;
using test::FoldedState;

// 'E' enabled, 'D' disabled, '-' untouched.
char StateChar(const FoldedState& s, int id) {
    const auto e = s.Enabled(id);
    return !e ? '-' : (*e ? 'E' : 'D');
}

// The governed controls' states in walk order; blanks in the expectation only group it.
std::string States(const FoldedState& s) {
    std::string out;
    for (int id : test::GovernedControls()) {
        out += StateChar(s, id);
    }
    return out;
}

std::string Squeeze(std::string s) {
    std::erase(s, ' ');
    return s;
}

EncoderFields SourceFields(int video, int audio, const std::string& ext = "avi") {
    EncoderFields f;
    f.m_strSourceFile = "/clips/in." + ext;
    f.m_strSourceExt = ext;
    f.m_bProcessVideo = video;
    f.m_bProcessAudio = audio;
    return f;
}

const RuleContext kPresent{true, true, false};

TEST(ControlRules, WalkOrderOfLockForm) {
    EncoderFields f;
    f.m_strSourceFile = "/gone/clip.avi";
    const auto off = [](int id) { return ControlChange{ChangeKind::Disable, test::FieldOf(id)}; };
    // clang-format off
    const ControlChanges expected = {
        off(IDC_MORE_OPTIONS), off(IDC_SAVE_FILE), off(IDC_GENERATE), off(IDC_COMMAND),
        off(IDC_OUTPUT_FILE), off(IDOK), off(IDC_PREVIEW), off(IDC_TARGET), off(IDC_FORMAT),
        off(IDC_ASPECT), off(IDC_CORRECT_RATIO), off(IDC_VIDEO_BITRATE), off(IDC_WIDTH),
        off(IDC_HEIGHT), off(IDC_AUDIO_TARGET), off(IDC_AUDIO_BITRATE), off(IDC_CHANNELS),
        off(IDC_AUDIO_STREAM), off(IDC_VIDEO_STREAM), off(IDC_USE_AVISYNTH),
        {ChangeKind::ClearAviSynthCheck, Field::UseAviSynth},
        off(IDC_TEST), off(IDC_PROCESS_AUDIO), off(IDC_PROCESS_VIDEO),
        {ChangeKind::FileMissingBox, Field::SourceFile, "/gone/clip.avi"},
    };
    // clang-format on
    EXPECT_EQ(LockForm(f), expected);
    // A source deleted after it was opened locks the form and names the path.
    EXPECT_EQ(ApplyControlRules(f, {true, false, false}), expected);
}

TEST(ControlRules, EnableAllClearsAviSynthRightAfterItsBox) {
    const ControlChanges all = EnableAllControls();
    ASSERT_EQ(all.size(), 24u);
    EXPECT_EQ(all[19], (ControlChange{ChangeKind::Enable, Field::UseAviSynth}));
    EXPECT_EQ(all[20], (ControlChange{ChangeKind::ClearAviSynthCheck, Field::UseAviSynth}));
    const FoldedState s = Fold(all);
    EXPECT_EQ(States(s), std::string(23, 'E'));
    EXPECT_TRUE(s.aviSynthCleared);
    EXPECT_TRUE(s.text.empty());
}

TEST(ControlRules, PresettingOnBeforeAnySourceLocksEverything) {
    const FoldedState s = Fold(ApplyControlRules(EncoderFields{}, {true, false, false}));
    EXPECT_EQ(States(s), std::string(23, 'D'));
    EXPECT_TRUE(s.aviSynthCleared);
    EXPECT_TRUE(s.text.empty());
    ASSERT_EQ(s.fileMissingBoxes.size(), 1u);
    EXPECT_EQ(s.fileMissingBoxes[0], "");
    // Open File, Your Support and Exit are never governed, so they stay usable.
    for (int id : {IDC_OPEN_FILE, IDC_SUPPORT, IDCANCEL, IDC_SOURCE_FILE, IDC_SOURCE_INFO}) {
        EXPECT_EQ(StateChar(s, id), '-') << id;
    }
}

TEST(ControlRules, EmptySourcePathCountsAsMissing) {
    // Even if the caller's existence test were wrong about "", an empty path never exists.
    const FoldedState s = Fold(ApplyControlRules(EncoderFields{}, {true, true, false}));
    EXPECT_EQ(s.fileMissingBoxes.size(), 1u);
}

TEST(ControlRules, PresettingOffEnablesAllWhateverTheFields) {
    EncoderFields f = SourceFields(0, 0, "vob");
    f.m_strTarget = "h263";
    for (bool exists : {false, true}) {
        const ControlChanges changes = ApplyControlRules(f, {false, exists, exists});
        EXPECT_EQ(changes, EnableAllControls());
        const FoldedState s = Fold(changes);
        EXPECT_TRUE(s.fileMissingBoxes.empty());
        EXPECT_TRUE(s.text.empty());
    }
}

// The resulting-states table, with target "dvd" / audio "ac3" / format "pal".
// Groups: MORE SAVE GEN CMD OUT OK PREV | TARGET FORMAT ASPECT CORRECT | VBITRATE W H |
// ATARGET ABITRATE CHANNELS | ASTREAM VSTREAM AVISYNTH TEST | PAUDIO PVIDEO
struct StatesRow {
    const char* name;
    int video, audio;
    const char* ext;
    const char* output;
    bool outputExists;
    const char* states;
    bool aviSynthCleared;
    bool videoTexts, audioTexts;
};

class ResultingStates : public testing::TestWithParam<StatesRow> {};

TEST_P(ResultingStates, FinalStates) {
    const StatesRow& r = GetParam();
    EncoderFields f = SourceFields(r.video, r.audio, r.ext);
    f.m_strOutputFile = r.output;
    const FoldedState s = Fold(ApplyControlRules(f, {true, true, r.outputExists}));
    EXPECT_EQ(States(s), Squeeze(r.states));
    EXPECT_EQ(s.aviSynthCleared, r.aviSynthCleared);
    EXPECT_EQ(s.Text(IDC_WIDTH).has_value(), r.videoTexts);
    EXPECT_EQ(s.Text(IDC_VIDEO_BITRATE).has_value(), r.videoTexts);
    EXPECT_EQ(s.Text(IDC_AUDIO_BITRATE).has_value(), r.audioTexts);
    EXPECT_TRUE(s.fileMissingBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    ControlRules, ResultingStates,
    testing::Values(StatesRow{"BothOn", 1, 1, "avi", "/o.mpg", true, "EEEEEEE EEEE EDD EDE DDED EE",
                              false, true, true},
                    StatesRow{"BothOnVob", 1, 1, "vob", "/o.mpg", false,
                              "EEEEEED EEEE EDD EDE EEDE EE", true, true, true},
                    StatesRow{"VideoOnly", 1, 0, "avi", "", false, "EEDEEDD EEEE EDD DDD DDED EE",
                              false, true, false},
                    StatesRow{"VideoOnlyVob", 1, 0, "VOB", "/o.m2v", true,
                              "EEEEEEE EEEE EDD DDD DEDD EE", true, true, false},
                    // Encode is enabled without an output path; Generate and Preview are not.
                    StatesRow{"AudioOnly", 0, 1, "avi", "", false, "EEDEEED DDDD DDD EEE DDDD EE",
                              true, false, false},
                    StatesRow{"AudioOnlyVob", 0, 1, "vob", "/o.ac3", true,
                              "EEEEEEE DDDD DDD EEE EDDE EE", true, false, false},
                    StatesRow{"AudioOnlyMixedCaseVobIsNoVob", 0, 1, "Vob", "/o.ac3", false,
                              "EEEEEED DDDD DDD EEE DDDD EE", true, false, false},
                    StatesRow{"BothOff", 0, 0, "avi", "/o.mpg", true,
                              "DDDDDDD DDDD DDD DDD DDDD EE", true, false, false},
                    StatesRow{"BothOffVob", 0, 0, "vob", "", false, "DDDDDDD DDDD DDD DDD DDDD EE",
                              true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ControlRules, AudioOnlyEnablesEncodeAfterOutputButtonsDisabledIt) {
    const ControlChanges c = ApplyControlRules(SourceFields(0, 1), kPresent);
    const auto disable =
        std::find(c.begin(), c.end(), ControlChange{ChangeKind::Disable, Field::Encode});
    const auto enable =
        std::find(c.begin(), c.end(), ControlChange{ChangeKind::Enable, Field::Encode});
    ASSERT_NE(disable, c.end());
    ASSERT_NE(enable, c.end());
    EXPECT_LT(disable, enable);
}

TEST(ControlRules, OutputButtons) {
    struct Row {
        const char* output;
        bool exists;
        char encode, generate, preview;
    };
    for (const Row& r : {Row{"", false, 'D', 'D', 'D'}, Row{"", true, 'D', 'D', 'D'},
                         Row{"/o.mpg", false, 'E', 'E', 'D'}, Row{"/o.mpg", true, 'E', 'E', 'E'}}) {
        EncoderFields f;
        f.m_strOutputFile = r.output;
        const FoldedState s = Fold(SetOutputButtons(f, r.exists));
        EXPECT_EQ(StateChar(s, IDOK), r.encode) << r.output << r.exists;
        EXPECT_EQ(StateChar(s, IDC_GENERATE), r.generate) << r.output << r.exists;
        EXPECT_EQ(StateChar(s, IDC_PREVIEW), r.preview) << r.output << r.exists;
        EXPECT_EQ(s.enabled.size(), 3u);
    }
}

TEST(ControlRules, VobControls) {
    struct Row {
        const char* ext;
        char videoStream, aviSynth;
        bool cleared;
    };
    for (const Row& r :
         {Row{"vob", 'E', 'D', true}, Row{"VOB", 'E', 'D', true}, Row{"Vob", 'D', 'E', false},
          Row{"vOB", 'D', 'E', false}, Row{"avi", 'D', 'E', false}, Row{"", 'D', 'E', false}}) {
        EncoderFields f;
        f.m_strSourceExt = r.ext;
        const FoldedState s = Fold(SetVobControls(f));
        EXPECT_EQ(StateChar(s, IDC_VIDEO_STREAM), r.videoStream) << r.ext;
        EXPECT_EQ(StateChar(s, IDC_USE_AVISYNTH), r.aviSynth) << r.ext;
        EXPECT_EQ(s.aviSynthCleared, r.cleared) << r.ext;
    }
}

// Expected text (nullopt: not written) and state of one control.
struct Expect {
    std::optional<std::string> text;
    char state;
};

void Check(const FoldedState& s, int id, const Expect& e, const std::string& where) {
    EXPECT_EQ(s.Text(id), e.text) << where << " control " << id;
    EXPECT_EQ(StateChar(s, id), e.state) << where << " control " << id;
}

struct PresetRow {
    const char* target;
    const char* format;
    Expect videoBitrate, width, height, audioTarget, audioBitrate, channels;
};

const std::nullopt_t none = std::nullopt;

// Both Process boxes on, audio target "ac3".
// clang-format off
const PresetRow kPresetRows[] = {
    {"dvd",   "pal",  {"6000", 'E'}, {"720", 'D'}, {"576", 'D'}, {none, 'E'},  {"448", 'D'}, {none, 'E'}},
    {"dvd",   "ntsc", {"6000", 'E'}, {"720", 'D'}, {"480", 'D'}, {none, 'E'},  {"448", 'D'}, {none, 'E'}},
    {"mpeg4", "pal",  {"900", 'E'},  {"352", 'E'}, {"288", 'E'}, {"mp3", 'D'}, {"128", 'E'}, {"2", 'D'}},
    {"mpeg4", "ntsc", {"900", 'E'},  {"320", 'E'}, {"240", 'E'}, {"mp3", 'D'}, {"128", 'E'}, {"2", 'D'}},
    {"mpeg4", "PAL",  {"900", 'E'},  {"320", 'E'}, {"240", 'E'}, {"mp3", 'D'}, {"128", 'E'}, {"2", 'D'}},
    {"svcd",  "pal",  {"2040", 'D'}, {"480", 'D'}, {"576", 'D'}, {"mp2", 'D'}, {"224", 'D'}, {"2", 'D'}},
    {"svcd",  "ntsc", {"2040", 'D'}, {"480", 'D'}, {"480", 'D'}, {"mp2", 'D'}, {"224", 'D'}, {"2", 'D'}},
    {"vcd",   "pal",  {"1150", 'D'}, {"352", 'D'}, {"288", 'D'}, {"mp2", 'D'}, {"224", 'D'}, {"2", 'D'}},
    {"vcd",   "ntsc", {"1150", 'D'}, {"352", 'D'}, {"240", 'D'}, {"mp2", 'D'}, {"224", 'D'}, {"2", 'D'}},
    {"h263",  "pal",  {"200", 'D'},  {"176", 'D'}, {"144", 'D'}, {"aac", 'D'}, {"16", 'D'},  {"1", 'D'}},
    {"h263",  "ntsc", {"200", 'D'},  {"176", 'D'}, {"144", 'D'}, {"aac", 'D'}, {"16", 'D'},  {"1", 'D'}},
    // A typed target matches nothing: only the video bitrate is disabled, the audio target
    // enabled by the rules' audio step; sizes, audio bitrate and channels are left alone.
    {"DVD",   "pal",  {none, 'D'},   {none, '-'},  {none, '-'},  {none, 'E'},  {none, '-'},  {none, '-'}},
    {"xvid",  "ntsc", {none, 'D'},   {none, '-'},  {none, '-'},  {none, 'E'},  {none, '-'},  {none, '-'}},
};
// clang-format on

TEST(ControlRules, VideoAndAudioPresetTables) {
    for (const PresetRow& r : kPresetRows) {
        EncoderFields f = SourceFields(1, 1);
        f.m_strTarget = r.target;
        f.m_strFormat = r.format;
        const FoldedState s = Fold(ApplyControlRules(f, kPresent));
        const std::string where = std::string(r.target) + "/" + r.format;
        Check(s, IDC_VIDEO_BITRATE, r.videoBitrate, where);
        Check(s, IDC_WIDTH, r.width, where);
        Check(s, IDC_HEIGHT, r.height, where);
        Check(s, IDC_AUDIO_TARGET, r.audioTarget, where);
        Check(s, IDC_AUDIO_BITRATE, r.audioBitrate, where);
        Check(s, IDC_CHANNELS, r.channels, where);
    }
}

TEST(ControlRules, VideoOnlyWritesVideoPresetsButNoAudio) {
    for (const PresetRow& r : kPresetRows) {
        EncoderFields f = SourceFields(1, 0);
        f.m_strTarget = r.target;
        f.m_strFormat = r.format;
        const FoldedState s = Fold(ApplyControlRules(f, kPresent));
        const std::string where = std::string(r.target) + "/" + r.format;
        Check(s, IDC_VIDEO_BITRATE, r.videoBitrate, where);
        Check(s, IDC_WIDTH, r.width, where);
        Check(s, IDC_HEIGHT, r.height, where);
        for (int id : {IDC_AUDIO_TARGET, IDC_AUDIO_BITRATE, IDC_CHANNELS}) {
            Check(s, id, {none, 'D'}, where);
        }
    }
}

struct DvdRow {
    const char* audioTarget;
    Expect target, bitrate, channels;
};

TEST(ControlRules, DvdAudioTable) {
    const DvdRow rows[] = {
        {"ac3", {none, 'E'}, {"448", 'D'}, {none, 'E'}},
        {"mp2", {none, 'E'}, {"224", 'D'}, {"2", 'D'}},
        // The field still says "mp3"; only the control shows "ac3" until the next form read.
        {"mp3", {"ac3", 'E'}, {"448", 'D'}, {none, 'E'}},
        {"aac", {none, 'E'}, {none, 'D'}, {none, '-'}},
        {"copy", {none, 'E'}, {none, 'D'}, {none, '-'}},
        {"AC3", {none, 'E'}, {none, 'D'}, {none, '-'}},
    };
    for (const DvdRow& r : rows) {
        EncoderFields f = SourceFields(1, 1);
        f.m_strAudioTarget = r.audioTarget;
        const FoldedState full = Fold(ApplyControlRules(f, kPresent));
        const FoldedState focus = Fold(AudioPresets(f));
        for (const FoldedState* s : {&full, &focus}) {
            Check(*s, IDC_AUDIO_TARGET, r.target, r.audioTarget);
            Check(*s, IDC_AUDIO_BITRATE, r.bitrate, r.audioTarget);
            Check(*s, IDC_CHANNELS, r.channels, r.audioTarget);
        }
        // The dvd branch of the audio presets leaves the video bitrate as the video part set it.
        EXPECT_EQ(StateChar(focus, IDC_VIDEO_BITRATE), '-') << r.audioTarget;
    }
}

TEST(ControlRules, DvdMp3ComputedFromTheFieldsBeforeTheRun) {
    // Had the rules re-read "ac3" after writing it, the mp3 row would not be recognisable;
    // the list must carry the mp3 row exactly once.
    EncoderFields f = SourceFields(1, 1);
    f.m_strAudioTarget = "mp3";
    const ControlChanges c = ApplyControlRules(f, kPresent);
    EXPECT_EQ(std::count(c.begin(), c.end(),
                         ControlChange{ChangeKind::SetText, Field::AudioTarget, "ac3"}),
              1);
    EXPECT_EQ(f.m_strAudioTarget, "mp3");
}

TEST(ControlRules, SizePresetsTouchOnlyTheSize) {
    struct Row {
        const char* target;
        const char* format;
        Expect width, height;
    };
    const Row rows[] = {
        {"dvd", "pal", {"720", 'D'}, {"576", 'D'}},
        {"dvd", "ntsc", {"720", 'D'}, {"480", 'D'}},
        {"mpeg4", "pal", {"352", 'E'}, {"288", 'E'}},
        {"mpeg4", "secam", {"320", 'E'}, {"240", 'E'}},
        {"svcd", "pal", {"480", 'D'}, {"576", 'D'}},
        {"svcd", "ntsc", {"480", 'D'}, {"480", 'D'}},
        {"vcd", "pal", {"352", 'D'}, {"288", 'D'}},
        {"vcd", "ntsc", {"352", 'D'}, {"240", 'D'}},
        {"h263", "pal", {"176", 'D'}, {"144", 'D'}},
        {"h263", "ntsc", {"176", 'D'}, {"144", 'D'}},
    };
    for (const Row& r : rows) {
        EncoderFields f;
        f.m_strTarget = r.target;
        f.m_strFormat = r.format;
        f.m_bProcessVideo = 0;  // not consulted
        const FoldedState s = Fold(SizePresets(f));
        const std::string where = std::string(r.target) + "/" + r.format;
        Check(s, IDC_WIDTH, r.width, where);
        Check(s, IDC_HEIGHT, r.height, where);
        EXPECT_EQ(s.enabled.size(), 2u) << where;
        EXPECT_EQ(s.text.size(), 2u) << where;
    }
    for (const char* target : {"Dvd", "mpeg2", ""}) {
        EncoderFields f;
        f.m_strTarget = target;
        EXPECT_TRUE(SizePresets(f).empty()) << target;
    }
}

TEST(ControlRules, AudioPresetsIgnoreTheProcessBoxes) {
    struct Row {
        const char* target;
        Expect videoBitrate, audioTarget, audioBitrate, channels;
    };
    const Row rows[] = {
        // Process video off, audio on, target still "mpeg4".
        {"mpeg4", {none, '-'}, {"mp3", 'D'}, {"128", 'E'}, {"2", 'D'}},
        {"h263", {none, 'D'}, {"aac", 'D'}, {"16", 'D'}, {"1", 'D'}},
        {"svcd", {none, 'D'}, {"mp2", 'D'}, {"224", 'D'}, {"2", 'D'}},
        {"vcd", {none, 'D'}, {"mp2", 'D'}, {"224", 'D'}, {"2", 'D'}},
    };
    for (const Row& r : rows) {
        for (int video : {0, 1}) {
            EncoderFields f = SourceFields(video, video ? 0 : 1);
            f.m_strTarget = r.target;
            const FoldedState s = Fold(AudioPresets(f));
            Check(s, IDC_VIDEO_BITRATE, r.videoBitrate, r.target);
            Check(s, IDC_AUDIO_TARGET, r.audioTarget, r.target);
            Check(s, IDC_AUDIO_BITRATE, r.audioBitrate, r.target);
            Check(s, IDC_CHANNELS, r.channels, r.target);
            EXPECT_EQ(s.enabled.size() + s.text.size(),
                      std::size_t{6} + (r.videoBitrate.state == 'D' ? 1 : 0))
                << r.target;
        }
    }
}

TEST(ControlRules, AudioPresetsForUnknownTargetOnlyDisableVideoBitrate) {
    for (const char* target : {"MPEG4", "xvid", ""}) {
        EncoderFields f;
        f.m_strTarget = target;
        EXPECT_EQ(AudioPresets(f), (ControlChanges{{ChangeKind::Disable, Field::VideoBitrate}}))
            << target;
    }
}

}  // namespace
}  // namespace mk
