#include "installed/features.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/process_runner.h"

namespace mk::toolkit {

bool HelpListsOption(std::string_view helpText, std::string_view name) {
    const std::string needle = "-" + std::string(name);
    size_t pos = 0;
    while ((pos = helpText.find(needle, pos)) != std::string_view::npos) {
        const bool lineStart = pos == 0 || helpText[pos - 1] == '\n';
        const size_t after = pos + needle.size();
        const bool wordEnd = after == helpText.size() || helpText[after] == ' ' ||
                             helpText[after] == '\n' || helpText[after] == '[';
        if (lineStart && wordEnd) {
            return true;
        }
        pos = after;
    }
    return false;
}

FfmpegFeatures FeaturesFromHelp(std::string_view helpText) {
    FfmpegFeatures f;
    f.hasAsync = HelpListsOption(helpText, "async");
    return f;
}

std::string FeaturesKey(const std::string& ffmpegPath) {
    struct stat st;
    char real[4096];
    if (stat(ffmpegPath.c_str(), &st) != 0 || !realpath(ffmpegPath.c_str(), real)) {
        return {};
    }
    std::ostringstream key;
    key << real << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec << ' '
        << st.st_ino;
    return key.str();
}

bool ParseFeaturesCache(std::string_view cacheText, const std::string& key, FfmpegFeatures& out) {
    const size_t eol = cacheText.find('\n');
    if (key.empty() || eol == std::string_view::npos || cacheText.substr(0, eol) != key) {
        return false;
    }
    std::string_view rest = cacheText.substr(eol + 1);
    if (rest.substr(0, 6) != "async ") {
        return false;
    }
    out.hasAsync = rest.substr(6, 1) == "1";
    return true;
}

std::string FormatFeaturesCache(const std::string& key, const FfmpegFeatures& features) {
    return key + "\nasync " + (features.hasAsync ? "1" : "0") + "\n";
}

std::string CacheFolder() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
        return std::string(xdg) + "/morvakelin";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::string(home) + "/.cache/morvakelin";
    }
    return {};
}

void WriteCacheFile(const std::string& name, const std::string& text) {
    const std::string folder = CacheFolder();
    if (folder.empty()) {
        return;
    }
    const std::string parent = folder.substr(0, folder.rfind('/'));
    mkdir(parent.c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    const std::string file = folder + "/" + name;
    const std::string temp = file + "." + std::to_string(getpid());
    {
        std::ofstream out(temp);
        out << text;
    }
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
        std::remove(temp.c_str());
    }
}

FfmpegFeatures QueryFeatures(const std::string& ffmpegPath) {
    const std::string folder = CacheFolder();
    const std::string key = FeaturesKey(ffmpegPath);
    const std::string file = folder + "/ffmpeg-features";
    FfmpegFeatures features;
    if (!folder.empty()) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        if (ParseFeaturesCache(text.str(), key, features)) {
            return features;
        }
    }
    const CapturedRun run =
        RunCaptured({ffmpegPath, "-hide_banner", "-h", "long"}, Capture::Stdout);
    // An ffmpeg that cannot answer is left to judge the options itself.
    if (!run.started || run.output.empty()) {
        return features;
    }
    features = FeaturesFromHelp(run.output);
    if (!key.empty()) {
        WriteCacheFile("ffmpeg-features", FormatFeaturesCache(key, features));
    }
    return features;
}

}  // namespace mk::toolkit
