#include "disc/disc_author.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace mk::disc {

namespace {

constexpr int kFrameWidth = 720;
constexpr int kHeadingTop = 44;
constexpr int kFirstRow = 120;
constexpr int kBottomMargin = 48;
constexpr int kRowMost = 52;
constexpr int kRowLeast = 30;
constexpr int kSideMargin = 60;
constexpr const char* kBlackClear = "format=rgba,colorkey=0x000000:0.01:0";

// The background is drawn on square pixels and then squeezed onto the 720-pixel frame, so that
// the text looks right once the player stretches the frame to 4:3 or 16:9.
int DrawingWidth(const DiscLayout& layout) {
    return layout.Height() * (layout.wide ? 16 : 4) / (layout.wide ? 9 : 3);
}

int RowHeight(const DiscLayout& layout) {
    const int n = std::max<int>(1, static_cast<int>(layout.titles.size()));
    return std::clamp((layout.Height() - kFirstRow - kBottomMargin) / n, kRowLeast, kRowMost);
}

std::string VideoTag(const DiscLayout& layout) {
    std::string tag = std::string("<video format=\"") + (layout.pal ? "pal" : "ntsc") +
                      "\" aspect=\"" + (layout.wide ? "16:9" : "4:3") + "\"";
    if (layout.wide) {
        tag += " widescreen=\"nopanscan\"";
    }
    return tag + "/>";
}

std::string Env(const DiscLayout& layout) {
    return std::string("VIDEO_FORMAT=") + (layout.pal ? "PAL" : "NTSC") + " ";
}

std::string Target(const DiscLayout& layout) {
    return std::string(layout.pal ? "pal" : "ntsc") + "-dvd";
}

}  // namespace

int MostMenuTitles(bool pal) {
    return ((pal ? 576 : 480) - kFirstRow - kBottomMargin) / kRowLeast;
}

std::vector<Button> MenuButtons(const DiscLayout& layout) {
    std::vector<Button> buttons;
    const int row = RowHeight(layout);
    for (std::size_t i = 0; i < layout.titles.size(); ++i) {
        // Even lines: a subpicture's fields start on even rows.
        const int top = (kFirstRow + static_cast<int>(i) * row) & ~1;
        const int bottom = (top + row - 6) & ~1;
        buttons.push_back({kSideMargin, top, kFrameWidth - kSideMargin, bottom});
    }
    return buttons;
}

std::string LabelFile(std::size_t title) {
    char name[32];
    std::snprintf(name, sizeof name, "label%02zu.txt", title);
    return name;
}

std::string TitlesXml(const DiscLayout& layout) {
    std::string xml = "<dvdauthor>\n <titleset>\n  <titles>\n   " + VideoTag(layout) + "\n";
    for (const DiscTitle& title : layout.titles) {
        xml += "   <pgc>\n    <vob file=\"" + title.mpeg + "\" chapters=\"" +
               ChapterList(title.chapters) + "\"/>\n";
        if (layout.HasMenu()) {
            xml += "    <post>call vmgm menu 1;</post>\n";  // back to the menu at its end
        }
        xml += "   </pgc>\n";
    }
    return xml + "  </titles>\n </titleset>\n</dvdauthor>\n";
}

std::string TocXml(const DiscLayout& layout) {
    std::string xml = "<dvdauthor>\n <vmgm>\n";
    if (!layout.HasMenu()) {
        return xml + "  <fpc>jump title 1;</fpc>\n </vmgm>\n</dvdauthor>\n";
    }
    xml += "  <fpc>jump vmgm menu 1;</fpc>\n  <menus>\n   " + VideoTag(layout) + "\n";
    if (layout.wide) {
        xml +=
            "   <subpicture><stream id=\"0\" mode=\"widescreen\"/>"
            "<stream id=\"1\" mode=\"letterbox\"/></subpicture>\n";
    }
    xml += "   <pgc entry=\"title\">\n    <vob file=\"" + std::string(kMenuWithButtons) +
           "\" pause=\"inf\"/>\n";
    for (std::size_t i = 0; i < layout.titles.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        xml += "    <button name=\"b" + n + "\">jump title " + n + ";</button>\n";
    }
    return xml + "   </pgc>\n  </menus>\n </vmgm>\n</dvdauthor>\n";
}

std::string SpumuxXml(const DiscLayout& layout, bool letterbox) {
    std::vector<Button> buttons = MenuButtons(layout);
    const std::string images = letterbox ? "-letterbox.png" : ".png";
    if (letterbox) {
        for (Button& b : buttons) {
            b.y0 = (layout.Height() / 8 + b.y0 * 3 / 4) & ~1;
            b.y1 = (layout.Height() / 8 + b.y1 * 3 / 4) & ~1;
        }
    }
    std::string xml = std::string("<subpictures format=\"") + (layout.pal ? "PAL" : "NTSC") +
                      "\">\n <stream>\n  <spu force=\"yes\" start=\"00:00:00.00\" "
                      "image=\"normal" +
                      images + "\" highlight=\"highlight" + images + "\" select=\"select" + images +
                      "\">\n";
    const std::size_t n = buttons.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Button& b = buttons[i];
        // The arrows go round: down from the last button is the first.
        const std::string up = "b" + std::to_string((i + n - 1) % n + 1);
        const std::string down = "b" + std::to_string((i + 1) % n + 1);
        xml += "   <button name=\"b" + std::to_string(i + 1) + "\" x0=\"" + std::to_string(b.x0) +
               "\" y0=\"" + std::to_string(b.y0) + "\" x1=\"" + std::to_string(b.x1) + "\" y1=\"" +
               std::to_string(b.y1) + "\" up=\"" + up + "\" down=\"" + down + "\"/>\n";
    }
    return xml + "  </spu>\n </stream>\n</subpictures>\n";
}

std::vector<std::string> MenuCommands(const DiscLayout& layout, const std::string& ffmpeg,
                                      const ShellDialect& d) {
    const std::string ff = "\"" + d.Escape(ffmpeg) + "\" -nostdin -v error -y ";
    const int width = DrawingWidth(layout);
    const int height = layout.Height();
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const int row = RowHeight(layout);
    const int font = std::min(30, row - 14);
    // The heading and one line per title, each text read from its file.
    std::string draw = "drawtext=textfile=" + LabelFile(0) +
                       ":expansion=none:fontsize=40:fontcolor=white:x=(w-text_w)/2:y=" +
                       std::to_string(kHeadingTop);
    const std::vector<Button> buttons = MenuButtons(layout);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const int x = (kSideMargin + 24) * width / kFrameWidth;
        const int y = buttons[i].y0 + (buttons[i].y1 - buttons[i].y0 - font) / 2;
        draw += ",drawtext=textfile=" + LabelFile(i + 1) +
                ":expansion=none:fontsize=" + std::to_string(font) +
                ":fontcolor=0xe8e8e8:x=" + std::to_string(x) + ":y=" + std::to_string(y);
    }
    draw += ",scale=720:" + std::to_string(height) + ",setsar=1";
    // The button images: a frame round each button on a transparent picture, thin while idle,
    // in one colour for the button the remote is on and another for the one chosen.
    auto frames = [&](const char* colour, const char* file, int thickness) {
        std::string boxes;
        for (const Button& b : buttons) {
            boxes += std::string(boxes.empty() ? "" : ",") + "drawbox=x=" + std::to_string(b.x0) +
                     ":y=" + std::to_string(b.y0) + ":w=" + std::to_string(b.x1 - b.x0) +
                     ":h=" + std::to_string(b.y1 - b.y0) + ":color=" + colour +
                     "@1:t=" + std::to_string(thickness);
        }
        // Drawn on black, then black made transparent: drawbox leaves an RGBA picture's alpha.
        return ff + "-f lavfi -i color=c=black:s=720x" + std::to_string(height) + " -vf " + boxes +
               "," + kBlackClear + " -frames:v 1 -pix_fmt rgba " + file;
    };
    std::vector<std::string> commands{
        ff + "-f lavfi -i color=c=0x1b2a49:s=" + size + " -vf \"" + draw +
            "\" -frames:v 1 background.png",
        frames("0x6070a0", "normal.png", 2),
        frames("0xffd700", "highlight.png", 4),
        frames("0xff4040", "select.png", 4),
        // One second of the still, with silent audio for players that want a sound track.
        ff + "-loop 1 -i background.png -f lavfi -i anullsrc=r=48000:cl=stereo -t 1 -target " +
            Target(layout) + " -aspect " + (layout.wide ? "16:9" : "4:3") +
            " -b:v 2000k -c:a mp2 -b:a 128k -shortest " + kMenuMpeg,
        std::string("spumux -s 0 ") + kSpumuxXml + " < " + kMenuMpeg + " > menu-0.mpg",
    };
    if (layout.wide) {
        // A 4:3 set shows the 16:9 menu letterboxed: the buttons a quarter flatter, below a bar.
        const std::string h = std::to_string(layout.Height());
        const std::string squeeze = " -vf scale=720:" + std::to_string(layout.Height() * 3 / 4) +
                                    ":flags=neighbor,pad=720:" + h +
                                    ":0:" + std::to_string(layout.Height() / 8) + ":color=black," +
                                    kBlackClear + " -pix_fmt rgba ";
        for (const char* image : {"normal", "highlight", "select"}) {
            commands.push_back(ff + "-i " + image + ".png" + squeeze + image + "-letterbox.png");
        }
        commands.push_back(std::string("spumux -s 1 ") + kSpumuxLetterboxXml + " < menu-0.mpg > " +
                           kMenuWithButtons);
    } else {
        commands.push_back(std::string("mv menu-0.mpg ") + kMenuWithButtons);
    }
    return commands;
}

std::vector<std::string> DvdauthorCommands(const DiscLayout& layout) {
    std::vector<std::string> commands{Env(layout) + "dvdauthor -o " + kDvdFolder + " -x " +
                                      kTitlesXml};
    if (layout.HasMenu()) {
        commands.push_back(Env(layout) + "dvdauthor -o " + kDvdFolder + " -x " + kTocXml);
    } else {
        commands.push_back(Env(layout) + "dvdauthor -o " + kDvdFolder + " -T");
    }
    return commands;
}

std::string IsoCommand(bool genisoimage, const std::string& volume, const std::string& image,
                       const ShellDialect& d) {
    const std::string tail =
        " -dvd-video -V \"" + d.Escape(volume) + "\" -o \"" + d.Escape(image) + "\" " + kDvdFolder;
    return genisoimage ? "genisoimage -quiet" + tail : "xorriso -as mkisofs" + tail;
}

std::string VcdimagerCommand(const DiscLayout& layout, const std::string& cue,
                             const std::string& bin, const ShellDialect& d) {
    std::string line = std::string("vcdimager -t ") +
                       (layout.kind == DiscKind::Svcd ? "svcd" : "vcd2") + " -l \"" +
                       d.Escape(layout.volume) + "\" -c \"" + d.Escape(cue) + "\" -b \"" +
                       d.Escape(bin) + "\"";
    for (const DiscTitle& title : layout.titles) {
        line += " " + title.mpeg;
    }
    return line;
}

std::string VolumeLabel(const std::string& name) {
    std::string label;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (label.size() < 32 && u < 128) {
            label += std::isalnum(u) ? static_cast<char>(std::toupper(u)) : '_';
        }
    }
    return label.empty() ? "DISC" : label;
}

}  // namespace mk::disc
