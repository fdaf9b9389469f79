#include "jobs/ffmpeg_trials.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "installed/features.h"
#include "installed/locate.h"
#include "platform/process_runner.h"
#include "readback/output_check.h"

namespace mk {

namespace {

constexpr const char* kCacheFile = "muxer-trials";

}  // namespace

bool InstalledFfmpegTrials::Ready() {
    const toolkit::FfmpegLocation found = toolkit::FindRealFfmpeg();
    const std::string key = found.path.empty() ? "" : toolkit::FeaturesKey(found.path);
    if (key.empty()) {
        return false;
    }
    if (key == m_key) {
        return true;
    }
    m_ffmpeg = found.path;
    m_key = key;
    m_answers.clear();
    // The kept answers: the binary's key, then "1 KEY" or "0 KEY" a line.
    std::ifstream in(toolkit::CacheFolder() + "/" + kCacheFile);
    std::string line;
    if (!std::getline(in, line) || line != key) {
        return true;
    }
    while (std::getline(in, line)) {
        if (line.size() > 2 && (line[0] == '0' || line[0] == '1') && line[1] == ' ') {
            m_answers[line.substr(2)] = line[0] == '1';
        }
    }
    return true;
}

bool InstalledFfmpegTrials::Muxes(const MuxTrial& t, bool withMuxer) {
    // At ffmpeg's own log level, which lists the streams it writes.
    std::vector<std::string> argv = {m_ffmpeg, "-hide_banner", "-nostdin"};
    const std::string frames = t.kind == 'a' ? "-frames:a" : "-frames:v";
    if (t.encoder == "copy") {
        argv.insert(argv.end(), {"-i", t.source, "-map", t.stream, "-c", "copy"});
    } else if (t.kind == 'a') {
        argv.insert(argv.end(),
                    {"-f", "lavfi", "-i", "anullsrc=r=48000:cl=stereo", "-c:a", t.encoder});
    } else {
        const std::string size = t.size.empty() ? "352x288" : t.size;
        const std::string rate = t.rate.empty() ? "25" : t.rate;
        argv.insert(argv.end(), {"-f", "lavfi", "-i", "color=c=black:s=" + size + ":r=" + rate,
                                 "-c:v", t.encoder});
    }
    argv.insert(argv.end(), {frames, t.kind == 'a' ? "5" : "1"});
    if (!withMuxer) {
        argv.insert(argv.end(), {"-f", "null", "-"});
        return RunCaptured(argv, Capture::Stderr).status == 0;
    }
    // A file of the output's kind, so that ffmpeg picks the muxer by its name as it will.
    std::string folder = (std::filesystem::temp_directory_path() / "morvakelin-trial-XXXXXX");
    if (mkdtemp(folder.data()) == nullptr) {
        return true;  // no trial: the encode will tell
    }
    if (!t.muxer.empty()) {
        argv.insert(argv.end(), {"-f", t.muxer});
    }
    const std::string file = folder + "/trial" + (t.extension.empty() ? "" : "." + t.extension);
    argv.insert(argv.end(), {"-y", file});
    const CapturedRun run = RunCaptured(argv, Capture::Stderr);
    // Some muxers write a codec they cannot hold without a word (the MPEG ones of ffmpeg 4 take
    // AAC): the file must read back with what was written, as our ffmpeg checks every output.
    const bool muxed =
        run.status == 0 &&
        toolkit::MissingFromOutput(toolkit::ListStreams(run.output, toolkit::Section::Outputs),
                                   toolkit::OpenAsPlayersWould(m_ffmpeg, file).streams)
            .empty();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return muxed;
}

MuxVerdict InstalledFfmpegTrials::Trial(const MuxTrial& trial) {
    if (!Ready()) {
        return MuxVerdict::Unknown;
    }
    const std::string key = trial.Key();
    if (const auto kept = m_answers.find(key); kept != m_answers.end()) {
        return kept->second ? MuxVerdict::Takes : MuxVerdict::Refuses;
    }
    ++m_trialsRun;
    bool takes = Muxes(trial, true);
    if (!takes && !Muxes(trial, false)) {
        return MuxVerdict::Unknown;  // the stream itself cannot be made: not the muxer's doing
    }
    m_answers[key] = takes;
    std::string text = m_key + "\n";
    for (const auto& [k, answer] : m_answers) {
        if (k.find('\n') == std::string::npos) {
            text += (answer ? "1 " : "0 ") + k + "\n";
        }
    }
    toolkit::WriteCacheFile(kCacheFile, text);
    return takes ? MuxVerdict::Takes : MuxVerdict::Refuses;
}

std::vector<toolkit::StreamInfo> InstalledFfmpegTrials::Streams(
    const std::vector<std::string>& inputs) {
    return Ready() ? toolkit::InputStreams(m_ffmpeg, inputs) : std::vector<toolkit::StreamInfo>{};
}

}  // namespace mk
