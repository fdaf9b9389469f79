#include "common/output_check.h"

#include "common/process.h"

namespace mk::toolkit {

namespace {

bool HasKind(const std::vector<StreamInfo>& streams, const std::string& kind) {
    for (const StreamInfo& s : streams)
        if (s.kind == kind)
            return true;
    return false;
}

std::string LastLine(const std::string& text) {
    size_t end = text.find_last_not_of("\r\n");
    if (end == std::string::npos)
        return {};
    const size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

}  // namespace

std::string MissingFromOutput(const std::vector<StreamInfo>& written,
                              const std::vector<StreamInfo>& found) {
    if (written.empty())
        return found.empty() ? "no stream at all" : "";
    std::string missing;
    for (const char* kind : {"Video", "Audio", "Subtitle"}) {
        if (HasKind(written, kind) && !HasKind(found, kind))
            missing += std::string(missing.empty() ? "no " : " and no ") + kind + " stream";
    }
    return missing;
}

std::vector<StreamInfo> OpenAsPlayersWould(const std::string& ffmpeg, const std::string& file,
                                           std::string& why) {
    const CapturedRun run =
        RunAndCapture(ffmpeg, {"-hide_banner", "-nostdin", "-i", file}, Capture::Stderr);
    std::vector<StreamInfo> streams = ListStreams(run.output, Section::Inputs);
    if (streams.empty())
        why = run.started ? LastLine(run.output) : run.error;
    return streams;
}

}  // namespace mk::toolkit
