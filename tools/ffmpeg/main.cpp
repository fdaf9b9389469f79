// The program folder's ffmpeg: accepts the options the program writes, translates them for the
// installed ffmpeg and runs it. A probe is run as a child, so its report can be rewritten; an
// encode too (encode.cpp), so that its output is kept safe and a failure is never reported as
// success; a command without input (-version, -h ...) replaces this process.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ffmpeg/encode.h"
#include "installed/features.h"
#include "installed/locate.h"
#include "platform/process_runner.h"
#include "readback/output_check.h"
#include "translate/probe_report.h"
#include "translate/stream_numbers.h"
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

// The form's stream numbers, in today's numbering of the inputs' streams.
std::vector<std::string> OfToday(const std::string& ffmpeg, const std::vector<std::string>& args) {
    using namespace mk::toolkit;
    std::vector<ArgItem> items = SplitArguments(args);
    if (!HasOldStreamNumbers(items)) {
        return args;
    }
    RenumberOldStreams(items, InputStreams(ffmpeg, InputNames(items)));
    return Words(items);
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
    Translation t = TranslateFfmpegArguments(OfToday(ffmpeg.path, args), features);
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
        t.args.insert(t.args.begin(), ffmpeg.path);
        const mk::CapturedRun run = mk::RunCaptured(t.args, mk::Capture::Stderr);
        if (!run.started) {
            std::fprintf(stderr, "%s: cannot run %s: %s\n", kName, ffmpeg.path.c_str(),
                         run.error.c_str());
            return 127;
        }
        WriteAll(STDERR_FILENO, RewriteProbeReport(run.output).text);
        return run.status;
    }

    if (t.mode == RunMode::PassThrough) {
        t.args.insert(t.args.begin(), ffmpeg.path);
        const std::string failure = mk::ReplaceProcess(t.args);
        std::fprintf(stderr, "%s: %s\n", kName, failure.c_str());
        return 127;
    }

    return RunEncode(ffmpeg.path, t.args);
}
