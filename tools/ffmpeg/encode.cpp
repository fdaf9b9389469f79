// An encode, in steps: settle the output's container, refuse an output that is an input, write a
// regular file under a temporary name, run ffmpeg relaying its messages, look at the result as a
// player would, and only then put it in the old output's place. Whatever goes wrong or stops the
// run, the temporary file goes and an earlier output stays as it was.
#include "ffmpeg/encode.h"

#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <string_view>

#include "container/container_fit.h"
#include "output/safe_output.h"
#include "platform/process_runner.h"
#include "platform/stop_signals.h"
#include "readback/output_check.h"
#include "readback/stream_list.h"
#include "translate/ffmpeg_options.h"
#include "translate/quiet_options.h"

namespace mk::toolkit {

namespace {

constexpr const char* kName = "ffmpeg (Morvakelin)";

// ffmpeg 5 ends with status 0 even when the output could not be written in full (a full disk:
// "Error writing trailer of out.mpg: No space left on device"). Its lines saying so turn the
// run into a failure, so a cut-off file is never taken for a result. The start of its messages
// is kept too, for the streams it lists for the output.
class RunWatch {
public:
    void Feed(std::string_view chunk) {
        if (m_text.size() < kKeep) {
            m_text.append(chunk.substr(0, kKeep - m_text.size()));
        }
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
    std::vector<StreamInfo> Written() const { return ListStreams(m_text, Section::Outputs); }

private:
    static constexpr size_t kKeep = 1 << 20;
    void Judge() {
        static constexpr std::string_view kMarkers[] = {
            "Error writing trailer", "Error closing file", "av_interleaved_write_frame()",
            "Error muxing a packet"};
        for (std::string_view marker : kMarkers) {
            if (m_failure.empty() && std::string_view(m_line).substr(0, marker.size()) == marker) {
                m_failure = m_line;
            }
        }
    }
    std::string m_line;
    std::string m_failure;
    std::string m_text;
};

bool HasOption(const std::vector<ArgItem>& items, std::string_view name) {
    for (const ArgItem& item : items) {
        if (item.option == name) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> Inputs(const std::vector<ArgItem>& items) {
    std::vector<std::string> inputs;
    for (const ArgItem& item : items) {
        if (item.option == "i" && item.hasValue) {
            inputs.push_back(item.value);
        }
    }
    return inputs;
}

std::vector<std::string> Words(const std::vector<ArgItem>& items) {
    std::vector<std::string> words;
    for (const ArgItem& item : items) {
        item.AppendTo(words);
    }
    return words;
}

// The streams of the inputs ffmpeg reads from files, numbered as on the command line.
std::vector<StreamInfo> InputStreams(const std::string& ffmpeg,
                                     const std::vector<std::string>& inputs) {
    std::vector<StreamInfo> all;
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (inputs[i] == "-" || inputs[i].substr(0, 5) == "pipe:") {
            continue;
        }
        const CapturedRun run =
            RunCaptured({ffmpeg, "-hide_banner", "-nostdin", "-i", inputs[i]}, Capture::Stderr);
        for (StreamInfo s : ListStreams(run.output, Section::Inputs)) {
            s.file = static_cast<int>(i);
            all.push_back(s);
        }
    }
    return all;
}

// A single-codec audio container that cannot hold the codec going in is swapped for one that
// can, under the same name.
void FitContainer(const std::string& ffmpeg, std::vector<ArgItem>& items) {
    const std::string muxer = OutputMuxer(items);
    const std::string encoder = OutputAudioEncoder(items);
    if (muxer.empty() || encoder.empty() || encoder == "-") {
        return;
    }
    if (!IsSingleCodecAudioMuxer(muxer)) {
        return;  // ffmpeg judges every other container itself
    }
    const std::string codec = encoder == "copy"
                                  ? CopiedAudioCodec(items, InputStreams(ffmpeg, Inputs(items)))
                                  : CodecOfEncoder(encoder);
    const ContainerFit fit = FitAudioContainer(muxer, codec, items[OutputIndex(items)].value);
    if (fit.muxer.empty()) {
        return;
    }
    ForceMuxer(items, fit.muxer);
    std::fprintf(stderr, "%s: %s\n", kName, fit.note.c_str());
}

// The console and the form give ffmpeg no keyboard: it is told so, and does not offer keys.
void NoKeyboard(std::vector<ArgItem>& items) {
    if (!isatty(STDIN_FILENO) && !HasOption(items, "nostdin")) {
        items.insert(items.begin(), ArgItem{"nostdin", "", false});
    }
}

// Refuses what must not run; 0 when the output may be written.
int GuardOutput(const std::vector<ArgItem>& items, const std::string& output) {
    if (const auto same = InputSameAsOutput(Inputs(items), output)) {
        std::fprintf(stderr,
                     "%s: the output %s is the input %s under another name; refusing to "
                     "overwrite it\n",
                     kName, output.c_str(), same->c_str());
        return 1;
    }
    if (access(output.c_str(), F_OK) == 0 && !HasOption(items, "y")) {
        std::fprintf(stderr, "%s: %s already exists; not overwriting it without -y\n", kName,
                     output.c_str());
        return 1;
    }
    return 0;
}

// Why this run must stop: the signal that asked, SIGTERM when the program that started us has
// died; 0 while it may go on.
int StopReason(const StopSignals& signals) {
    if (signals.FirstSignal() != 0) {
        return signals.FirstSignal();
    }
    return LifelineCut() ? SIGTERM : 0;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Runs the real ffmpeg, its messages relayed to ours as they come. Each stop signal, and the end
// of the program that started us, takes its stop a step further.
int Run(const std::string& ffmpeg, const std::vector<ArgItem>& items, RunWatch& watch,
        const StopSignals& signals) {
    ShellOptions options;
    options.inheritStdin = true;
    options.out = Route::Inherit;
    options.ownGroup = false;
    std::vector<std::string> argv = Words(items);
    argv.insert(argv.begin(), ffmpeg);
    ShellProcess process;
    if (!process.StartProgram(argv, options)) {
        std::fprintf(stderr, "%s: cannot run %s: %s\n", kName, ffmpeg.c_str(),
                     process.StartError().c_str());
        return 127;
    }
    bool relay = true;  // a console that went away must not stop the run: ffmpeg would block
    int steps = 0;
    PumpHandlers handlers;
    handlers.onErr = [&](std::string_view chunk) {
        watch.Feed(chunk);
        relay = relay && WriteAll(STDERR_FILENO, chunk);
    };
    handlers.onTick = [&] {
        const int asked = signals.Count() + (LifelineCut() && signals.Count() == 0 ? 1 : 0);
        while (steps < asked) {
            ++steps;
            process.Stop();
        }
    };
    Pump(process, handlers);
    if (process.Status() == 0 && !watch.Failure().empty()) {
        std::fprintf(stderr, "%s: the output was not written in full (%s)\n", kName,
                     watch.Failure().c_str());
        return 1;
    }
    return process.Status();
}

// ffmpeg said it succeeded: the file must open and show what ffmpeg wrote into it. The reader
// started with the encode takes any name a concat list can hold (no line break).
int Verify(const std::string& ffmpeg, const std::string& file, const std::string& shown,
           const RunWatch& watch, ReadBack* early) {
    std::string why;
    const std::vector<StreamInfo> found = early && file.find('\n') == std::string::npos
                                              ? early->Read(file, why)
                                              : OpenAsPlayersWould(ffmpeg, file, why);
    const std::string missing = MissingFromOutput(watch.Written(), found);
    if (missing.empty()) {
        return 0;
    }
    std::fprintf(stderr, "%s: ffmpeg reported success, but %s cannot be read back (%s%s%s)\n",
                 kName, shown.c_str(), missing.c_str(), why.empty() ? "" : ": ", why.c_str());
    return 1;
}

}  // namespace

int RunEncode(const std::string& ffmpeg, std::vector<std::string> args) {
    StopSignals signals;
    signal(SIGPIPE, SIG_IGN);
    if (LifelineCut()) {
        return 128 + SIGTERM;  // the program that asked for this run is gone
    }
    std::vector<ArgItem> items = QuietOptions(SplitArguments(args));
    const int output = OutputIndex(items);
    if (output < 0) {
        RunWatch watch;
        return Run(ffmpeg, items, watch, signals);
    }
    const std::string name = items[output].value;
    if (const int refused = GuardOutput(items, name)) {
        return refused;
    }
    FitContainer(ffmpeg, items);
    NoKeyboard(items);

    ReplaceOnSuccess replace;
    const bool regular = WritesRegularFile(name, OutputMuxer(items));
    std::string why;
    if (regular && replace.Begin(name, why)) {
        // The temporary file is ours to overwrite; -n has been honoured above (with -y too,
        // ffmpeg would refuse to start).
        items[OutputIndex(items)].value = replace.TemporaryName();
        std::erase_if(items, [](const ArgItem& item) { return item.option == "n"; });
        if (!HasOption(items, "y")) {
            items.insert(items.begin(), ArgItem{"y", "", false});
        }
    } else if (regular) {
        std::fprintf(stderr, "%s: cannot write beside %s (%s); writing it in place\n", kName,
                     name.c_str(), why.c_str());
    }
    ReadBack readBack;
    const bool early = regular && readBack.Start(ffmpeg);
    RunWatch watch;
    int status = StopReason(signals) ? 1 : Run(ffmpeg, items, watch, signals);
    if (status == 0 && regular && StopReason(signals) == 0) {
        status = Verify(ffmpeg, items[OutputIndex(items)].value, name, watch,
                        early ? &readBack : nullptr);
    }
    if (status == 0 && StopReason(signals) == 0 && !replace.Commit(why)) {
        std::fprintf(stderr, "%s: cannot put the result in place of %s: %s\n", kName, name.c_str(),
                     why.c_str());
        status = 1;
    }
    if (const int stop = StopReason(signals)) {
        readBack.Close();
        replace.Discard();
        EndBySignal(stop);
    }
    return status;
}

}  // namespace mk::toolkit
