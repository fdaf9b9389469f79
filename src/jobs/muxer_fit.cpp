#include "jobs/muxer_fit.h"

#include <algorithm>

#include "command/arguments.h"
#include "command/targets.h"
#include "container/container_fit.h"
#include "jobs/command_words.h"
#include "translate/ffmpeg_options.h"
#include "translate/quiet_options.h"
#include "translate/stream_numbers.h"
#include "translate/translate.h"

namespace mk {

namespace {

using toolkit::ArgItem;

// The output's options as our ffmpeg hands them to the installed one.
std::vector<ArgItem> AsRun(const std::vector<std::string>& args) {
    const toolkit::Translation t = toolkit::TranslateFfmpegArguments(args, {});
    if (!t.error.empty() || t.mode != toolkit::RunMode::Encode) {
        return {};
    }
    return toolkit::QuietOptions(toolkit::SplitArguments(t.args));
}

// The encoder our ffmpeg runs for the codec words `words` of an output.
std::string EncoderOf(std::string_view words, char kind) {
    std::vector<std::string> args = {"-i", "in"};
    if (const auto programs = PipelineWords(words)) {
        args.insert(args.end(), programs->front().begin(), programs->front().end());
    }
    args.insert(args.end(), {"-y", "out"});
    const std::vector<ArgItem> items = AsRun(args);
    return kind == 'a' ? toolkit::OutputAudioEncoder(items) : toolkit::OutputVideoEncoder(items);
}

// Of the form's choices for the trial's kind of stream, those its muxer takes.
std::vector<std::string> FormChoicesTaken(MuxTrial trial, MuxerQuery& query) {
    trial.codec = trial.source = trial.stream = "";
    std::vector<std::string> takes;
    if (trial.kind == 'a') {
        for (std::string_view word : kAudioTargets) {
            if (word == "copy") {
                continue;
            }
            trial.encoder = EncoderOf("-acodec " + AudioCodecWord(std::string(word)), 'a');
            if (query.Trial(trial) == MuxVerdict::Takes) {
                takes.emplace_back(word);
            }
        }
        return takes;
    }
    std::vector<std::string> tried;
    for (const Target& t : kTargets) {
        trial.encoder = EncoderOf(t.codecPal, 'v');
        trial.size = std::string(t.pal.width) + "x" + std::string(t.pal.height);
        trial.rate = "25";
        const std::string codec = toolkit::CodecOfEncoder(trial.encoder);
        if (trial.encoder.empty() || std::find(tried.begin(), tried.end(), codec) != tried.end()) {
            continue;
        }
        tried.push_back(codec);
        if (query.Trial(trial) == MuxVerdict::Takes) {
            takes.push_back(codec);
        }
    }
    return takes;
}

// Points a trial of "copy" at the source stream the output copies; false when it cannot be known
// (a stream read from standard input, no such stream).
bool AimCopy(const std::vector<std::string>& args, MuxTrial& trial, MuxerQuery& query) {
    std::vector<ArgItem> raw = toolkit::SplitArguments(args);
    const std::vector<std::string> inputs = toolkit::InputNames(raw);
    for (const std::string& input : inputs) {
        if (input == "-" || input.starts_with("pipe:")) {
            return false;
        }
    }
    const std::vector<toolkit::StreamInfo> streams = query.Streams(inputs);
    if (toolkit::HasOldStreamNumbers(raw)) {
        toolkit::RenumberOldStreams(raw, streams);
    }
    const toolkit::StreamInfo* copied =
        toolkit::CopiedAudioStream(AsRun(toolkit::Words(raw)), streams);
    if (!copied || copied->file < 0 || static_cast<std::size_t>(copied->file) >= inputs.size()) {
        return false;
    }
    trial.codec = copied->codec;
    trial.source = inputs[static_cast<std::size_t>(copied->file)];
    trial.stream = "0:" + std::to_string(copied->index);
    return true;
}

// The target a command names: "-target pal-dvd" is dvd.
std::string TargetOfCommand(const std::vector<std::string>& args) {
    const auto it = std::find(args.begin(), args.end(), "-target");
    if (it == args.end() || it + 1 == args.end()) {
        return {};
    }
    const std::size_t dash = (it + 1)->find('-');
    return dash == std::string::npos ? *(it + 1) : (it + 1)->substr(dash + 1);
}

}  // namespace

std::string MuxTrial::Key() const {
    std::string key = (muxer.empty() ? "." + extension : muxer) + "|" + kind + "|" + encoder;
    return encoder == "copy" ? key + "|" + codec : key + "|" + size + "|" + rate;
}

std::optional<MuxRefusal> FindMuxRefusal(const std::vector<std::string>& args,
                                         std::string_view target, MuxerQuery& query) {
    const std::vector<ArgItem> items = AsRun(args);
    const int output = toolkit::OutputIndex(items);
    if (output < 0) {
        return std::nullopt;
    }
    MuxTrial base;
    base.muxer = toolkit::OutputMuxer(items);
    base.extension = toolkit::FileExtension(items[static_cast<std::size_t>(output)].value);
    if ((base.muxer.empty() && base.extension.empty()) || base.muxer == "null") {
        return std::nullopt;  // nothing to judge
    }
    const bool audioOnly = toolkit::IsSingleCodecAudioMuxer(base.muxer);
    std::vector<MuxTrial> trials;
    if (const std::string audio = toolkit::OutputAudioEncoder(items);
        !audio.empty() && audio != "-") {
        MuxTrial trial = base;
        trial.encoder = audio;
        const bool known = audio != "copy" || AimCopy(args, trial, query);
        // Our ffmpeg writes an audio-only output in a container that holds its codec; only
        // that one, where it is not the named one, is worth a trial.
        const std::string fitted =
            !audioOnly ? base.muxer
                       : toolkit::FitAudioContainer(
                             base.muxer,
                             audio == "copy" ? trial.codec : toolkit::CodecOfEncoder(audio), "")
                             .muxer;
        if (known && (!audioOnly || !fitted.empty())) {
            trial.muxer = fitted;
            trials.push_back(trial);
        }
    }
    if (const std::string video = toolkit::OutputVideoEncoder(items);
        !audioOnly && !video.empty() && video != "-" && video != "copy") {
        trials.push_back(base);
        MuxTrial& trial = trials.back();
        trial.kind = 'v';
        trial.encoder = video;
        trial.size = toolkit::OutputOptionValue(items, {"s"}, "");
        trial.rate = toolkit::OutputOptionValue(items, {"r"}, "");
    }
    for (const MuxTrial& trial : trials) {
        if (query.Trial(trial) != MuxVerdict::Refuses) {
            continue;
        }
        MuxRefusal refusal;
        refusal.target = target.empty() ? TargetOfCommand(args) : std::string(target);
        refusal.container = trial.muxer.empty() ? "." + base.extension : trial.muxer;
        if (refusal.target.empty()) {
            refusal.target = refusal.container;
        }
        refusal.kind = trial.kind;
        refusal.copied = trial.encoder == "copy";
        refusal.codec = refusal.copied ? trial.codec : toolkit::CodecOfEncoder(trial.encoder);
        refusal.takes = FormChoicesTaken(trial, query);
        return refusal;
    }
    return std::nullopt;
}

std::optional<MuxRefusal> FindCommandMuxRefusal(std::string_view commandLine,
                                                std::string_view target, MuxerQuery& query) {
    const auto args = ArgumentsOf(commandLine, "ffmpeg");
    return args ? FindMuxRefusal(*args, target, query) : std::nullopt;
}

std::string TakesText(const std::vector<std::string>& takes) {
    std::string text;
    for (const std::string& word : takes) {
        text += (text.empty() ? "" : ", ") + word;
    }
    return text.empty() ? "none of the form's choices" : text;
}

std::string RefusalLine(const MuxRefusal& r) {
    const std::string kind = r.kind == 'a' ? " audio" : " video";
    return "The " + r.target + " target (" + r.container + ") cannot take " +
           (r.copied ? "the source's " + r.codec + kind + " (copy)" : r.codec + kind) +
           "; it takes " + TakesText(r.takes) + ".";
}

}  // namespace mk
