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
#include "output/run_log.h"
#include "output/safe_output.h"
#include "platform/process_runner.h"
#include "platform/stop_signals.h"
#include "readback/asked_length.h"
#include "readback/output_check.h"
#include "readback/stream_list.h"
#include "translate/ffmpeg_options.h"
#include "translate/quiet_options.h"

namespace mk::toolkit {

namespace {

constexpr const char* kName = "ffmpeg (Morvakelin)";

bool HasOption(const std::vector<ArgItem>& items, std::string_view name) {
    for (const ArgItem& item : items) {
        if (item.option == name) {
            return true;
        }
    }
    return false;
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
                                  ? CopiedAudioCodec(items, InputStreams(ffmpeg, InputNames(items)))
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
    if (const auto same = InputSameAsOutput(InputNames(items), output)) {
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
int Run(const std::string& ffmpeg, const std::vector<ArgItem>& items, RunLog& log,
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
        relay = relay && WriteAll(STDERR_FILENO, log.Feed(chunk));
    };
    handlers.onTick = [&] {
        // Our group's second signal (SIGTERM) comes 2 s before its SIGKILL, which would leave the
        // temporary file behind: ffmpeg, which had both itself (and may wait on its input
        // without heeding them), is then killed at once, so that the clean-up comes first.
        const int count = signals.Count();
        const int asked = count >= 2 ? count + 1 : count + (LifelineCut() && count == 0 ? 1 : 0);
        while (steps < asked) {
            ++steps;
            process.Stop();
        }
    };
    Pump(process, handlers);
    relay = relay && WriteAll(STDERR_FILENO, log.Finish());
    if (process.Status() == 0 && !log.Failure().empty()) {
        std::fprintf(stderr, "%s: the output was not written in full (%s)\n", kName,
                     log.Failure().c_str());
        return 1;
    }
    return process.Status();
}

// What a whole output holds: the length the command asks for where it tells, otherwise the
// length ffmpeg reported writing. Both come from the log read at our own level, so the user's
// level hides neither. A source that is itself cut or damaged holds less than its header
// promises: all ffmpeg could read of it is then a whole result (the front ends warn of the
// damage), and its own report is the measure, which still shows a file cut while written.
ExpectedLength Expected(const std::vector<ArgItem>& items, const RunLog& log) {
    ExpectedLength expected;
    expected.slack = LengthSlack(items);
    if (!log.SawSourceDamage() && KeepsEveryKind(log.Read(), log.Written())) {
        expected.seconds = AskedLength(items, log.InputLengths());
    }
    expected.asked = expected.seconds.has_value();
    if (!expected.asked) {
        expected.seconds = log.LengthWritten();
    }
    return expected;
}

// ffmpeg said it succeeded: the file must open and show what ffmpeg wrote into it, through to
// its end. The reader started with the encode takes any name a concat list can hold (no line
// break, and a carriage return ends its line too).
int Verify(const std::string& ffmpeg, const std::vector<ArgItem>& items, const std::string& shown,
           const RunLog& log, ReadBack* early) {
    const std::string& file = items[OutputIndex(items)].value;
    const ReadResult found = early && file.find_first_of("\r\n") == std::string::npos
                                 ? early->Read(file)
                                 : OpenAsPlayersWould(ffmpeg, file);
    const std::string missing = MissingFromOutput(log.Written(), found.streams);
    if (!missing.empty()) {
        std::fprintf(stderr, "%s: ffmpeg reported success, but %s cannot be read back (%s%s%s)\n",
                     kName, shown.c_str(), missing.c_str(), found.why.empty() ? "" : ": ",
                     found.why.c_str());
        return 1;
    }
    const std::string cut = ShortOf(Expected(items, log), found.length);
    if (!cut.empty()) {
        std::fprintf(stderr, "%s: ffmpeg reported success, but %s holds only %s\n", kName,
                     shown.c_str(), cut.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int RunEncode(const std::string& ffmpeg, std::vector<std::string> args) {
    StopSignals signals;
    signal(SIGPIPE, SIG_IGN);
    if (LifelineCut()) {
        return 128 + SIGTERM;  // the program that asked for this run is gone
    }
    std::vector<ArgItem> items = QuietOptions(SplitArguments(args));
    RunLog log(TakeLogLevel(items));
    const int output = OutputIndex(items);
    if (output < 0) {
        return Run(ffmpeg, items, log, signals);
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
        // Written in place, a stop or failure would destroy the earlier output.
        std::fprintf(stderr, "%s: refusing to write %s: no temporary file can be made in %s (%s)\n",
                     kName, name.c_str(), replace.Folder().c_str(), why.c_str());
        return 1;
    }
    ReadBack readBack;
    const bool early = regular && readBack.Start(ffmpeg);
    int status = StopReason(signals) ? 1 : Run(ffmpeg, items, log, signals);
    if (status == 0 && regular && StopReason(signals) == 0) {
        status = Verify(ffmpeg, items, name, log, early ? &readBack : nullptr);
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
