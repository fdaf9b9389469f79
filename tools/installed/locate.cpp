#include "installed/locate.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace mk::toolkit {

namespace {

// Kept in the binary as one string; the \x01 bytes make a chance match in ffmpeg impossible.
constexpr char kMarker[] = "\x01MORVAKELIN-COMPAT-TOOL:ffmpeg-stand-in\x01";

bool IsExecutableFile(const std::string& path, struct stat& st) {
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool SameFile(const struct stat& a, const std::string& other) {
    struct stat b;
    return stat(other.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Usable as the real ffmpeg: an executable file that is neither this program nor one of ours.
bool Usable(const std::string& path, const std::string& self, std::string* why) {
    struct stat st;
    if (!IsExecutableFile(path, st)) {
        if (why) {
            *why = path + " is not an executable file";
        }
        return false;
    }
    if ((!self.empty() && SameFile(st, self)) || IsOwnTool(path)) {
        if (why) {
            *why = path + " is Morvakelin's own stand-in, not the real ffmpeg";
        }
        return false;
    }
    return true;
}

}  // namespace

std::string_view OwnToolMarker() {
    // Through a volatile read, so the optimiser keeps the array itself in the binary.
    static const volatile char* keep = kMarker;
    return std::string_view(const_cast<const char*>(keep), sizeof kMarker - 1);
}

bool IsOwnTool(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    bool found = false;
    if (fstat(fd, &st) == 0 && st.st_size > 0) {
        const size_t size = static_cast<size_t>(st.st_size);
        void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data != MAP_FAILED) {
            const std::string_view marker = OwnToolMarker();
            found = memmem(data, size, marker.data(), marker.size()) != nullptr;
            munmap(data, size);
        }
    }
    close(fd);
    return found;
}

FfmpegLocation FindRealFfmpeg(const char* envValue, const char* pathValue,
                              const std::string& self) {
    FfmpegLocation found;
    std::string envProblem;
    if (envValue && *envValue) {
        std::string candidate = envValue;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            candidate += (candidate.back() == '/' ? "" : "/") + std::string("ffmpeg");
        }
        if (Usable(candidate, self, &envProblem)) {
            found.path = candidate;
            return found;
        }
    }
    std::string_view dirs = pathValue ? pathValue : "";
    while (true) {
        const size_t colon = dirs.find(':');
        std::string dir(dirs.substr(0, colon));
        if (dir.empty()) {
            dir = ".";  // an empty PATH entry is the current folder
        }
        const std::string candidate = dir + "/ffmpeg";
        if (pathValue && *pathValue && Usable(candidate, self, nullptr)) {
            found.path = candidate;
            return found;
        }
        if (colon == std::string_view::npos) {
            break;
        }
        dirs.remove_prefix(colon + 1);
    }
    found.error =
        "no ffmpeg found: set MORVAKELIN_FFMPEG to the installed ffmpeg, or put it on "
        "PATH";
    if (!envProblem.empty()) {
        found.error += " (MORVAKELIN_FFMPEG: " + envProblem + ")";
    }
    return found;
}

FfmpegLocation FindRealFfmpeg() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    const std::string self = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    return FindRealFfmpeg(std::getenv("MORVAKELIN_FFMPEG"), std::getenv("PATH"), self);
}

}  // namespace mk::toolkit
