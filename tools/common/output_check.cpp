#include "common/output_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

bool ReadBack::Start(const std::string& ffmpeg) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/mk-read-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        return false;
    }
    m_folder = pattern;
    const std::string pipe = m_folder + "/list";
    std::string error;
    if (mkfifo(pipe.c_str(), 0600) != 0) {
        return false;
    }
    return m_reader.Start(
        ffmpeg, {"-hide_banner", "-nostdin", "-f", "concat", "-safe", "0", "-i", pipe}, error);
}

std::vector<StreamInfo> ReadBack::Read(const std::string& file, std::string& why) {
    std::string path = file.substr(0, 5) == "file:" ? file.substr(5) : file;
    if (path.empty() || path[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        path = std::string(cwd ? cwd : ".") + "/" + path;
        free(cwd);
    }
    std::string list = "ffconcat version 1.0\nfile '";
    for (char c : path) {
        list += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    list += "'\n";
    // The reader waits in open() for a writer; one that has ended (or never reached the pipe)
    // gets nothing. The list fits the pipe's buffer, and closing our end is its end.
    const std::string pipe = m_folder + "/list";
    int fd = -1;
    while ((fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 && errno == ENXIO &&
           !m_reader.Ended()) {
        usleep(1000);
    }
    if (fd >= 0) {
        fcntl(fd, F_SETFL, 0);
        (void)!write(fd, list.data(), list.size());
        close(fd);
    }
    // What it said counts, even when it ended before it took the list.
    const CapturedRun run = m_reader.Finish();
    std::vector<StreamInfo> streams = ListStreams(run.output, Section::Inputs);
    if (streams.empty()) {
        why = LastLine(run.output);
    }
    return streams;
}

ReadBack::~ReadBack() {
    Close();
}

void ReadBack::Close() {
    m_reader.Kill();
    if (!m_folder.empty()) {
        unlink((m_folder + "/list").c_str());
        rmdir(m_folder.c_str());
        m_folder.clear();
    }
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
