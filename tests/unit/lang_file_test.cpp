// The language file's bytes after saving and the start-up cases of reading it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/files.h"
#include "support/temp_dir.h"
#include "ui/language_file.h"

namespace {

namespace fs = std::filesystem;
using mk::RestoredLanguage;
using namespace std::string_literals;

class LangFile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_dir.Path() / "Conf");
        m_file = m_dir.File("Conf/LangConf.txt");
    }

    void Write(const std::string& bytes) { mk::test::WriteFile(m_file, bytes); }
    std::string Bytes() const { return mk::test::ReadFile(m_file); }

    mk::test::TempDir m_dir{"mk_lang"};
    std::string m_file;
};

TEST_F(LangFile, SaveWritesTheEightBytesOfTheWord) {
    struct Case {
        std::string language;
        std::string bytes;
    };
    // Only exactly "english" is English; every other word is saved as German.
    const Case cases[] = {
        {"english", "english\0"s},
        {"deutsch", "deutsch\0"s},
        {"English", "deutsch\0"s},
        {"", "deutsch\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        Write(c.bytes == "english\0"s ? "deutsch\0"s : "english\0"s);
        EXPECT_TRUE(mk::SaveLanguage(m_file, c.language));
        EXPECT_EQ(Bytes(), c.bytes);
    }
}

TEST_F(LangFile, SaveNeitherCreatesNorTruncates) {
    EXPECT_FALSE(mk::SaveLanguage(m_file, "english"));
    EXPECT_FALSE(fs::exists(m_file));

    Write("0123456789abcdef");
    EXPECT_TRUE(mk::SaveLanguage(m_file, "deutsch"));
    EXPECT_EQ(Bytes(), "deutsch\0"s + "89abcdef");
}

TEST_F(LangFile, SaveToReadOnlyFileFailsAndKeepsIt) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes read-only files";
    }
    Write("deutsch\0"s);
    fs::permissions(m_file, fs::perms::owner_read);
    EXPECT_FALSE(mk::SaveLanguage(m_file, "english"));
    EXPECT_EQ(Bytes(), "deutsch\0"s);
}

TEST_F(LangFile, MissingFileIsCreatedWithEnglishAndNoTableApplies) {
    const mk::RestoreResult r = mk::ReadLanguageFile(m_file);
    EXPECT_EQ(r.apply, RestoredLanguage::None);
    EXPECT_EQ(r.word, "english");
    EXPECT_EQ(Bytes(), "english\0"s);
}

TEST_F(LangFile, MissingConfFolderCreatesNothing) {
    fs::remove_all(m_dir.Path() / "Conf");
    const mk::RestoreResult r = mk::ReadLanguageFile(m_file);
    EXPECT_EQ(r.apply, RestoredLanguage::None);
    EXPECT_FALSE(fs::exists(m_dir.Path() / "Conf"));
    EXPECT_FALSE(mk::SaveLanguage(m_file, "deutsch"));
}

TEST_F(LangFile, ContentDecidesTheLanguage) {
    struct Case {
        std::string bytes;
        RestoredLanguage apply;
        std::string word;
    };
    const Case cases[] = {
        {"deutsch\0"s, RestoredLanguage::German, "deutsch"},
        {"english\0"s, RestoredLanguage::English, "english"},
        {"Deutsch\0"s, RestoredLanguage::English, "Deutsch"},
        {"deutsch"s, RestoredLanguage::German, "deutsch"},  // 7 bytes, end of file ends the word
        {"deut"s, RestoredLanguage::English, "deut"},
        {""s, RestoredLanguage::English, ""},
        {"deu\0tsch"s, RestoredLanguage::English, "deu"},
        {"deutschX"s, RestoredLanguage::English, "deutschX"},  // no zero byte: 8 bytes at most
        {"deutsch and more"s, RestoredLanguage::English, "deutsch "},
        {"deutsch\0trailing"s, RestoredLanguage::German, "deutsch"},
        {"\xff\xfe\x01garbage"s, RestoredLanguage::English, "\xff\xfe\x01garba"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        Write(c.bytes);
        const mk::RestoreResult r = mk::ReadLanguageFile(m_file);
        EXPECT_EQ(r.apply, c.apply);
        EXPECT_EQ(r.word, c.word);
        EXPECT_EQ(Bytes(), c.bytes) << "reading must leave the file to the form's save";
    }
}

TEST_F(LangFile, DirectoryInPlaceOfTheFileIsNeitherWrittenNorFatal) {
    fs::create_directory(m_file);
    EXPECT_FALSE(mk::SaveLanguage(m_file, "english"));
    EXPECT_EQ(mk::ReadLanguageFile(m_file).apply, RestoredLanguage::English);
    EXPECT_TRUE(fs::is_directory(m_file));
}

TEST_F(LangFile, ReadOnlyFileIsStillRead) {
    Write("deutsch\0"s);
    fs::permissions(m_file, fs::perms::owner_read);
    const mk::RestoreResult r = mk::ReadLanguageFile(m_file);
    EXPECT_EQ(r.apply, RestoredLanguage::German);
    EXPECT_EQ(Bytes(), "deutsch\0"s);
}

TEST_F(LangFile, GarbageBecomesEnglishOnceTheFormSaves) {
    Write("xyz\0\0\0\0\0"s);
    const mk::RestoreResult r = mk::ReadLanguageFile(m_file);
    ASSERT_EQ(r.apply, RestoredLanguage::English);
    EXPECT_TRUE(mk::SaveLanguage(m_file, "english"));
    EXPECT_EQ(Bytes(), "english\0"s);
}

}  // namespace
