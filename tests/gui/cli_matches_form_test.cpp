// morvakelin-cli --print against the real form: the same settings given as options and as a user
// gives them in the form (Open File, Process clicks, combos typed into and left, Save File,
// Generate) must give the very text of the command field. The CLI runs as a program from the
// fake desktop's program folder, so both probe with the same tools into the same report.

#include <QComboBox>
#include <QLineEdit>
#include <filesystem>

#include "cli/cli_options.h"
#include "platform/process_runner.h"
#include "support/form_fixture.h"

using namespace mk::ids;
using F = mk::Field;
namespace fs = std::filesystem;

namespace {

// Small clips of a 16:9 picture (so Correct ratio has work to do), made once per run.
class Clips {
public:
    static const Clips& Get() {
        static const Clips clips;
        return clips;
    }
    std::string Path(const std::string& kind) const { return m_dir.File("clip $1." + kind); }

private:
    Clips() {
        const std::string input =
            "ffmpeg -v error -y -f lavfi -i testsrc=duration=0.2:size=320x180:rate=25 "
            "-f lavfi -i sine=duration=0.2:sample_rate=48000 -shortest ";
        mk::test::RunSh(input + "-c:v mpeg4 -c:a mp2 '" + Path("avi") + "'");
        mk::test::RunSh(input + "-c:v mpeg4 -c:a aac '" + Path("mp4") + "'");
        mk::test::RunSh(input + "-c:v mpeg2video -c:a mp2 -f vob '" + Path("VOB") + "'");
    }
    mk::test::TempDir m_dir{"mk cli clips"};
};

struct Row {
    const char* name;
    const char* clip;  // avi, mp4, VOB
    std::vector<std::string> options;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class CliMatchesFormTest : public FormTest, public ::testing::WithParamInterface<Row> {
protected:
    void SetUp() override {
        FormTest::SetUp();
        // The CLI takes its program folder from its own place: a copy in the fake's folder.
        m_cli = desktop.folder / "morvakelin-cli";
        fs::copy_file(fs::path(MORVAKELIN_PROGRAM_DIR) / "morvakelin-cli", m_cli);
    }

    void Type(int id, const std::string& text) {
        if (auto* combo = Combo(id)) {
            combo->setEditText(QString::fromStdString(text));
        } else {
            qobject_cast<QLineEdit*>(dlg->Control(id))->setText(QString::fromStdString(text));
        }
    }

    void TypeIfGiven(int id, const std::optional<std::string>& text) {
        if (text) {
            Type(id, *text);
        }
    }

    // What a user of the form does for these options, ending with Generate.
    std::string DriveForm(const mk::cli::CliOptions& o) {
        using E = CEncoderDlg::Event;
        if (o.noPresets) {
            dlg->OnOptionsPresetting();  // off before the source is opened
        }
        desktop.dialogAnswers.push_back(o.source);
        dlg->OnOpenFile();
        if (o.Given(F::ProcessVideo) == "0") {
            Check(IDC_PROCESS_VIDEO)->click();
        }
        if (o.Given(F::ProcessAudio) == "0") {
            Check(IDC_PROCESS_AUDIO)->click();
        }
        const bool video = Check(IDC_PROCESS_VIDEO)->isChecked();
        const bool audio = Check(IDC_PROCESS_AUDIO)->isChecked();
        TypeIfGiven(IDC_TARGET, o.Given(F::Target));
        if (video) {
            dlg->Dispatch(E::LosesFocus, IDC_TARGET);
        }
        TypeIfGiven(IDC_FORMAT, o.Given(F::Format));
        if (video) {
            dlg->Dispatch(E::LosesFocus, IDC_FORMAT);
        }
        TypeIfGiven(IDC_ASPECT, o.Given(F::Aspect));
        TypeIfGiven(IDC_AUDIO_TARGET, o.Given(F::AudioTarget));
        if (audio) {
            dlg->Dispatch(E::LosesFocus, IDC_AUDIO_TARGET);
        }
        if (o.Given(F::CorrectRatio)) {
            Check(IDC_CORRECT_RATIO)->setChecked(true);
        }
        if (o.Given(F::UseAviSynth)) {
            Check(IDC_USE_AVISYNTH)->setChecked(true);
        }
        // Typed last, over whatever the presets wrote (into disabled boxes as well).
        TypeIfGiven(IDC_TARGET, o.Given(F::Target));
        TypeIfGiven(IDC_FORMAT, o.Given(F::Format));
        TypeIfGiven(IDC_ASPECT, o.Given(F::Aspect));
        TypeIfGiven(IDC_AUDIO_TARGET, o.Given(F::AudioTarget));
        TypeIfGiven(IDC_VIDEO_BITRATE, o.Given(F::VideoBitrate));
        TypeIfGiven(IDC_WIDTH, o.Given(F::Width));
        TypeIfGiven(IDC_HEIGHT, o.Given(F::Height));
        TypeIfGiven(IDC_AUDIO_BITRATE, o.Given(F::AudioBitrate));
        TypeIfGiven(IDC_CHANNELS, o.Given(F::Channels));
        TypeIfGiven(IDC_VIDEO_STREAM, o.Given(F::VideoStream));
        TypeIfGiven(IDC_AUDIO_STREAM, o.Given(F::AudioStream));
        TypeIfGiven(IDC_MORE_OPTIONS, o.Given(F::MoreOptions));
        desktop.dialogAnswers.push_back(o.output);
        dlg->OnSaveFile();
        dlg->OnGenerate();
        return dlg->ControlText(IDC_COMMAND);
    }

    fs::path m_cli;
};

TEST_P(CliMatchesFormTest, PrintIsTheCommandFieldText) {
    const Row& row = GetParam();
    const std::string source = Clips::Get().Path(row.clip);
    ASSERT_TRUE(fs::exists(source)) << "the clip could not be made with ffmpeg";
    std::vector<std::string> args{"--source", source, "--output",
                                  desktop.folder.string() + "/out \"1\".mpg", "--print"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    const mk::cli::ParseResult parsed = mk::cli::ParseCli(args);
    ASSERT_TRUE(parsed.options) << parsed.error;

    const std::string form = DriveForm(*parsed.options);
    args.insert(args.begin(), m_cli.string());
    const mk::test::ShellRun cli = mk::test::RunProgram(args);
    EXPECT_EQ(cli.exitCode, 0);
    EXPECT_EQ(cli.output, form + "\n");
    // The AviSynth route takes the audio codec this run's probe found in the clip.
    if (form.find("yuv4mpegpipe") != std::string::npos) {
        EXPECT_NE(form.find("-acodec mp2 -i "), std::string::npos) << form;
    }
    // The probe found the picture, so Correct ratio and the conversions had a size to work on.
    EXPECT_EQ(dlg->m_dSourceWidth, 320);
}

using V = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Cli, CliMatchesFormTest,
    ::testing::Values(
        Row{"Defaults", "avi", {}}, Row{"DvdNtsc", "avi", {"--target", "dvd", "--format", "ntsc"}},
        Row{"SvcdPal", "avi", {"--target", "svcd", "--format", "pal"}},
        Row{"SvcdNtsc", "avi", {"--target", "svcd", "--format", "ntsc"}},
        Row{"VcdPal", "avi", {"--target", "vcd"}},
        Row{"VcdNtsc", "avi", {"--target", "vcd", "--format", "ntsc"}},
        Row{"Mpeg4Pal", "avi", {"--target", "mpeg4"}},
        Row{"Mpeg4Ntsc", "avi", {"--target", "mpeg4", "--format", "ntsc"}},
        Row{"H263", "avi", {"--target", "h263"}},
        Row{"H263NoVideo", "avi", {"--target", "h263", "--no-video"}},
        Row{"TargetInCapitals", "avi", {"--target", "DVD"}},
        Row{"FormatInCapitals", "avi", {"--target", "vcd", "--format", "NTSC"}},
        Row{"Aspect169", "avi", {"--aspect", "16:9"}},
        Row{"Aspect169To43", "avi", {"--aspect", "16:9->4:3"}},
        Row{"Aspect43To169", "avi", {"--aspect", "4:3->16:9", "--target", "mpeg4"}},
        Row{"Aspect169EmptyHeight", "avi", {"--aspect", "16:9", "--height", ""}},
        Row{"CorrectRatio", "avi", {"--correct-ratio"}},
        Row{"CorrectRatioMpeg4",
            "avi",
            {"--correct-ratio", "--target", "mpeg4", "--aspect", "16:9"}},
        Row{"CorrectRatioNtsc169",
            "avi",
            {"--correct-ratio", "--format", "ntsc", "--aspect", "16:9"}},
        Row{"AudioMp2", "avi", {"--audio-target", "mp2"}},
        Row{"AudioMp3OnDvd", "avi", {"--audio-target", "mp3"}},
        Row{"AudioAac", "avi", {"--audio-target", "aac"}},
        Row{"AudioCopy", "avi", {"--audio-target", "copy"}},
        Row{"AudioAacOnMpeg4", "avi", {"--target", "mpeg4", "--audio-target", "aac"}},
        Row{"AudioMp3NoVideo", "avi", {"--no-video", "--audio-target", "mp3", "--target", "svcd"}},
        Row{"NoAudio", "avi", {"--no-audio", "--target", "svcd"}},
        Row{"NoVideoNoAudio", "avi", {"--no-video", "--no-audio"}}, Row{"VobDefaults", "VOB", {}},
        Row{"VobStreams", "VOB", {"--video-stream", "0", "--audio-stream", "2"}},
        Row{"VobNoVideo", "VOB", {"--no-video", "--audio-stream", "1"}},
        Row{"VobNoAudio", "VOB", {"--no-audio", "--target", "vcd"}}, Row{"Mp4Dvd", "mp4", {}},
        Row{"Mp4DvdOwnQmin", "mp4", {"--more-options", "-qmin 3 -sameq"}},
        Row{"Mpeg4OwnVtag", "mp4", {"--target", "mpeg4", "--more-options", "-vtag DX50"}},
        Row{"AviSynth", "avi", {"--avisynth"}},
        Row{"AviSynthSvcd169", "avi", {"--avisynth", "--target", "svcd", "--aspect", "16:9"}},
        Row{"NoPresetsSvcd", "avi", {"--no-presets", "--target", "svcd"}},
        Row{"NoPresetsTyped",
            "avi",
            {"--no-presets", "--target", "mpeg4", "--format", "ntsc", "--width", "640", "--height",
             "360", "--video-bitrate", "1500"}},
        Row{"EveryNumberGiven",
            "avi",
            {"--target", "dvd", "--audio-target", "mp2", "--video-bitrate", "8000",
             "--audio-bitrate", "192", "--channels", "2", "--audio-stream", "3", "--more-options",
             "-mbd 2 -trellis 1"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
