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

FfmpegFeatures QueryFeatures(const std::string& ffmpegPath) {
    std::string folder;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
        folder = std::string(xdg) + "/morvakelin";
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        folder = std::string(home) + "/.cache/morvakelin";
    }
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
    if (!folder.empty() && !key.empty()) {
        // Written aside and renamed, so a reader never sees half a file. Failure only costs
        // asking again next time.
        const std::string parent = folder.substr(0, folder.rfind('/'));
        mkdir(parent.c_str(), 0700);
        mkdir(folder.c_str(), 0700);
        const std::string temp = file + "." + std::to_string(getpid());
        {
            std::ofstream out(temp);
            out << FormatFeaturesCache(key, features);
        }
        if (std::rename(temp.c_str(), file.c_str()) != 0) {
            std::remove(temp.c_str());
        }
    }
    return features;
}

}  // namespace mk::toolkit
