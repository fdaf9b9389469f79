// Help and support paths per language and dialect, and the documents shipped in res/program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "platform/shell_dialect.h"
#include "support/files.h"
#include "ui/documents.h"

namespace {

namespace fs = std::filesystem;

struct PathCase {
    bool windows;
    std::string folder;
    std::string language;
    std::string help;
    std::string support;
};

TEST(LangDocuments, PathsPerLanguageAndDialect) {
    const std::string win = "C:\\Program Files\\Morvakelin\\";
    const std::vector<PathCase> cases{
        {true, win, "english", win + "Help\\Eng\\MORVAKELIN_ENG.HLP",
         win + "Conf\\support_eng.htm"},
        {true, win, "deutsch", win + "Help\\Ger\\MORVAKELIN_GER.HLP",
         win + "Conf\\support_ger.htm"},
        {false, "/opt/my mk/", "english", "/opt/my mk/Help/Eng/MORVAKELIN_ENG.HLP",
         "/opt/my mk/Conf/support_eng.htm"},
        {false, "/opt/my mk/", "deutsch", "/opt/my mk/Help/Ger/MORVAKELIN_GER.HLP",
         "/opt/my mk/Conf/support_ger.htm"},
        // A folder handed over without its separator still yields a path inside it.
        {false, "/opt/mk", "english", "/opt/mk/Help/Eng/MORVAKELIN_ENG.HLP",
         "/opt/mk/Conf/support_eng.htm"},
        {true, "C:\\mk", "deutsch", "C:\\mk\\Help\\Ger\\MORVAKELIN_GER.HLP",
         "C:\\mk\\Conf\\support_ger.htm"},
        // Neither exact word: help falls to German (not "english"), support to English
        // (not "deutsch").
        {false, "/p/", "Deutsch", "/p/Help/Ger/MORVAKELIN_GER.HLP", "/p/Conf/support_eng.htm"},
        {false, "/p/", "", "/p/Help/Ger/MORVAKELIN_GER.HLP", "/p/Conf/support_eng.htm"},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.folder + " / " + c.language);
        const mk::ShellDialect d =
            c.windows ? mk::ShellDialect::Windows() : mk::ShellDialect::Posix();
        EXPECT_EQ(mk::HelpFilePath(d, c.folder, c.language), c.help);
        EXPECT_EQ(mk::SupportPagePath(d, c.folder, c.language), c.support);
    }
}

fs::path ProgramResources() {
    return fs::path(MORVAKELIN_TEST_DATA).parent_path().parent_path() / "res" / "program";
}

using mk::test::ReadFile;

std::set<std::string> Captures(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        found.insert((*it)[1].str());
    }
    return found;
}

TEST(LangDocuments, HelpFilesHaveTheMainTopicAndNoBrokenLinks) {
    const std::string mainTopic = "id=\"ctx-" + std::to_string(mk::kMainFormHelpContext) + "\"";
    for (bool english : {true, false}) {
        const fs::path file = ProgramResources() / mk::ShellDialect::Posix().HelpFile(english);
        SCOPED_TRACE(file.string());
        ASSERT_TRUE(fs::is_regular_file(file));
        const std::string html = ReadFile(file);
        EXPECT_NE(html.find(mainTopic), std::string::npos);
        const auto ids = Captures(html, std::regex(R"re((?:id|name)="([^"]+)")re"));
        const auto links = Captures(html, std::regex(R"re(href="#([^"]+)")re"));
        EXPECT_FALSE(links.empty()) << "no table of contents";
        for (const std::string& link : links) {
            EXPECT_TRUE(ids.count(link)) << "link to missing topic #" << link;
        }
    }
}

TEST(LangDocuments, ShippedDocumentsAreSelfContained) {
    const mk::ShellDialect posix = mk::ShellDialect::Posix();
    for (const std::string& rel : {posix.HelpFile(true), posix.HelpFile(false),
                                   posix.SupportPage(false), posix.SupportPage(true)}) {
        const fs::path file = ProgramResources() / rel;
        SCOPED_TRACE(file.string());
        ASSERT_TRUE(fs::is_regular_file(file));
        std::string html = ReadFile(file);
        std::transform(html.begin(), html.end(), html.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
        EXPECT_EQ(html.find("src="), std::string::npos);
        EXPECT_EQ(html.find("<link"), std::string::npos);
    }
}

}  // namespace
