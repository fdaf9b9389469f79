#include "e2e_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "form/form_model.h"
#include "installed/locate.h"

namespace mk::e2e {

namespace fs = std::filesystem;

namespace {

fs::path Store() {
    static const fs::path store = [] {
        const fs::path dir = fs::path(MORVAKELIN_PROGRAM_DIR).parent_path() / "e2e-clips";
        fs::create_directories(dir);
        // Our ffmpeg keeps what it learnt of the installed one here rather than in the home.
        setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
        return dir;
    }();
    return store;
}

struct ClipRecipe {
    const char* name;
    std::string ffmpegArgs;  // between the real ffmpeg and the output file
};

ClipRecipe Recipe(Clip clip) {
    const std::string video = "-f lavfi -i testsrc=rate=25:duration=1:size=";
    const std::string tone = " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=1";
    const std::string avi = " -c:v mpeg4 -q:v 5 -c:a libmp3lame -b:a 64k -shortest";
    switch (clip) {
        case Clip::H264AacMp4:
            return {"h264_aac.mp4", video + "640x352" + tone +
                                        " -c:v libx264 -preset ultrafast -pix_fmt yuv420p "
                                        "-c:a aac -b:a 64k -shortest"};
        case Clip::Mpeg4Avi:
            return {"mpeg4_mp3.avi", video + "640x352" + tone + avi};
        case Clip::PortraitAvi:
            return {"portrait.avi", video + "480x640" + tone + avi};
        case Clip::PalAvi:
            return {"pal.avi", video + "720x576" + tone + avi};
        case Clip::TwoAudioVob:
            return {"two_audio.vob",
                    video + "640x352" + tone +
                        " -f lavfi -i sine=frequency=880:sample_rate=48000:duration=1"
                        " -map 0:v -map 1:a -map 2:a -c:v mpeg2video -b:v 2M"
                        " -c:a:0 mp2 -ac:a:0 2 -c:a:1 ac3 -ac:a:1 1 -f vob"};
        case Clip::LongMetadataMp4: {
            std::string tags;
            for (int i = 0; i < 16; ++i)
                tags += " -metadata tag" + std::to_string(i) + "=" + std::string(180, 'm');
            return {"long_metadata.mp4", "-i " + Quoted(ClipPath(Clip::H264AacMp4)) +
                                             " -c copy -map_metadata -1" + tags};
        }
        case Clip::NavVob:
            return {"nav.vob", video + "352x288" + tone + " -target pal-dvd"};
        case Clip::Broken:
            break;
    }
    return {"broken.avi", ""};
}

}  // namespace

std::string GenerateWithCodec(const ShellDialect& d, const std::string& folder, EncoderFields& f,
                              const std::string& audioCodec) {
    f.m_strSourceAudioCodec = audioCodec;
    return Generate(f, {d, folder}).command;
}

std::string RealFfmpeg() {
    static const std::string path = mk::toolkit::FindRealFfmpeg().path;
    return path;
}

std::string ClipPath(Clip clip) {
    const ClipRecipe recipe = Recipe(clip);
    const fs::path target = Store() / recipe.name;
    if (fs::exists(target))
        return target.string();
    // Made aside and renamed, so a test run in parallel never sees half a clip.
    const fs::path temp = Store() / ("tmp-" + std::to_string(getpid()) + "-" + recipe.name);
    if (clip == Clip::Broken) {
        std::ofstream(temp) << "this is no video, only text\n";
    } else {
        const ShellRun run = RunShell(Quoted(RealFfmpeg()) + " -v error -y " + recipe.ffmpegArgs +
                                      " " + Quoted(temp.string()));
        if (run.exitCode != 0) {
            std::fprintf(stderr, "making %s failed:\n%s\n", recipe.name, run.output.c_str());
            return target.string();
        }
    }
    fs::rename(temp, target);
    return target.string();
}

void PrintTo(Clip clip, std::ostream* os) {
    static const char* const kNames[] = {"H264AacMp4",  "Mpeg4Avi",        "PortraitAvi", "PalAvi",
                                         "TwoAudioVob", "LongMetadataMp4", "NavVob",      "Broken"};
    *os << kNames[static_cast<int>(clip)];
}

ProgramFolder::ProgramFolder() {
    Store();
    const fs::path program = MORVAKELIN_PROGRAM_DIR;
    fs::create_symlink(program / "ffmpeg", m_dir.Path() / "ffmpeg");
    fs::create_symlink(program / "avs2yuv", m_dir.Path() / "avs2yuv");
    fs::create_directory(m_dir.Path() / "Conf");
}

std::vector<Stream> ProbeStreams(const std::string& file, bool countFrames) {
    std::vector<Stream> streams;
    const std::string command =
        "ffprobe -v error " + std::string(countFrames ? "-count_frames " : "") +
        "-show_entries stream=codec_type,codec_name,width,height,display_aspect_ratio,"
        "sample_rate,channels" +
        (countFrames ? ",nb_read_frames" : "") + " -of compact=p=0 " + Quoted(file);
    const ShellRun run = RunShell(command, 60);
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        Stream s;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '|');) {
            const size_t eq = field.find('=');
            if (eq != std::string::npos)
                s.insert_or_assign(field.substr(0, eq), field.substr(eq + 1));
        }
        if (!s["codec_type"].empty() && s["codec_type"] != "data")
            streams.push_back(s);
    }
    return streams;
}

Stream FirstOf(const std::vector<Stream>& streams, const std::string& type) {
    for (const Stream& s : streams)
        if (s["codec_type"] == type)
            return s;
    return {};
}

int CountOf(const std::vector<Stream>& streams, const std::string& type) {
    int n = 0;
    for (const Stream& s : streams)
        n += s["codec_type"] == type;
    return n;
}

}  // namespace mk::e2e
