// The program folder's ffmpeg: accepts the options the program writes, translates them for the
// installed ffmpeg and runs it. A probe is run as a child, so its report can be rewritten; an
// encode too (encode.cpp), so that its output is kept safe and a failure is never reported as
// success; a command without input (-version, -h ...) replaces this process.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/process.h"
#include "ffmpeg/encode.h"
#include "installed/features.h"
#include "installed/locate.h"
#include "translate/probe_report.h"
#include "translate/translate.h"

namespace {

constexpr const char* kName = "ffmpeg (Morvakelin)";

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace mk::toolkit;
    const std::vector<std::string> args(argv + 1, argv + argc);

    const FfmpegLocation ffmpeg = FindRealFfmpeg();
    if (ffmpeg.path.empty()) {
        std::fprintf(stderr, "%s: %s\n", kName, ffmpeg.error.c_str());
        return 127;
    }

    const FfmpegFeatures features =
        NeedsFeatures(args) ? QueryFeatures(ffmpeg.path) : FfmpegFeatures{};
    Translation t = TranslateFfmpegArguments(args, features);
    if (!t.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", kName, t.error.c_str());
        return 1;
    }
    for (const std::string& note : t.notes) {
        std::fprintf(stderr, "%s: %s\n", kName, note.c_str());
    }
    std::fflush(stderr);

    if (t.mode == RunMode::Probe) {
        t.args.insert(t.args.begin(), "-hide_banner");
        const CapturedRun run = RunAndCapture(ffmpeg.path, t.args, Capture::Stderr);
        if (!run.started) {
            std::fprintf(stderr, "%s: cannot run %s: %s\n", kName, ffmpeg.path.c_str(),
                         run.error.c_str());
            return 127;
        }
        WriteAll(STDERR_FILENO, RewriteProbeReport(run.output).text);
        return run.exitCode;
    }

    if (t.mode == RunMode::PassThrough) {
        const std::string failure = ExecReplace(ffmpeg.path, t.args);
        std::fprintf(stderr, "%s: %s\n", kName, failure.c_str());
        return 127;
    }

    return RunEncode(ffmpeg.path, t.args);
}
