#include "jobs/stream_test.h"

namespace mk {

std::string StreamTestArguments(const ShellDialect& d, const std::string& folder,
                                const EncoderFields& f) {
    std::string args = " -i \"";
    args += d.Escape(f.m_strSourceFile);
    args += "\"";
    args += " -vn -acodec mp2 -ar 48000 -ab 224000 -ac 2 -y ";
    args += "\"";
    args += d.Escape(folder);
    args += kStreamTestFile;
    args += "\"";
    args += " -map 0.";
    args += f.m_strAudioStream;
    args += ":0.0";
    args += d.ConsoleClose();
    return args;
}

std::string StreamTestConsoleLine(const ShellDialect& d, const std::string& folder,
                                  const std::string& args) {
    return d.ConsoleLine("\"" + d.Escape(folder) + d.FfmpegExe() + "\"" + args);
}

}  // namespace mk
