#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "command/targets.h"
#include "form/field_table.h"
#include "platform/file_checks.h"
#include "rules/file_filter.h"
#include "rules/output_chooser.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace mk {
namespace {

TEST(OutputChooser, FirstMatchingRowDecides) {
    struct Row {
        int audio, video;
        const char* target;
        const char* audioTarget;
        const char* filter;
        const char* ext;
    };
    const Row rows[] = {
        {1, 1, "mpeg4", "ac3", "Avi Files(*.avi)|*.avi||", "avi"},
        {1, 1, "h263", "mp3", "3GP Video Files(*.3gp)|*.3gp||", "3gp"},
        {1, 1, "dvd", "ac3", "MPEG Files(*.mpg)|*.mpg||", "mpg"},
        {1, 1, "svcd", "mp3", "MPEG Files(*.mpg)|*.mpg||", "mpg"},
        {1, 1, "vcd", "mp2", "MPEG Files(*.mpg)|*.mpg||", "mpg"},
        {1, 1, "MPEG4", "ac3", "MPEG Files(*.mpg)|*.mpg||", "mpg"},
        {1, 0, "mpeg4", "ac3", "AC3 Audio Files(*.ac3)|*.ac3||", "ac3"},
        {1, 0, "h263", "mp3", "MP3 Audio Files(*.mp3)|*.mp3||", "mp3"},
        {1, 0, "dvd", "mp2", "MPEG Audio Files(*.mp2)|*.mp2||", "mp2"},
        {1, 0, "dvd", "aac", "MPEG Audio Files(*.mp2)|*.mp2||", "mp2"},
        {1, 0, "dvd", "copy", "MPEG Audio Files(*.mp2)|*.mp2||", "mp2"},
        {1, 0, "dvd", "AC3", "MPEG Audio Files(*.mp2)|*.mp2||", "mp2"},
        {0, 1, "mpeg4", "ac3", "AVI Video Files(*.avi)|*.avi||", "avi"},
        {0, 1, "h263", "ac3", "3GP Video Files(*.3gp)|*.3gp||", "3gp"},
        {0, 1, "vcd", "ac3", "MPEG1 Video Stream(*.m1v)|*.m1v||", "m1v"},
        {0, 1, "svcd", "ac3", "MPEG2 Video Stream(*.m2v)|*.m2v||", "m2v"},
        {0, 1, "dvd", "mp3", "MPEG2 Video Stream(*.m2v)|*.m2v||", "m2v"},
        {0, 0, "mpeg4", "mp3", "", ""},
        {0, 0, "dvd", "ac3", "", ""},
    };
    for (const Row& r : rows) {
        EncoderFields f;
        f.m_bProcessAudio = r.audio;
        f.m_bProcessVideo = r.video;
        f.m_strTarget = r.target;
        f.m_strAudioTarget = r.audioTarget;
        const OutputChoice c = ChooseOutputFile(f);
        EXPECT_EQ(c.filter, r.filter) << r.audio << r.video << r.target << r.audioTarget;
        EXPECT_EQ(c.defaultExtension, r.ext) << r.audio << r.video << r.target << r.audioTarget;
    }
}

TEST(TargetRows, ListOrderAndTheDiscsEachCanMake) {
    using D = DiscOutput;
    const std::vector<std::pair<std::string_view, std::vector<D>>> rows = {
        {"dvd", {D::DvdVideoFolder, D::DvdVideoIso}},
        {"svcd", {D::SvcdCueBin}},
        {"vcd", {D::VcdCueBin}},
        {"mpeg4", {}},
        {"h263", {}}};
    const FieldRow& list = RowOf(Field::Target);
    ASSERT_EQ(list.items.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(list.items[i], rows[i].first);
        const Target* row = FindTarget(rows[i].first);
        ASSERT_NE(row, nullptr) << rows[i].first;
        EXPECT_EQ(std::vector<D>(row->discs.begin(), row->discs.end()), rows[i].second);
    }
    EXPECT_EQ(FindTarget("DVD"), nullptr);
}

// How QFileDialog reads one name filter: it matches "^(.*)\((allowed characters)*\)$", so the
// last parenthesised group, split on blanks, is the pattern list; without a match (a line break
// before it, a character it does not allow) the whole text is split into patterns.
bool QtGroupChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x80 &&
           (std::isalnum(u) ||
            std::string_view("_.,*? +;#-[]@{}/!<>$%&=^~:|").find(c) != std::string_view::npos);
}

std::vector<std::string> QtPatterns(const std::string& filter) {
    std::string list = filter;
    const auto open = filter.rfind('(');
    if (!filter.empty() && filter.back() == ')' && open != std::string::npos &&
        filter.find_first_of("\r\n") >= open) {
        const std::string group = filter.substr(open + 1, filter.size() - open - 2);
        if (std::all_of(group.begin(), group.end(), QtGroupChar)) {
            list = group;
        }
    }
    std::vector<std::string> out;
    std::string cur;
    for (char c : list + " ") {
        if (c == ' ') {
            if (!cur.empty()) {
                out.push_back(cur);
            }
            cur.clear();
        } else {
            cur += c;
        }
    }
    return out;
}

std::vector<std::string> SplitFilters(const std::string& list) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (;;) {
        const auto at = list.find(";;", from);
        out.push_back(list.substr(from, at - from));
        if (at == std::string::npos) {
            return out;
        }
        from = at + 2;
    }
}

TEST(FileFilter, OpenDialogFilter) {
    const char* mfc =
        "Video Files(*.wmv; *.asf; *.mpg; *.avi; *.vob; *.mp4)|*.wmv; *.asf; *.mpg; *.avi; "
        "*.vob; *.mp4|All Files(*.*)|*.*||";
    const auto entries = ParseMfcFilter(mfc);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].description, "Video Files(*.wmv; *.asf; *.mpg; *.avi; *.vob; *.mp4)");
    EXPECT_EQ(entries[0].patterns,
              (std::vector<std::string>{"*.wmv", "*.asf", "*.mpg", "*.avi", "*.vob", "*.mp4"}));
    // Names without a dot are files too on this system.
    EXPECT_EQ(entries[1].patterns, (std::vector<std::string>{"*"}));
    EXPECT_EQ(QtFilterList(mfc),
              "Video Files (*.wmv *.asf *.mpg *.avi *.vob *.mp4);;All Files (*)");
}

TEST(FileFilter, EveryChooserFilterIsOneTypeShownOnce) {
    struct Row {
        const char* mfc;
        const char* shown;
        const char* pattern;
    };
    const Row rows[] = {
        {"Avi Files(*.avi)|*.avi||", "Avi Files (*.avi)", "*.avi"},
        {"AVI Video Files(*.avi)|*.avi||", "AVI Video Files (*.avi)", "*.avi"},
        {"3GP Video Files(*.3gp)|*.3gp||", "3GP Video Files (*.3gp)", "*.3gp"},
        {"MPEG Files(*.mpg)|*.mpg||", "MPEG Files (*.mpg)", "*.mpg"},
        {"AC3 Audio Files(*.ac3)|*.ac3||", "AC3 Audio Files (*.ac3)", "*.ac3"},
        {"MP3 Audio Files(*.mp3)|*.mp3||", "MP3 Audio Files (*.mp3)", "*.mp3"},
        {"MPEG Audio Files(*.mp2)|*.mp2||", "MPEG Audio Files (*.mp2)", "*.mp2"},
        {"MPEG1 Video Stream(*.m1v)|*.m1v||", "MPEG1 Video Stream (*.m1v)", "*.m1v"},
        {"MPEG2 Video Stream(*.m2v)|*.m2v||", "MPEG2 Video Stream (*.m2v)", "*.m2v"},
    };
    for (const Row& r : rows) {
        const std::string qt = QtFilterList(r.mfc);
        EXPECT_EQ(qt, r.shown);
        EXPECT_EQ(SplitFilters(qt).size(), 1u) << r.mfc;
        EXPECT_EQ(QtPatterns(qt), std::vector<std::string>{r.pattern}) << r.mfc;
    }
    EXPECT_EQ(QtFilterList(""), "");
}

TEST(FileFilter, ParseOddInputs) {
    struct Row {
        std::string mfc;
        std::vector<std::string> descriptions;
    };
    const Row rows[] = {
        {"", {}},
        {"|", {}},
        {"||", {}},
        {"Movies", {}},
        {"Movies|", {}},
        {"Movies|*.avi", {"Movies"}},                // no terminator
        {"Movies|*.avi|Other", {"Movies"}},          // description without patterns
        {"Movies|*.avi||Late|*.mkv||", {"Movies"}},  // nothing after the terminator counts
        {"|*.avi|Movies|*.avi||", {}},               // an empty description ends the list
        {"Blank| ; |Real|*.mkv||", {"Real"}},        // no usable pattern: entry dropped
        {std::string("A|*.a\0B|*.b||", 12), {"A"}},  // a NUL ends the text as it would there
        {"A|*.a|B|*.b|C|*.c||", {"A", "B", "C"}},
    };
    for (const Row& r : rows) {
        std::vector<std::string> got;
        for (const FilterEntry& e : ParseMfcFilter(r.mfc)) {
            got.push_back(e.description);
        }
        EXPECT_EQ(got, r.descriptions) << r.mfc;
    }
}

TEST(FileFilter, QtTextKeepsOneTypeAndItsPatterns) {
    struct Row {
        FilterEntry entry;
        std::string qt;
    };
    const Row rows[] = {
        {{"Movies", {"*.avi", "*.mkv"}}, "Movies (*.avi *.mkv)"},
        {{"(*.avi)", {"*.avi"}}, "(*.avi)"},
        {{"Both;;Halves", {"*.a"}}, "Both;Halves (*.a)"},
        {{"Two\nLines", {"*.a"}}, "Two Lines (*.a)"},
        {{"Odd(parens", {"*.a"}}, "Odd(parens (*.a)"},
        {{"Weird", {"*.(a)", "*.b"}}, "Weird (*.b)"},
        {{"Spaced", {"*.a *.b"}}, "Spaced (*.a *.b)"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ToQtFilter(r.entry), r.qt) << r.entry.description;
    }
}

TEST(FileFilter, AnyTextGivesFiltersQtReadsAsParsed) {
    // Whatever arrives, each entry must come out as exactly one Qt filter whose pattern group
    // is the entry's patterns.
    const std::string alphabet = "ab*.?;() \n\t\xe9";
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> parts(0, 7);
    std::uniform_int_distribution<int> length(0, 6);
    for (int i = 0; i < 3000; ++i) {
        std::string mfc;
        for (int p = parts(rng); p > 0; --p) {
            for (int n = length(rng); n > 0; --n) {
                mfc += alphabet[pick(rng)];
            }
            mfc += '|';
        }
        if (i % 2) {
            mfc += '|';
        }
        const auto entries = ParseMfcFilter(mfc);
        const std::string qt = QtFilterList(mfc);
        if (entries.empty()) {
            EXPECT_EQ(qt, "");
            continue;
        }
        const auto filters = SplitFilters(qt);
        ASSERT_EQ(filters.size(), entries.size()) << testing::PrintToString(mfc);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            EXPECT_FALSE(entries[k].patterns.empty());
            EXPECT_EQ(QtPatterns(filters[k]), entries[k].patterns) << testing::PrintToString(mfc);
        }
    }
}

class FileChecks : public testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        return test::WriteFile(m_dir / name, bytes);
    }
    test::TempDir m_temp{"mk_rules"};
    std::filesystem::path m_dir = m_temp.Path();
};

TEST_F(FileChecks, ExistenceAndLength) {
    const std::string empty = Write("empty.mpg", "");
    const std::string full = Write("clip $x.mpg", "12345");
    const std::string missing = (m_dir / "nothing.mpg").string();

    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(missing));
    EXPECT_TRUE(FileExists(empty));
    EXPECT_TRUE(FileExists(full));
    EXPECT_TRUE(FileExists(m_dir.string()));

    EXPECT_EQ(FileLength(""), std::nullopt);
    EXPECT_EQ(FileLength(missing), std::nullopt);
    EXPECT_EQ(FileLength(empty), 0u);
    EXPECT_EQ(FileLength(full), 5u);
    EXPECT_EQ(FileLength(m_dir.string()), 0u);
}

}  // namespace
}  // namespace mk
