// File names that mean something to the shell, through the real form and real /bin/sh runs of
// our ffmpeg: every action must reach the installed ffmpeg with exactly the chosen files, and a
// name that reads as a command must never run as one. The installed ffmpeg is replaced by a
// script that keeps its arguments and acts out a probe or an encode.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "support/env_guard.h"
#include "support/form_fixture.h"

using namespace mk::ids;
namespace fs = std::filesystem;

namespace {

// Each call is kept as its arguments, each ended by a zero byte, in calls/<time>-<pid>. The help
// request our ffmpeg makes to learn the installed ffmpeg's options is answered, not kept; the
// read-back of a result (copied to "-f null -") is shown a stream and a length.
constexpr const char* kFakeFfmpeg = R"(#!/bin/sh
for a in "$@"; do
    if [ "$a" = "-h" ]; then printf '%s\n' '-async  audio sync method'; exit 0; fi
done
calls="${0%/*}/calls"
n=$(date +%s%N)-$$
for a in "$@"; do printf '%s\0' "$a"; done > "$calls/$n"
before=; last=
for a in "$@"; do before=$last; last=$a; done
if [ "$before" = null ]; then
    printf '%s\n' "Input #0, mpeg, from 'x':" "  Stream #0:0: Video: mpeg2video" "time=00:00:01.00" >&2
    exit 0
fi
[ "$before" = "-i" ] && last=-probe
case "$last" in
-) exit 0 ;;
-*) printf '%s\n' "Input #0, avi, from 'x':" \
      "  Duration: 00:00:01.00, start: 0.000000, bitrate: 512 kb/s" \
      "  Stream #0:0: Video: mpeg4 (Simple Profile), yuv420p, 320x240 [SAR 1:1 DAR 4:3], 25 fps" \
      "  Stream #0:1: Audio: mp3, 44100 Hz, mono, fltp, 64 kb/s" \
      "At least one output file must be specified" >&2
    exit 1 ;;
*) printf 'encoded' > "$last" ;;
esac
)";

struct NameCase {
    const char* label;
    std::string stem;  // the source is stem + ".avi", the output stem + ".mpg"
};

const NameCase kNames[] = {
    {"Blanks", "my holiday  video"},
    {"Dollar", "cost $HOME ${PATH} $1"},
    {"CommandSubstitution", "$(touch pwned)"},
    {"Backquote", "`touch pwned`"},
    {"DoubleQuote", "say \"hi\" \""},
    {"Backslash", "back\\slash\\"},
    {"SingleQuote", "it's 'quoted"},
    {"Semicolon", "a;touch pwned;b"},
    {"Pipe", "a|touch pwned|b"},
    {"Ampersand", "a&touch pwned&b && touch pwned"},
    {"Newline", "first\ntouch pwned\n"},
    {"LeadingDash", "-y -i pwned"},
    {"NotUtf8", "caf\xe9 \xff\xfe\x80"},
    {"Bytes255", std::string(251, 'n')},
    {"Everything", "-\"$(touch pwned)`touch pwned`'\\;|&\n $x"},
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.label;
}

using mk::test::ReadFile;

std::vector<std::string> SplitZero(const std::string& record) {
    std::vector<std::string> words;
    std::size_t start = 0;
    for (std::size_t end; (end = record.find('\0', start)) != std::string::npos; start = end + 1) {
        words.push_back(record.substr(start, end - start));
    }
    return words;
}

// Our ffmpeg has the installed one write ".NAME.mk-XXXXXX.EXT" beside the output NAME and
// renames it when the run succeeded: such a name stands for NAME.
std::string OutputNamed(const std::string& written) {
    const std::size_t slash = written.rfind('/') + 1;
    const std::size_t mark = written.rfind(".mk-");
    if (mark == std::string::npos || written.compare(slash, 1, ".") != 0) {
        return written;
    }
    // A name too long for the temporary one is shortened in it: the output is the file the
    // encode names with that start.
    std::string named = written.substr(0, slash) + written.substr(slash + 1, mark - slash - 1);
    for (const auto& entry : fs::directory_iterator(fs::path(written).parent_path()))
        if (entry.path().string().starts_with(named) && entry.path().string() != named)
            named = entry.path().string();
    return named;
}

// What one run of the installed ffmpeg was asked to do.
struct Call {
    std::vector<std::string> inputs;  // the values of -i, in order
    std::string last;                 // the last word: the output file of an encode
};

class FaultFileNames : public FormTest, public ::testing::WithParamInterface<NameCase> {
protected:
    void SetUp() override {
        FormTest::SetUp();
        // The program folder itself has blanks (and a dollar) in its path.
        const fs::path spaced = desktop.folder.string() + " Program Files $x";
        fs::rename(desktop.folder, spaced);
        desktop.folder = spaced;
        work = desktop.folder / "work";
        fake = desktop.folder / "installed";
        fs::create_directories(work / "sources");
        fs::create_directories(work / "out");
        fs::create_directories(fake / "calls");
        WriteFile((fake / "ffmpeg").string(), kFakeFfmpeg);
        fs::permissions(fake / "ffmpeg", fs::perms::owner_all);

        savedCwd = fs::current_path();
        fs::current_path(work);  // where a "touch pwned" that ran would leave its file
        SetEnv("MORVAKELIN_FFMPEG", (fake / "ffmpeg").string());
        SetEnv("XDG_CACHE_HOME", (work / "cache").string());

        source = (work / "sources" / (GetParam().stem + ".avi")).string();
        output = (work / "out" / (GetParam().stem + ".mpg")).string();
        WriteFile(source, "not really a video");
    }

    void TearDown() override {
        if (!savedCwd.empty()) {
            fs::current_path(savedCwd);
        }
    }

    void SetEnv(const std::string& name, const std::string& value) { env.Set(name, value); }

    std::vector<Call> Calls() const {
        std::map<std::string, Call> byTime;
        for (const auto& entry : fs::directory_iterator(fake / "calls")) {
            const std::vector<std::string> words = SplitZero(ReadFile(entry.path()));
            Call call;
            for (std::size_t i = 0; i + 1 < words.size(); ++i) {
                if (words[i] == "-i") {
                    call.inputs.push_back(words[i + 1]);
                }
            }
            call.last = words.empty() ? "" : OutputNamed(words.back());
            // Our ffmpeg looks at a source (-i NAME last) and reads each result through
            // (-f null -) on its own.
            const bool readBack = words.size() >= 2 && (words[words.size() - 2] == "-i" ||
                                                        words[words.size() - 2] == "null");
            if (!readBack) {
                byTime[entry.path().filename().string()] = call;
            }
        }
        std::vector<Call> calls;
        for (auto& [time, call] : byTime) {
            calls.push_back(call);
        }
        return calls;
    }

    // Nothing a name could have started: no "pwned" anywhere near the run.
    void ExpectNothingElseRan() const {
        for (const fs::path& dir : {work, work / "sources", work / "out", desktop.folder,
                                    desktop.folder / "Conf", fs::path(savedCwd)}) {
            EXPECT_FALSE(fs::exists(dir / "pwned")) << "a name ran as a command, in " << dir;
        }
    }

    fs::path work, fake, savedCwd;
    std::string source, output;
    EnvironmentGuard env;  // restored when the test ends
};

TEST_P(FaultFileNames, EveryActionWorksOnTheNamedFilesAndRunsNothingElse) {
    // Open File: the probe reads the source and the form takes the size from its report.
    desktop.dialogAnswers.push_back(source);
    dlg->OnOpenFile();
    auto calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].inputs, std::vector<std::string>{source});
    EXPECT_EQ(dlg->m_dSourceWidth, 320);
    EXPECT_EQ(dlg->m_dSourceHeight, 240);
    EXPECT_EQ(dlg->m_strSourceFile, source);

    desktop.dialogAnswers.push_back(output);
    dlg->OnSaveFile();
    EXPECT_EQ(dlg->m_strOutputFile, output);

    // Generate: the command shown, run as the shell runs it.
    dlg->OnGenerate();
    ASSERT_EQ(mk::test::RunSh(dlg->ControlText(IDC_COMMAND)), 0) << dlg->ControlText(IDC_COMMAND);
    calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].inputs, std::vector<std::string>{source});
    EXPECT_EQ(calls[1].last, output);
    fs::remove(output);

    // Encode, then Preview of what it wrote.
    dlg->OnOK();
    calls = Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].inputs, std::vector<std::string>{source});
    EXPECT_EQ(calls[2].last, output);
    EXPECT_EQ(ReadFile(output), "encoded");
    EXPECT_TRUE(dlg->IsControlEnabled(IDC_PREVIEW));
    dlg->OnPreview();
    ASSERT_FALSE(desktop.openedDocuments.empty());
    EXPECT_EQ(desktop.openedDocuments.back(), output);

    // The audio stream test writes StreamTest.mp2 in the program folder.
    const std::string testFile = desktop.ProgramFolder() + "StreamTest.mp2";
    dlg->OnTest();
    calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].inputs, std::vector<std::string>{source});
    EXPECT_EQ(calls[3].last, testFile);
    EXPECT_EQ(desktop.openedDocuments.back(), testFile);

    // Add twice and Run: one encode per line, each on the named files.
    fs::remove(output);
    dlg->OnBatchAdd();
    dlg->OnBatchAdd();
    dlg->OnBatchRun();
    calls = Calls();
    ASSERT_EQ(calls.size(), 6u);
    for (std::size_t i : {4u, 5u}) {
        EXPECT_EQ(calls[i].inputs, std::vector<std::string>{source});
        EXPECT_EQ(calls[i].last, output);
    }
    EXPECT_TRUE(fs::exists(output));

    EXPECT_TRUE(desktop.messages.empty()) << desktop.messages.front().text;
    ExpectNothingElseRan();
}

TEST_P(FaultFileNames, AviSynthRouteRendersTheNamedSource) {
    if (GetParam().stem.find('\n') != std::string::npos) {
        GTEST_SKIP() << "an AviSynth string cannot hold a line break";
    }
    if (GetParam().stem.find("\"") != std::string::npos) {
        // AviSynth has no escape: a name with a double quote needs the triple-quoted form.
        WriteFile("TV.avs", "AviSource(\"\"\"" + source + "\"\"\")\n");
    } else {
        WriteFile("TV.avs", "AviSource(\"" + source + "\")\n");
    }
    desktop.dialogAnswers.push_back(source);
    dlg->OnOpenFile();
    desktop.dialogAnswers.push_back(output);
    dlg->OnSaveFile();
    Check(IDC_USE_AVISYNTH)->setChecked(true);

    dlg->OnOK();
    EXPECT_TRUE(desktop.messages.empty()) << desktop.messages.front().text;
    const auto calls = Calls();
    // The probe, then at the same time avs2yuv's decode of the source and the encode of its
    // pictures with the sound of the source.
    ASSERT_EQ(calls.size(), 3u);
    const auto render =
        std::find_if(calls.begin() + 1, calls.end(), [](const Call& c) { return c.last == "-"; });
    const auto encode = std::find_if(calls.begin() + 1, calls.end(),
                                     [&](const Call& c) { return c.last == output; });
    ASSERT_TRUE(render != calls.end() && encode != calls.end());
    EXPECT_EQ(render->inputs, std::vector<std::string>{source});
    EXPECT_EQ(encode->inputs, (std::vector<std::string>{"-", source}));
    ExpectNothingElseRan();
}

INSTANTIATE_TEST_SUITE_P(Names, FaultFileNames, ::testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
