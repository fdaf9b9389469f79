// Preview, the stream test's playback and the support page must show something even where the
// desktop has no program for the file: ffplay plays sound and video, the help window shows a
// page, and otherwise a message names the file.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "qt/document_opener.h"
#include "qt/help_viewer.h"
#include "support/env_guard.h"
#include "support/fake_desktop.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

using mk::test::ReadFile;

void WriteScript(const fs::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    fs::permissions(path, fs::perms::owner_all);
}

TEST(DocumentOpener, FallsBackWhenTheDesktopHasNoProgram) {
    struct Case {
        const char* label;
        int xdgOpenExit;  // -1: no xdg-open at all
        bool ffplay;
        bool playerFails;  // no sound device, say
        std::string file;
        const char* expected;  // "desktop", "ffplay", "help" or "message"
    };
    const Case cases[] = {
        {"desktop opens it", 0, true, false, "clip.mpg", "desktop"},
        {"no program for the type", 3, true, false, "caf\xe9 clip.mpg", "ffplay"},
        {"no xdg-open", -1, true, false, "clip.mp2", "ffplay"},
        {"nothing can play it", 3, false, false, "clip.mpg", "message"},
        {"the player fails", -1, true, true, "clip.mp2", "ffplay, then message"},
        {"a page", -1, false, false, "support_eng.htm", "help"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FakeDesktop desktop;
        const fs::path bin = desktop.folder / "bin", player = desktop.folder / "player";
        fs::create_directories(bin);
        fs::create_directories(player);
        EnvironmentGuard env;
        env.Set("PATH", bin.string());  // no real xdg-open or ffplay
        env.Set("MORVAKELIN_FFMPEG", "");
        env.Set("MORVAKELIN_FFPLAY", c.ffplay ? player.string() : "");
        if (c.xdgOpenExit >= 0) {
            // Written aside and renamed, so the test never reads the file half written.
            WriteScript(bin / "xdg-open",
                        "printf '%s' \"$1\" > \"$0.tmp\"\n"
                        "/bin/mv \"$0.tmp\" \"${0%/*}/asked\"\nexit " +
                            std::to_string(c.xdgOpenExit) + "\n");
        }
        // The player keeps the file it was given (its last word) once it has played it or failed.
        WriteScript(player / "ffplay", std::string("for a; do f=$a; done\n") +
                                           (c.playerFails ? "echo 'audio open failed' >&2; code=1\n"
                                                          : "/bin/sleep 0.3; code=0\n") +
                                           "printf '%s' \"$f\" > \"$0.tmp\"\n"
                                           "/bin/mv \"$0.tmp\" \"${0%/*}/played\"\nexit $code\n");
        const std::string file = (desktop.folder / c.file).string();
        std::ofstream(file) << "<html><head><title>Support</title></head></html>";

        ASSERT_TRUE(mk::OpenDocumentSomehow(file, nullptr, desktop));
        const std::string expected = c.expected;
        if (c.xdgOpenExit >= 0) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(bin / "asked"); }));
            EXPECT_EQ(ReadFile(bin / "asked").rfind("file:///", 0), 0u);
        }
        QTest::qWait(200);  // for xdg-open's end to arrive
        const bool message = expected.ends_with("message");
        if (expected.starts_with("ffplay")) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(player / "played"); }));
            EXPECT_EQ(ReadFile(player / "played"), file);  // the very bytes of the name
            QTest::qWait(300);                             // for its end to be seen
        } else {
            EXPECT_FALSE(fs::exists(player / "played"));
        }
        if (message) {
            (void)QTest::qWaitFor([&] { return !desktop.messages.empty(); }, 5000);
        }
        ASSERT_EQ(desktop.messages.size(), message ? 1u : 0u)
            << (desktop.messages.empty() ? "" : desktop.messages.front().text);
        if (message) {
            EXPECT_NE(desktop.messages[0].text.find(file), std::string::npos);
        }
        if (c.playerFails) {
            EXPECT_NE(desktop.messages[0].text.find("audio open failed"), std::string::npos);
        }
        mk::HelpViewer* viewer = mk::HelpViewer::Instance();
        EXPECT_EQ(viewer != nullptr && viewer->isVisible(), expected == "help");
        if (viewer) {
            viewer->close();
        }
    }
}

}  // namespace
