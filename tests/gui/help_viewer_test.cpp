// The help window opens a help file at the topic of a context number.
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "qt/help_viewer.h"

namespace mk {
namespace {

// Topics 1 to 9, each long enough that a later one is far down the page.
std::string HelpText() {
    std::string html = "<html><head><meta charset=\"utf-8\"></head><body>";
    for (int n = 1; n <= 9; ++n) {
        html += "<h2 id=\"ctx-" + std::to_string(n) + "\">Topic " + std::to_string(n) +
                " \xC3\x9C"
                "bersicht</h2>";
        for (int p = 0; p < 40; ++p) {
            html += "<p>Text of topic " + std::to_string(n) + ".</p>";
        }
    }
    return html + "</body></html>";
}

// The text of the first block visible at the top of the browser.
QString TopBlockText(QTextBrowser* browser) {
    return browser->cursorForPosition(QPoint(5, 5)).block().text();
}

TEST(HelpViewer, OpensAtTheTopicOfTheContext) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("MORVAKELIN_ENG.HLP")).toStdString();
    std::ofstream(path, std::ios::binary) << HelpText();

    for (int context : {4, 7, 4, 1}) {
        ASSERT_TRUE(HelpViewer::Show(path, context, nullptr));
        HelpViewer* viewer = HelpViewer::Instance();
        ASSERT_NE(viewer, nullptr);
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_EQ(TopBlockText(viewer->Browser()),
                  QStringLiteral("Topic %1 \u00DCbersicht").arg(context));
        EXPECT_EQ(viewer->windowTitle(), "Morvakelin Help");  // not the file's name
    }
    // A page with a title of its own is shown under it.
    std::ofstream(path, std::ios::binary) << "<html><head><title>Morvakelin Hilfe</title></head>";
    ASSERT_TRUE(HelpViewer::Show(path, 4, nullptr));
    EXPECT_EQ(HelpViewer::Instance()->windowTitle(), "Morvakelin Hilfe");
    HelpViewer::Instance()->close();
}

TEST(HelpViewer, MissingOrUnreadableFileIsReported) {
    QTemporaryDir dir;
    EXPECT_FALSE(
        HelpViewer::Show(dir.filePath(QStringLiteral("none.HLP")).toStdString(), 4, nullptr));
    EXPECT_FALSE(HelpViewer::Show(dir.path().toStdString(), 4, nullptr));  // a folder
    const std::string locked = dir.filePath(QStringLiteral("locked.HLP")).toStdString();
    std::ofstream(locked) << HelpText();
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    std::ifstream probe(locked);
    if (!probe) {  // root reads anything; the case only holds for an ordinary user
        EXPECT_FALSE(HelpViewer::Show(locked, 4, nullptr));
    }
}

}  // namespace
}  // namespace mk
