// The program folder's ffmpeg: accepts the options the program writes, translates them for the
// installed ffmpeg and runs it. A probe is run as a child, so its report can be rewritten; an
// encode too, with its messages relayed as they come, so that a failed write is not reported as
// success; a command without input (-version, -h ...) replaces this process.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/features.h"
#include "common/locate.h"
#include "common/probe_report.h"
#include "common/process.h"
#include "common/translate.h"

namespace {

constexpr const char* kName = "ffmpeg (Morvakelin)";

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

// ffmpeg 5 ends with status 0 even when the output could not be written in full (a full disk:
// "Error writing trailer of out.mpg: No space left on device"). Its lines saying so turn the
// run into a failure, so a cut-off file is never taken for a result.
class WriteFailureWatch {
public:
    void Feed(std::string_view chunk) {
        for (char c : chunk) {
            if (c == '\n' || c == '\r') {
                Judge();
                m_line.clear();
            } else if (m_line.size() < 4096) {
                m_line += c;
            }
        }
    }
    // The first line that told of a failed write; empty when there was none.
    const std::string& Failure() {
        Judge();
        return m_failure;
    }

private:
    void Judge() {
        static constexpr std::string_view kMarkers[] = {
            "Error writing trailer", "Error closing file", "av_interleaved_write_frame()",
            "Error muxing a packet"};
        for (std::string_view marker : kMarkers) {
            if (m_failure.empty() && std::string_view(m_line).substr(0, marker.size()) == marker)
                m_failure = m_line;
        }
    }
    std::string m_line;
    std::string m_failure;
};

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
    for (const std::string& note : t.notes)
        std::fprintf(stderr, "%s: %s\n", kName, note.c_str());
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

    WriteFailureWatch watch;
    const RelayedRun run =
        RunRelayingStderr(ffmpeg.path, t.args, [&](std::string_view s) { watch.Feed(s); });
    if (!run.started) {
        std::fprintf(stderr, "%s: cannot run %s: %s\n", kName, ffmpeg.path.c_str(),
                     run.error.c_str());
        return 127;
    }
    if (run.exitCode == 0 && !watch.Failure().empty()) {
        std::fprintf(stderr, "%s: the output was not written in full (%s)\n", kName,
                     watch.Failure().c_str());
        return 1;
    }
    return run.exitCode;
}
