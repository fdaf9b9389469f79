// The caption tables against the texts typed again here, row by row, so a slip in either the
// order, a target, an id, a blank or an umlaut shows up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/captions.h"

namespace {

using mk::Caption;
using mk::CaptionTarget;

struct Row {
    bool menu;
    int id;
    std::string english;
    std::string german;  // empty: the row is English only
};

const std::vector<Row>& ExpectedRows() {
    static const std::vector<Row> rows{
        {true, 32778, "Help", "Hilfe"},
        {true, 32779, "Clear batch file", "L\xC3\xB6sche Inhalt"},
        {true, 32780, "Add current command", "F\xC3\xBCge aktuelles Kommando hinzu"},
        {true, 32781, "View batch file", "Zeige Inhalt"},
        {true, 32782, "Run batch file", "Ausf\xC3\xBChren"},
        {true, 32785, "Presetting", "Voreinstellung"},
        {true, 32784, "Edit TV.avs", "Bearbeite TV.avs"},
        {false, 57601, "Open File",
         "Datei \xC3\xB6"
         "ffnen"},
        {false, 57603, "Save File", "Zieldatei"},
        {false, 57602, "Generate", "Erzeugen"},
        {false, 57606, "Your Support", "Ihre Hilfe"},
        {false, 2, "Exit", "Beenden"},
        {false, 1, "Encode", "Umwandeln"},
        {false, 1024, "Process Audio Encoding", "Audio umwandeln"},
        {false, 1023, "Process Video Encoding", "Video umwandeln"},
        {false, 1017, "Target", "Ziel"},
        {false, 1007, "Target", "Ziel"},
        {false, 1025, "Channels", "Kan\xC3\xA4le"},
        {false, 1029, "ffmpeg's command string", "Kommandozeile von ffmpeg"},
        {false, 1027, "Enter more options for ffmpeg if necessary, see documentation",
         "Eingabe von weiteren ffmpeg Optionen, siehe Dokumentation"},
        {false, 1005, "Aspect", "Verh\xC3\xA4ltnis"},
        {false, 1015, "Height", "H\xC3\xB6he"},
        {false, 1011, "Size",
         "Gr\xC3\xB6\xC3\x9F"
         "e"},
        {false, 1013, "Width", "Breite"},
        {false, 1030, "No. of stream to encode" + std::string(5, ' ') + "Video",
         "Nr. des Streams" + std::string(20, ' ') + "Video"},
        {false, 1032, "Audio", ""},
        {false, 1035, "Source properties", "Eigenschaften der Quelldatei"},
        {false, 1036, "Use AviSynth", "AviSynth benutzen"},
        {false, 1028, "Correct ratio", "Breite/H\xC3\xB6he anpassen"},
        {false, 57605, "Preview", "Vorschau"},
    };
    return rows;
}

void ExpectTable(std::span<const Caption> table, bool german) {
    std::vector<const Row*> expected;
    for (const Row& row : ExpectedRows()) {
        if (!german || !row.german.empty()) {
            expected.push_back(&row);
        }
    }
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Row& want = *expected[i];
        SCOPED_TRACE("row " + std::to_string(i) + ", id " + std::to_string(want.id));
        EXPECT_EQ(table[i].target, want.menu ? CaptionTarget::MenuItem : CaptionTarget::Control);
        EXPECT_EQ(table[i].id, want.id);
        EXPECT_EQ(std::string(table[i].text), german ? want.german : want.english);
    }
}

TEST(LangCaptions, EnglishTableRowByRow) {
    ExpectTable(mk::EnglishCaptions(), false);
}

TEST(LangCaptions, GermanTableRowByRow) {
    ExpectTable(mk::GermanCaptions(), true);
}

TEST(LangCaptions, AudioStreamLabelIsNeverTranslated) {
    for (const Caption& c : mk::GermanCaptions()) {
        EXPECT_NE(c.id, 1032);
    }
}

TEST(LangCaptions, MenuTitlesAndLanguageItemsStayOutOfBothTables) {
    // English, Deutsch and Info keep the menu resource's texts in both languages.
    for (auto table : {mk::EnglishCaptions(), mk::GermanCaptions()}) {
        for (const Caption& c : table) {
            if (c.target == CaptionTarget::MenuItem) {
                EXPECT_NE(c.id, 32775);
                EXPECT_NE(c.id, 32776);
                EXPECT_NE(c.id, 32777);
            }
        }
    }
}

}  // namespace
