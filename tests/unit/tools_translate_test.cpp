// Old ffmpeg command lines in, today's out: each case is one the program (or a user's More
// options) really produces.
#include <gtest/gtest.h>

#include <sstream>

#include "translate/ffmpeg_options.h"
#include "translate/translate.h"

namespace mk::toolkit {
namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& w : words)
        line += (line.empty() ? "" : " ") + w;
    return line;
}

struct Case {
    const char* name;
    const char* in;
    const char* out;
    bool hasAsync = true;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Translates : public ::testing::TestWithParam<Case> {};

TEST_P(Translates, ToTodaysOptions) {
    const Case& c = GetParam();
    FfmpegFeatures features;
    features.hasAsync = c.hasAsync;
    const Translation t = TranslateFfmpegArguments(Words(c.in), features);
    EXPECT_EQ(t.error, "");
    EXPECT_EQ(Joined(t.args), c.out);
}

constexpr const char* kDvdTail = "-acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2";

INSTANTIATE_TEST_SUITE_P(
    Commands, Translates,
    ::testing::Values(
        Case{"dvd_defaults_pass_unchanged",
             "-i s.avi -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 "
             "-ac 6 -mbd 2 -qmin 2 -async 1 -y o.mpg",
             "-i s.avi -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 "
             "-ac 6 -mbd 2 -qmin 2 -async 1 -y o.mpg"},
        Case{"async_becomes_aresample_without_async", "-i s.avi -acodec ac3 -async 1 -y o.mpg",
             "-i s.avi -acodec ac3 -y -af aresample=async=1:first_pts=0 o.mpg", false},
        Case{"async_joins_user_audio_filter", "-i s.avi -af volume=2 -async 1 -y o.mpg",
             "-i s.avi -y -af volume=2,aresample=async=1:first_pts=0 o.mpg", false},
        Case{"async_dropped_without_audio", "-i s.avi -an -async 1 -y o.m2v",
             "-i s.avi -an -y o.m2v", false},
        Case{"async_dropped_for_copied_audio", "-i s.avi -acodec copy -async 1 -y o.mpg",
             "-i s.avi -acodec copy -y o.mpg", false},
        Case{"correct_ratio_bars_top_and_bottom",
             "-i s.avi -target pal-dvd -aspect 4:3 -s 720x396 -padtop 90 -padbottom 90 -y o.mpg",
             "-i s.avi -target pal-dvd -aspect 4:3 -y -vf scale=720:396,pad=720:576:0:90 "
             "-s 720x576 o.mpg"},
        Case{"correct_ratio_bars_left_and_right",
             "-i s.avi -target pal-dvd -s 432x576 -padright 144 -padleft 144 -y o.mpg",
             "-i s.avi -target pal-dvd -y -vf scale=432:576,pad=720:576:144:0 -s 720x576 o.mpg"},
        Case{"letterbox_16_9_to_4_3",
             "-i s.avi -target pal-dvd -b 6000000  -aspect 4:3 -s 720x432 -padbottom 72 "
             "-padtop 72 -y o.mpg",
             "-i s.avi -target pal-dvd -b 6000000 -aspect 4:3 -y "
             "-vf scale=720:432,pad=720:576:0:72 -s 720x576 o.mpg"},
        Case{"crop_4_3_to_16_9",
             "-i s.avi -target pal-dvd -croptop 44 -cropbottom 44 -aspect 16:9 -s 720x576 -y o.mpg",
             "-i s.avi -target pal-dvd -aspect 16:9 -y -vf crop=iw-0:ih-88:0:44,scale=720:576 "
             "-s 720x576 o.mpg"},
        Case{"user_video_filter_between_crop_and_scale",
             "-i s.avi -cropleft 8 -cropright 4 -vf yadif -s 352x288 -padcolor 202020 -padtop 2 "
             "-y o.avi",
             "-i s.avi -y -vf crop=iw-12:ih-0:8:0,yadif,scale=352:288,pad=352:290:0:2:color="
             "0x202020 -s 352x290 o.avi"},
        Case{"target_sets_the_picture_when_no_size_is_given",
             "-i s.avi -target ntsc-svcd -padtop 16 -padbottom 16 -y o.mpg",
             "-i s.avi -target ntsc-svcd -y -vf scale=480:480,pad=480:512:0:16 -s 480x512 o.mpg"},
        Case{"pads_alone_pad_the_source", "-i s.avi -padleft 10 -padright 10 -y o.avi",
             "-i s.avi -y -vf pad=iw+20:ih+0:10:0 o.avi"},
        Case{"zero_bars_leave_the_size_alone",
             "-i s.avi -s 720x576 -padtop 0 -padbottom 0 -y o.mpg", "-i s.avi -s 720x576 -y o.mpg"},
        Case{"input_size_is_not_the_output_picture",
             "-s 320x240 -f rawvideo -i raw.yuv -padtop 8 -y o.avi",
             "-s 320x240 -f rawvideo -i raw.yuv -y -vf pad=iw+0:ih+8:0:8 o.avi"},
        Case{"hq_and_sameq_dropped",
             "-f yuv4mpegpipe -i - -acodec ac3 -i s.mp4 -hq -target pal-dvd -mbd 2 -sameq -y o.mpg",
             "-f yuv4mpegpipe -i - -acodec ac3 -i s.mp4 -target pal-dvd -mbd 2 -y -map 0:v:0 "
             "-map 1:a:0? o.mpg"},
        Case{"empty_codec_word_before_input_dropped",
             "-f yuv4mpegpipe -i - -acodec -i s.avi -hq -an -y o.m2v",
             "-f yuv4mpegpipe -i - -i s.avi -an -y -map 0:v:0 o.m2v"},
        Case{"input_codec_word_names_the_decoder",
             "-f yuv4mpegpipe -i - -acodec dts -i s.mkv -hq -acodec ac3 -y o.mpg",
             "-f yuv4mpegpipe -i - -acodec dca -i s.mkv -acodec ac3 -y -map 0:v:0 -map 1:a:0? "
             "o.mpg"},
        Case{"libfaac_becomes_aac",
             "-i s.avi -vcodec h263 -acodec libfaac -ab 16000 -ac 1 -ar 8000 -y o.3gp",
             "-i s.avi -vcodec h263 -acodec aac -ab 16000 -ac 1 -ar 8000 -y o.3gp"},
        Case{"trailing_vob_mapping_moves_in_front_of_the_output",
             "-i s.vob -target pal-dvd -async 1 -y o.mpg -map 0.0:0.0 -map 0.2:0.1",
             "-i s.vob -target pal-dvd -async 1 -y -map 0:0 -map 0:2 o.mpg"},
        Case{"stream_test_mapping",
             "-i s.vob -vn -acodec mp2 -ar 48000 -ab 224000 -ac 2 -y /p/StreamTest.mp2 -map "
             "0.3:0.0",
             "-i s.vob -vn -acodec mp2 -ar 48000 -ab 224000 -ac 2 -y -map 0:3 /p/StreamTest.mp2"},
        Case{"todays_map_form_kept", "-i s.mkv -map 0:v:0 -map 0:a:1 -c copy o.mkv",
             "-i s.mkv -map 0:v:0 -map 0:a:1 -c copy o.mkv"},
        Case{"explicit_map_disables_the_avisynth_mapping",
             "-f yuv4mpegpipe -i - -acodec ac3 -i s.vob -y o.mpg -map 1.1:0.0",
             "-f yuv4mpegpipe -i - -acodec ac3 -i s.vob -y -map 1:1 o.mpg"},
        Case{"probe_passes_unchanged", "-i /v/film.avi -an -vn", "-i /v/film.avi -an -vn"},
        Case{"no_input_runs_unchanged", "-h long", "-h long"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(Translate, ModeFollowsInputsAndOutputFile) {
    EXPECT_EQ(TranslateFfmpegArguments(Words("-i a.avi -an -vn"), {}).mode, RunMode::Probe);
    EXPECT_EQ(TranslateFfmpegArguments(Words("-i a.avi -y o.mpg"), {}).mode, RunMode::Encode);
    EXPECT_EQ(TranslateFfmpegArguments(Words("-version"), {}).mode, RunMode::PassThrough);
    // "-" after an option that takes a value is that value; on its own it is a file (stdout).
    EXPECT_EQ(TranslateFfmpegArguments(Words("-i a.avi -f mpeg -"), {}).mode, RunMode::Encode);
    EXPECT_EQ(TranslateFfmpegArguments(Words("-i a.avi -metadata title=x"), {}).mode,
              RunMode::Probe);
}

TEST(Translate, NotesOneLinePerDroppedOption) {
    const Translation t = TranslateFfmpegArguments(
        Words("-f yuv4mpegpipe -i - -acodec -i s.avi -hq -sameq -y o.mpg"), {});
    ASSERT_EQ(t.notes.size(), 3u);
    EXPECT_NE(t.notes[0].find("-acodec"), std::string::npos);
    EXPECT_NE(t.notes[1].find("-hq"), std::string::npos);
    EXPECT_NE(t.notes[2].find("-sameq"), std::string::npos);
    for (const std::string& note : t.notes)
        EXPECT_EQ(note.find('\n'), std::string::npos);
}

TEST(Translate, RefusesWhatItCannotKeep) {
    const char* refused[] = {
        "-i s.avi -s 724x576 -padright -1 -padleft -1 -y o.mpg",  // picture wider than the frame
        "-i s.avi -croptop -8 -y o.mpg",
        "-i s.avi -padtop ten -y o.mpg",
        "-i s.avi -target dvd -padtop 10 -y o.mpg",  // the norm, so the size, is ffmpeg's guess
        "-i s.avi -s wide -padtop 10 -y o.mpg",
        "-i s.avi -async one -y o.mpg",
    };
    for (const char* line : refused) {
        FfmpegFeatures features;
        features.hasAsync = false;
        const Translation t = TranslateFfmpegArguments(Words(line), features);
        EXPECT_FALSE(t.error.empty()) << line;
        EXPECT_TRUE(t.args.empty()) << line;
    }
    const Translation negative =
        TranslateFfmpegArguments(Words("-i s.avi -s 724x576 -padright -1 -y o.mpg"), {});
    EXPECT_NE(negative.error.find("-padright -1"), std::string::npos) << negative.error;
}

TEST(Translate, AsksTheInstalledFfmpegOnlyForAsync) {
    EXPECT_TRUE(NeedsFeatures(Words("-i s.avi -async 1 -y o.mpg")));
    EXPECT_FALSE(NeedsFeatures(Words("-i s.avi -ar 8000 -y o.3gp")));
    // A file called "-async" would be odd, but a value is never an option.
    EXPECT_FALSE(NeedsFeatures(Words("-i s.avi -metadata -async -y o.mpg")));
}

TEST(FrameSizes, NamesNumbersAndTargets) {
    using Size = std::optional<std::pair<int, int>>;
    EXPECT_EQ(ParseFrameSize("720x576"), Size({720, 576}));
    EXPECT_EQ(ParseFrameSize("qcif"), Size({176, 144}));
    EXPECT_EQ(ParseFrameSize("hd720"), Size({1280, 720}));
    EXPECT_EQ(ParseFrameSize("720x"), std::nullopt);
    EXPECT_EQ(ParseFrameSize("0x576"), std::nullopt);
    EXPECT_EQ(ParseFrameSize("720x576x3"), std::nullopt);
    EXPECT_EQ(TargetFrameSize("pal-dvd"), Size({720, 576}));
    EXPECT_EQ(TargetFrameSize("ntsc-dvd"), Size({720, 480}));
    EXPECT_EQ(TargetFrameSize("pal-svcd"), Size({480, 576}));
    EXPECT_EQ(TargetFrameSize("ntsc-vcd"), Size({352, 240}));
    EXPECT_EQ(TargetFrameSize("film-vcd"), Size({352, 240}));
    EXPECT_EQ(TargetFrameSize("dvd"), std::nullopt);
    EXPECT_EQ(TargetFrameSize("pal-"), std::nullopt);
}

TEST(SplitArguments, ValuesStandaloneOptionsAndFiles) {
    const auto items = SplitArguments(Words("-y -i in.avi -nostdin -c:v mpeg4 -an - out.avi"));
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].option, "y");
    EXPECT_FALSE(items[0].hasValue);
    EXPECT_EQ(items[1].value, "in.avi");
    EXPECT_FALSE(items[2].hasValue);  // "no" + a switch
    EXPECT_EQ(items[3].Base(), "c");
    EXPECT_EQ(items[3].value, "mpeg4");
    EXPECT_TRUE(items[5].IsFile());
    EXPECT_EQ(items[5].value, "-");
    EXPECT_TRUE(items[6].IsFile());
}

}  // namespace
}  // namespace mk::toolkit
