#include "platform/player_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace mk {

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsProgram(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string InFolder(const std::string& folder) {
    return folder + (folder.ends_with('/') ? "" : "/") + "ffplay";
}

}  // namespace

std::string FindFfplay(const char* ffplayEnv, const char* ffmpegEnv, const char* pathEnv) {
    if (ffplayEnv && *ffplayEnv) {
        const std::string named = IsFolder(ffplayEnv) ? InFolder(ffplayEnv) : ffplayEnv;
        if (IsProgram(named)) {
            return named;
        }
    }
    if (ffmpegEnv && *ffmpegEnv) {
        std::string folder = ffmpegEnv;
        if (!IsFolder(folder)) {
            const std::size_t slash = folder.find_last_of('/');
            folder = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
        }
        if (IsProgram(InFolder(folder))) {
            return InFolder(folder);
        }
    }
    std::string_view dirs = pathEnv ? pathEnv : "";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string dir(dirs.substr(0, colon));
        if (IsProgram(InFolder(dir.empty() ? "." : dir))) {
            return InFolder(dir.empty() ? "." : dir);
        }
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    }
    return {};
}

std::string FindFfplay() {
    return FindFfplay(std::getenv("MORVAKELIN_FFPLAY"), std::getenv("MORVAKELIN_FFMPEG"),
                      std::getenv("PATH"));
}

}  // namespace mk
