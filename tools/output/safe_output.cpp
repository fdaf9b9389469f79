#include "output/safe_output.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace mk::toolkit {

namespace {

constexpr std::string_view kFilePrefix = "file:";

std::string WithoutFilePrefix(const std::string& name) {
    return name.substr(0, kFilePrefix.size()) == kFilePrefix ? name.substr(kFilePrefix.size())
                                                             : name;
}

bool IsStandardInput(const std::string& name) {
    return name == "-" || name == "pipe:" || name == "pipe:0" || name == "/dev/stdin";
}

// A name ffmpeg writes through a protocol: "pipe:1", "udp://host:1234", "rtmp://...". Any other
// prefix before a colon is no protocol ffmpeg knows, and the name a file's.
bool HasProtocol(const std::string& name) {
    if (name.substr(0, 5) == "pipe:") {
        return true;
    }
    const size_t scheme = name.find("://");
    if (scheme == std::string::npos || scheme == 0) {
        return false;
    }
    for (size_t i = 0; i < scheme; ++i) {
        const char c = name[i];
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.')) {
            return false;
        }
    }
    return true;
}

unsigned NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Removes the temporary files beside `target` that a run killed outright left behind: a live
// run holds a lock on its own.
void SweepStale(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string pattern = TemporaryPattern(target).substr(folder.size());
    const std::string prefix = pattern.substr(0, pattern.rfind("XXXXXX"));
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        if (std::string_view(entry->d_name).substr(0, prefix.size()) != prefix) {
            continue;
        }
        const std::string path = folder + entry->d_name;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        struct stat st;
        if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            flock(fd, LOCK_EX | LOCK_NB) == 0) {
            unlink(path.c_str());
        }
        if (fd >= 0) {
            close(fd);
        }
    }
    closedir(dir);
}

}  // namespace

std::optional<std::string> InputSameAsOutput(const std::vector<std::string>& inputs,
                                             const std::string& output) {
    struct stat out;
    if (stat(WithoutFilePrefix(output).c_str(), &out) != 0) {
        return std::nullopt;
    }
    for (const std::string& input : inputs) {
        struct stat in;
        const bool known = IsStandardInput(input)
                               ? fstat(STDIN_FILENO, &in) == 0
                               : stat(WithoutFilePrefix(input).c_str(), &in) == 0;
        if (known && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
            return input;
        }
    }
    return std::nullopt;
}

bool WritesRegularFile(const std::string& output, const std::string& muxer) {
    static constexpr std::string_view kManyFiles[] = {
        "image2", "segment", "stream_segment",   "ssegment",   "hls", "dash",
        "tee",    "null",    "smooth_streaming", "webm_chunk", "fifo"};
    for (std::string_view m : kManyFiles) {
        if (muxer == m) {
            return false;
        }
    }
    const std::string name = WithoutFilePrefix(output);
    if (name.empty() || name == "-" || name.find('%') != std::string::npos ||
        (name == output && HasProtocol(name))) {
        return false;
    }
    struct stat st;
    if (stat(name.c_str(), &st) == 0) {
        return S_ISREG(st.st_mode);
    }
    return true;
}

std::string TemporaryPattern(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    const std::string extension = dot == std::string::npos || dot == 0 ? "" : base.substr(dot);
    // Within the longest name a folder takes (255 bytes): a long name is shortened.
    const size_t room = 255 - std::min<size_t>(255, 11 + extension.size());
    return folder + "." + base.substr(0, room) + ".mk-XXXXXX" + extension;
}

std::string ReplaceOnSuccess::Folder() const {
    const size_t slash = m_target.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : m_target.substr(0, slash);
}

ReplaceOnSuccess::~ReplaceOnSuccess() {
    Discard();
}

bool ReplaceOnSuccess::Begin(const std::string& output, std::string& why) {
    m_prefix = output.substr(0, kFilePrefix.size()) == kFilePrefix ? std::string(kFilePrefix) : "";
    m_target = WithoutFilePrefix(output);
    // A link is written through, as ffmpeg would: the file it points at (existing or not) is
    // the one replaced or made; the link stays.
    struct stat st;
    for (int hops = 0; hops < 40 && lstat(m_target.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
         ++hops) {
        char to[4096];
        const ssize_t n = readlink(m_target.c_str(), to, sizeof to - 1);
        if (n <= 0) {
            break;
        }
        const std::string link(to, static_cast<size_t>(n));
        const size_t slash = m_target.rfind('/');
        m_target = link[0] == '/' || slash == std::string::npos
                       ? link
                       : m_target.substr(0, slash + 1) + link;
    }
    if (lstat(m_target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        why = std::strerror(ELOOP);  // a loop of links: ffmpeg could not open it either
        return false;
    }
    m_hadTarget = stat(m_target.c_str(), &st) == 0;
    if (m_hadTarget && access(m_target.c_str(), W_OK) != 0) {
        // A file the user may not write (read-only to them): ffmpeg would not replace it either.
        why = std::string(std::strerror(errno)) + " on the file itself";
        return false;
    }
    m_mode = m_hadTarget ? (st.st_mode & 07777) : NewFileMode();
    std::string pattern = TemporaryPattern(m_target);
    const size_t slash = m_target.rfind('/');
    const std::string base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    const size_t dot = base.rfind('.');
    const int suffix = dot == std::string::npos || dot == 0 ? 0 : int(base.size() - dot);
    SweepStale(m_target);
    m_fd = mkostemps(pattern.data(), suffix, O_CLOEXEC);
    if (m_fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    flock(m_fd, LOCK_EX | LOCK_NB);  // this run is alive: no sweep of another run takes the file
    m_temporary = pattern;
    return true;
}

bool ReplaceOnSuccess::Commit(std::string& why) {
    if (m_fd < 0) {
        return true;
    }
    // On disk before it takes the old file's place, so a crash never leaves a cut-off file there.
    // By name: the file ffmpeg wrote is the one that counts.
    const int written = open(m_temporary.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = written >= 0 && fchmod(written, m_mode) == 0 && fsync(written) == 0;
    if (written >= 0) {
        close(written);
    }
    ok = ok && std::rename(m_temporary.c_str(), m_target.c_str()) == 0;
    if (!ok) {
        why = std::strerror(errno);
        Discard();
        return false;
    }
    close(m_fd);
    m_fd = -1;
    m_temporary.clear();
    return true;
}

void ReplaceOnSuccess::Discard() {
    if (m_fd < 0) {
        return;
    }
    unlink(m_temporary.c_str());
    close(m_fd);
    m_fd = -1;
}

}  // namespace mk::toolkit
