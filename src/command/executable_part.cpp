#include "command/executable_part.h"

namespace mk {

namespace {

bool IsPlainWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

// The codec word comes from the probe report, which is text we do not control (when the report
// has no audio line, a piece of its first line is taken). cmd gets it unchanged.
std::string ShellWord(const ShellDialect& d, const std::string& word) {
    if (d.IsWindows()) {
        return word;
    }
    bool plain = true;
    for (char c : word) {
        plain = plain && IsPlainWordChar(c);
    }
    if (plain) {
        return word;
    }
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += "'";
    return quoted;
}

}  // namespace

std::string ExecutablePart(const ShellDialect& d, const std::string& folder, const EncoderFields& f,
                           const std::string& audioCodec, bool forEncode) {
    const std::string dir = d.Escape(folder);
    if (f.m_bUseAviSynth != 1) {
        return dir + d.FfmpegExe() + "\"";
    }
    std::string part;
    part += dir;
    part += d.Avs2yuvExe() + "\" \"";
    part += dir;
    part += "TV.avs\"";
    part += " - | \"";
    part += dir;
    part += d.FfmpegExe() + "\" ";
    part += "-f yuv4mpegpipe -i - -acodec ";
    part += ShellWord(d, audioCodec);
    part += " -i \"";
    part += d.Escape(f.m_strSourceFile);
    part += forEncode ? "\" " : "\" -hq ";
    return part;
}

}  // namespace mk
