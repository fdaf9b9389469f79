#include "common/output_check.h"

#include "common/process.h"

namespace mk::toolkit {

namespace {

std::string LastLine(const std::string& text) {
    size_t end = text.find_last_not_of("\r\n");
    if (end == std::string::npos) {
        return {};
    }
    const size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

}  // namespace

std::string MissingFromOutput(const std::vector<StreamInfo>& written,
                              const std::vector<StreamInfo>& found) {
    if (written.empty()) {
        return found.empty() ? "no stream at all" : "";
    }
    // A stream read back as another codec is as lost as a missing one: AAC frames in an MPEG
    // program stream read as MPEG audio that no player can decode.
    std::string missing;
    for (const StreamInfo& w : written) {
        if (w.kind != "Video" && w.kind != "Audio") {
            continue;
        }
        bool there = false;
        for (const StreamInfo& f : found) {
            there = there || (f.kind == w.kind && f.codec == w.codec);
        }
        if (!there) {
            missing += (missing.empty() ? "no " : " and no ") + w.codec + " " + w.kind + " stream";
        }
    }
    return missing;
}

std::vector<StreamInfo> OpenAsPlayersWould(const std::string& ffmpeg, const std::string& file,
                                           std::string& why) {
    const CapturedRun run =
        RunAndCapture(ffmpeg, {"-hide_banner", "-nostdin", "-i", file}, Capture::Stderr);
    std::vector<StreamInfo> streams = ListStreams(run.output, Section::Inputs);
    if (streams.empty()) {
        why = run.started ? LastLine(run.output) : run.error;
    }
    return streams;
}

}  // namespace mk::toolkit
