// The editor standing in for notepad: saves what was shown, byte for byte, and never drops
// unsaved changes without asking.
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "qt/text_editor_window.h"
#include "support/files.h"

namespace mk {
namespace {

using test::ReadFile;
using test::WriteFile;

TEST(TextEditorWindow, SaveWithoutChangesKeepsEveryByte) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("TV.avs")).toStdString();
    const std::string cases[] = {
        "AviSource(\"/v/a.avi\")\nLanczosResize(720,576)\n",
        "DirectShowSource(\"C:\\v\\a.avi\")\r\nConvertToYV12()\r\n",  // Windows line ends
        "x = \"caf\xE9\" # Latin-1, not UTF-8\n\xA0\xFF",             // incl. no-break space
        "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F \xC2\xA0 utf-8\n\n\n",
        "",
    };
    for (const std::string& bytes : cases) {
        WriteFile(path, bytes);
        TextEditorWindow editor(path);
        ASSERT_TRUE(editor.Load());
        EXPECT_FALSE(editor.IsModified());
        ASSERT_TRUE(editor.Save());
        EXPECT_EQ(ReadFile(path), bytes);
    }
}

TEST(TextEditorWindow, EditedTextIsSavedInTheFilesOwnForm) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("batch.bat")).toStdString();
    WriteFile(path, "REM Batch file for Morvakelin \r\nline \xE9\r\n");
    TextEditorWindow editor(path);
    ASSERT_TRUE(editor.Load());
    editor.Editor()->appendPlainText(QStringLiteral("added \u00E4"));
    EXPECT_TRUE(editor.IsModified());
    ASSERT_TRUE(editor.Save());
    EXPECT_EQ(ReadFile(path), "REM Batch file for Morvakelin \r\nline \xE9\r\n\r\nadded \xE4");
}

TEST(TextEditorWindow, ClosingWithChangesAsks) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("TV.avs")).toStdString();
    using Answer = TextEditorWindow::UnsavedAnswer;
    const struct {
        Answer answer;
        bool closes;
        std::string fileAfter;
    } cases[] = {
        {Answer::Cancel, false, "old\n"},
        {Answer::Discard, true, "old\n"},
        {Answer::Save, true, "new\n"},
    };
    for (const auto& c : cases) {
        WriteFile(path, "old\n");
        TextEditorWindow editor(path);
        ASSERT_TRUE(editor.Load());
        editor.show();
        int asked = 0;
        editor.SetAskUnsaved([&] {
            ++asked;
            return c.answer;
        });
        editor.Editor()->selectAll();
        editor.Editor()->insertPlainText(QStringLiteral("new\n"));  // as typed
        editor.close();
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(!editor.isVisible(), c.closes);
        EXPECT_EQ(ReadFile(path), c.fileAfter);
    }
}

TEST(TextEditorWindow, MissingFileStartsEmptyAndSaveCreatesIt) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("new.avs")).toStdString();
    TextEditorWindow editor(path);
    ASSERT_TRUE(editor.Load());
    EXPECT_TRUE(editor.Editor()->toPlainText().isEmpty());
    editor.Editor()->setPlainText(QStringLiteral("AviSource(\"a.avi\")"));
    ASSERT_TRUE(editor.Save());
    EXPECT_EQ(ReadFile(path), "AviSource(\"a.avi\")");
}

TEST(TextEditorWindow, VisualEditorIsRunAndWaitedFor) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("with blank $x.avs")).toStdString();
    WriteFile(path, "a\n");
    const QByteArray saved = qgetenv("VISUAL");
    qputenv("VISUAL", "sed -i s/a/b/");
    TextEditorWindow::Edit(path, nullptr);
    EXPECT_EQ(ReadFile(path), "b\n");
    qputenv("VISUAL", "/nonexistent/editor");
    EXPECT_FALSE(TextEditorWindow::EditWithVisual(path, nullptr));  // falls back to ours
    qputenv("VISUAL", saved);
    if (saved.isEmpty()) {
        qunsetenv("VISUAL");
    }
}

}  // namespace
}  // namespace mk
