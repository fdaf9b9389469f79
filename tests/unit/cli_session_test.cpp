// The form's handlers replayed on fields, as morvakelin-cli sets up a run: rule texts into fields,
// the probe, presets, and options that win over presets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "form/field_table.h"
#include "form/form_model.h"
#include "probe/probe_command.h"
#include "support/temp_dir.h"

namespace mk::cli {
namespace {

namespace fs = std::filesystem;

TEST(ApplyToFields, WritesTextsAsTheControlsWouldShowThem) {
    EncoderFields f;
    f.m_bUseAviSynth = 1;
    const EncoderFields before = f;
    ApplyToFields(f, {{ChangeKind::SetText, Field::Aspect, "16"},        // combo: first item "16:9"
                      {ChangeKind::SetText, Field::AudioBitrate, "16"},  // no item begins so
                      {ChangeKind::SetText, Field::Width, "7"},          // a line edit
                      {ChangeKind::SetText, Field::Generate, "x"},       // no field behind it
                      {ChangeKind::Disable, Field::Height},
                      {ChangeKind::FileMissingBox, Field::SourceFile, "/gone.avi"}});
    EXPECT_EQ(f.m_strAspect, "16:9");
    EXPECT_EQ(f.m_strAudioBitrate, "16");
    EXPECT_EQ(f.m_strWidth, "7");
    EXPECT_EQ(f.m_strHeight, before.m_strHeight);
    EXPECT_EQ(f.m_strSourceFile, before.m_strSourceFile);
    EXPECT_EQ(f.m_bUseAviSynth, 1);
    ApplyToFields(f, {{ChangeKind::ClearAviSynthCheck, Field::UseAviSynth}});
    EXPECT_EQ(f.m_bUseAviSynth, 0);
}

class CliSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_dir / "Conf");
        std::ofstream(m_dir / "in.avi") << "x";
    }

    std::string Folder() const { return m_dir.string() + "/"; }

    // A run whose probe leaves a report of a 320x180 source with mp2 audio.
    EncoderFields Fields(std::vector<std::string> extra) {
        std::vector<std::string> args{"--source", (m_dir / "in.avi").string(), "--output",
                                      (m_dir / "out.mpg").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const ParseResult parsed = ParseCli(args);
        EXPECT_TRUE(parsed.options) << parsed.error;
        return FieldsFor(*parsed.options, ShellDialect::Posix(), Folder(),
                         [this](const std::string& line) {
                             probes.push_back(line);
                             std::ofstream(m_dir / "Conf/test.txt")
                                 << "  Duration: 00:00:01.00, start: 0.0, bitrate: 1 kb/s\n"
                                    "    Stream #0.0: Video: mpeg4, yuv420p, 320x180, 25 fps\n"
                                    "    Stream #0.1: Audio: mp2, 44100 Hz, mono, s16p\n"
                                    "Must supply at least one output file\n";
                             return 0;
                         });
    }

    std::vector<std::string> probes;

private:
    test::TempDir m_temp{"mk-cli-session"};
    fs::path m_dir = m_temp.Path();
};

TEST_F(CliSessionTest, ProbesOnceWithTheOpenFileCommandAndReadsTheSize) {
    const EncoderFields f = Fields({"--print"});
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_EQ(probes[0], ProbeCommand(ShellDialect::Posix(), Folder(), f.m_strSourceFile));
    EXPECT_EQ(f.m_dSourceWidth, 320);
    EXPECT_EQ(f.m_dSourceHeight, 180);
    EXPECT_EQ(f.m_strSourceExt, "avi");
    EXPECT_NE(f.m_strSourceInfo.find("Duration:"), std::string::npos);
}

TEST_F(CliSessionTest, OptionsGivenWinOverThePresets) {
    const EncoderFields preset = Fields({"--target", "mpeg4"});
    const EncoderFields given = Fields(
        {"--target", "mpeg4", "--audio-bitrate", "96", "--audio-target", "ac3", "--width", ""});
    ASSERT_NE(preset.m_strAudioBitrate, "96");
    ASSERT_NE(preset.m_strAudioTarget, "ac3");
    EXPECT_EQ(given.m_strAudioBitrate, "96");
    EXPECT_EQ(given.m_strAudioTarget, "ac3");
    EXPECT_EQ(given.m_strWidth, "");
    EXPECT_EQ(given.m_strHeight, preset.m_strHeight);  // not given: the preset stays
}

TEST_F(CliSessionTest, TargetPresetsNeedPresettingAndProcessedVideo) {
    const EncoderFields defaults;
    const EncoderFields preset = Fields({"--target", "svcd"});
    ASSERT_NE(preset.m_strVideoBitrate, defaults.m_strVideoBitrate);
    ASSERT_NE(preset.m_strAudioTarget, defaults.m_strAudioTarget);
    for (const auto& extra : {std::vector<std::string>{"--target", "svcd", "--no-presets"},
                              std::vector<std::string>{"--target", "svcd", "--no-video"}}) {
        const EncoderFields f = Fields(extra);
        EXPECT_EQ(f.m_strTarget, "svcd");
        EXPECT_EQ(f.m_strVideoBitrate, defaults.m_strVideoBitrate) << extra[2];
        EXPECT_EQ(f.m_strWidth, defaults.m_strWidth) << extra[2];
    }
    // Without video the audio target combo is still left, and its presets follow the target.
    EXPECT_EQ(Fields({"--target", "svcd", "--no-video"}).m_strAudioTarget, preset.m_strAudioTarget);
    EXPECT_EQ(Fields({"--target", "svcd", "--no-presets"}).m_strAudioTarget,
              defaults.m_strAudioTarget);
}

TEST_F(CliSessionTest, AudioTargetPresetsFollowTheTypedAudioTarget) {
    const EncoderFields ac3 = Fields({});
    const EncoderFields mp2 = Fields({"--audio-target", "mp2"});
    EXPECT_EQ(mp2.m_strAudioTarget, "mp2");
    EXPECT_NE(mp2.m_strAudioBitrate, ac3.m_strAudioBitrate);
    EXPECT_EQ(Fields({"--audio-target", "mp2", "--no-audio"}).m_strAudioBitrate,
              ac3.m_strAudioBitrate);
}

TEST_F(CliSessionTest, EachOptionOfTheFieldTableReachesItsOwnMember) {
    const EncoderFields plain = Fields({"--no-presets"});
    for (const FieldRow& row : FieldTable()) {
        if (!row.text || row.option.empty()) {
            continue;
        }
        const std::string value = row.items.empty() ? "7" : std::string(row.items.back());
        const EncoderFields f = Fields({"--no-presets", std::string(row.option), value});
        for (const FieldRow& other : FieldTable()) {
            if (other.text) {
                EXPECT_EQ(f.*other.text, other.field == row.field ? value : plain.*other.text)
                    << row.option << " and the member of " << static_cast<int>(other.field);
            }
        }
    }
}

}  // namespace
}  // namespace mk::cli
