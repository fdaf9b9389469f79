#include "disc/disc_titles.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/folder_lock.h"

namespace mk::disc {

namespace {

std::string Line(const StoredTitle& title) {
    std::ostringstream line;
    line << title.seconds;
    for (const std::string& a : title.args) {
        line << "\t" << a;
    }
    return line.str() + "\n";
}

std::vector<StoredTitle> Parse(const std::string& text) {
    std::vector<StoredTitle> titles;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) {
            continue;
        }
        StoredTitle title;
        std::istringstream words(line);
        std::string word;
        std::getline(words, word, '\t');
        title.seconds = std::atof(word.c_str());
        while (std::getline(words, word, '\t')) {
            title.args.push_back(word);
        }
        titles.push_back(std::move(title));
    }
    return titles;
}

}  // namespace

std::string DiscTitlesPath(const std::string& programFolder) {
    return programFolder + "Conf/disc_titles.txt";
}

std::optional<TitleArgs> TitleArgsOf(const EncoderFields& f) {
    TitleArgs args{"--source",        f.m_strSourceFile,   "--target",       f.m_strTarget,
                   "--format",        f.m_strFormat,       "--aspect",       f.m_strAspect,
                   "--video-bitrate", f.m_strVideoBitrate, "--width",        f.m_strWidth,
                   "--height",        f.m_strHeight,       "--audio-target", f.m_strAudioTarget,
                   "--audio-bitrate", f.m_strAudioBitrate, "--channels",     f.m_strChannels,
                   "--video-stream",  f.m_strVideoStream,  "--audio-stream", f.m_strAudioStream,
                   "--more-options",  f.m_strMoreOptions,  "--no-presets"};
    for (const auto& [on, flag] :
         {std::pair{!f.m_bProcessVideo, "--no-video"}, std::pair{!f.m_bProcessAudio, "--no-audio"},
          std::pair{f.m_bCorrectRatio != 0, "--correct-ratio"},
          std::pair{f.m_bUseAviSynth != 0, "--avisynth"}}) {
        if (on) {
            args.push_back(flag);
        }
    }
    for (std::string& a : args) {
        if (a.find_first_of("\t\r\n") != std::string::npos) {
            return std::nullopt;
        }
    }
    return args;
}

std::string ArgValue(const TitleArgs& args, const std::string& option) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == option) {
            return args[i + 1];
        }
    }
    return {};
}

std::vector<StoredTitle> ReadDiscTitles(const std::string& path) {
    const FolderLock lock(path);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

bool WriteDiscTitles(const std::string& path, const std::vector<StoredTitle>& titles) {
    const FolderLock lock(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const StoredTitle& t : titles) {
        out << Line(t);
    }
    return static_cast<bool>(out.flush());
}

bool AppendDiscTitle(const std::string& path, const StoredTitle& title) {
    const FolderLock lock(path);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << Line(title);
    return static_cast<bool>(out.flush());
}

}  // namespace mk::disc
