// The files and command lines that turn encoded titles into a disc: dvdauthor's XML (titles
// first, then the table of contents with the title menu), the menu's background and button
// images drawn by ffmpeg, spumux's XML, the ISO image, and vcdimager's cue/bin. Every command
// runs inside the disc's work folder and names its files relative to it.
#pragma once

#include <string>
#include <vector>

#include "disc/disc_plan.h"
#include "platform/shell_dialect.h"

namespace mk::disc {

struct DiscTitle {
    std::string mpeg;              // the encoded title, in the work folder
    std::string label;             // the menu's text for it: the source's name
    double seconds = 0;            // its length
    std::vector<double> chapters;  // starts in seconds, the first 0
};

struct DiscLayout {
    DiscKind kind = DiscKind::Dvd;
    bool pal = true;
    bool wide = false;   // 16:9
    std::string volume;  // the file system's label
    std::vector<DiscTitle> titles;

    bool HasMenu() const { return kind == DiscKind::Dvd && titles.size() > 1; }
    int Height() const { return pal ? 576 : 480; }
};

// The most titles one menu page holds.
int MostMenuTitles(bool pal);

// A menu button: its rectangle on the 720-pixel-wide frame.
struct Button {
    int x0, y0, x1, y1;
};
std::vector<Button> MenuButtons(const DiscLayout& layout);

// The work folder's file names.
inline constexpr const char* kDvdFolder = "dvd";
inline constexpr const char* kTitlesXml = "titles.xml";
inline constexpr const char* kTocXml = "toc.xml";
inline constexpr const char* kSpumuxXml = "menu.xml";
inline constexpr const char* kSpumuxLetterboxXml = "menu-letterbox.xml";  // 16:9 on a 4:3 set
inline constexpr const char* kMenuMpeg = "menu.mpg";
inline constexpr const char* kMenuWithButtons = "menu-buttons.mpg";
// The text of the menu's heading and of each button sits in a file of its own, so that no name
// needs escaping inside an ffmpeg filter.
std::string LabelFile(std::size_t title);  // "label01.txt"; "label00.txt" is the heading

std::string TitlesXml(const DiscLayout& layout);
std::string TocXml(const DiscLayout& layout);  // the menu, or straight into title 1
std::string SpumuxXml(const DiscLayout& layout, bool letterbox);

// `ffmpeg` is the installed one (quoted by the caller's dialect), `escape` the dialect.
std::vector<std::string> MenuCommands(const DiscLayout& layout, const std::string& ffmpeg,
                                      const ShellDialect& d);
std::vector<std::string> DvdauthorCommands(const DiscLayout& layout);

// The ISO maker: genisoimage writes the UDF bridge DVD players need (-dvd-video); xorriso only
// where genisoimage is missing, with its own -dvd-video.
std::string IsoCommand(bool genisoimage, const std::string& volume, const std::string& image,
                       const ShellDialect& d);
std::string VcdimagerCommand(const DiscLayout& layout, const std::string& cue,
                             const std::string& bin, const ShellDialect& d);

// A volume label made of a name: upper-case letters, digits and '_', at most 32.
std::string VolumeLabel(const std::string& name);

}  // namespace mk::disc
