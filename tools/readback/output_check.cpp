#include "readback/output_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

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

std::string ShortOf(const ExpectedLength& expected, std::optional<double> found) {
    if (!expected.seconds || (found && *found + expected.slack >= *expected.seconds)) {
        return "";
    }
    char text[128];
    const char* whose = expected.asked ? "asked for" : "ffmpeg reported writing";
    if (!found) {
        std::snprintf(text, sizeof text, "no readable length of the %.2f s %s", *expected.seconds,
                      whose);
    } else {
        std::snprintf(text, sizeof text, "%.2f s of the %.2f s %s", *found, *expected.seconds,
                      whose);
    }
    return text;
}

namespace {

// Every picture, sound and subtitle packet copied to nothing: the read goes to the file's end,
// and ffmpeg's last statistics tell the length read.
const std::vector<std::string> kReadThrough = {"-map", "0:v?", "-map", "0:a?", "-map", "0:s?",
                                               "-c",   "copy", "-f",   "null", "-"};

ReadResult Judge(const std::string& said, bool started, const std::string& error) {
    ReadResult result;
    result.streams = ListStreams(said, Section::Inputs);
    result.length = LastStatisticsTime(said);
    if (result.streams.empty()) {
        result.why = started ? LastLine(said) : error;
    }
    return result;
}

}  // namespace

bool ReadBack::Start(const std::string& ffmpeg) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    ShellOptions options;
    options.out = Route::Inherit;
    options.ownGroup = false;
    options.fd3 = fds[0];
    std::vector<std::string> argv = {ffmpeg,      "-hide_banner", "-nostdin", "-f",
                                     "concat",    "-safe",        "0",        "-protocol_whitelist",
                                     "file,pipe", "-i",           "pipe:3"};
    argv.insert(argv.end(), kReadThrough.begin(), kReadThrough.end());
    const bool started = m_reader.StartProgram(argv, options);
    close(fds[0]);
    m_list = fds[1];
    return started;
}

ReadResult ReadBack::Read(const std::string& file) {
    std::string path = file.substr(0, 5) == "file:" ? file.substr(5) : file;
    if (path.empty() || path[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        path = std::string(cwd ? cwd : ".") + "/" + path;
        free(cwd);
    }
    // "file:" so that the name is not read as relative to the list's own "pipe:3".
    std::string list = "ffconcat version 1.0\nfile 'file:";
    for (char c : path) {
        list += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    list += "'\n";
    // The list fits the pipe's buffer, and closing our end is its end. A reader that has ended
    // already (SIGPIPE is ignored while ffmpeg runs) leaves what it said.
    (void)!write(m_list, list.data(), list.size());
    close(m_list);
    m_list = -1;
    std::string said;
    PumpHandlers keep;
    keep.onErr = [&](std::string_view chunk) { said.append(chunk); };
    Pump(m_reader, keep);
    return Judge(said, true, "");
}

ReadBack::~ReadBack() {
    Close();
}

void ReadBack::Close() {
    if (m_list >= 0) {
        close(m_list);  // the reader gets an empty list and ends
        m_list = -1;
    }
    if (m_reader.Started() && !m_reader.ShellEnded()) {
        m_reader.Signal(SIGKILL);
        Pump(m_reader, {});
    }
}

ReadResult OpenAsPlayersWould(const std::string& ffmpeg, const std::string& file) {
    std::vector<std::string> argv = {ffmpeg, "-hide_banner", "-nostdin", "-i", file};
    argv.insert(argv.end(), kReadThrough.begin(), kReadThrough.end());
    const CapturedRun run = RunCaptured(argv, Capture::Stderr);
    return Judge(run.output, run.started, run.error);
}

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

}  // namespace mk::toolkit
