// The program folder's avs2yuv: renders the source of an AviSynth script as YUV4MPEG, through the
// installed ffmpeg. Only the source filter and a few common filters are understood; any other line
// is reported and nothing is rendered, so the encode never runs on a picture the script did not ask
// for.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "avs2yuv/avs_script.h"
#include "installed/locate.h"
#include "platform/process_runner.h"

namespace {

constexpr const char* kName = "avs2yuv (Morvakelin)";

int Usage() {
    std::fprintf(
        stderr,
        "usage: avs2yuv SCRIPT.avs [-o] OUTPUT\n"
        "  OUTPUT \"-\" writes YUV4MPEG to standard output, any other name to that file\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace mk::toolkit;
    std::string scriptPath, output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            return Usage(), 0;
        }
        if (arg == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "%s: option %s is not supported\n", kName, arg.c_str());
            return Usage();
        } else if (scriptPath.empty()) {
            scriptPath = arg;
        } else if (output.empty()) {
            output = arg;
        } else {
            return Usage();
        }
    }
    if (scriptPath.empty() || output.empty()) {
        return Usage();
    }

    std::ifstream in(scriptPath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open %s\n", kName, scriptPath.c_str());
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    const AvsScript script = ReadAvsScript(text.str());
    if (!script.problems.empty()) {
        for (const std::string& p : script.problems) {
            std::fprintf(stderr, "%s: %s %s\n", kName, scriptPath.c_str(), p.c_str());
        }
        std::fprintf(stderr, "%s: nothing rendered\n", kName);
        return 2;
    }

    const FfmpegLocation ffmpeg = FindRealFfmpeg();
    if (ffmpeg.path.empty()) {
        std::fprintf(stderr, "%s: %s\n", kName, ffmpeg.error.c_str());
        return 127;
    }
    const size_t slash = scriptPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : scriptPath.substr(0, slash + 1);
    std::vector<std::string> words = Avs2yuvArguments(script, folder, output);
    words.insert(words.begin(), ffmpeg.path);
    const std::string failure = mk::ReplaceProcess(words);
    std::fprintf(stderr, "%s: %s\n", kName, failure.c_str());
    return 127;
}
