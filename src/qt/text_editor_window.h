// The plain-text editor that stands in for notepad: modal, saves to the same file, asks before
// throwing unsaved changes away. Bytes that are not UTF-8 are kept as they are (read and written
// as Latin-1), and a file with CR LF line ends keeps them.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace mk {

class TextEditorWindow : public QDialog {
    Q_OBJECT

public:
    enum class UnsavedAnswer { Save, Discard, Cancel };

    explicit TextEditorWindow(const std::string& path, QWidget* parent = nullptr);

    // Edits the file and returns when the editor is closed. When $VISUAL is set, that editor is
    // run instead and waited for.
    static void Edit(const std::string& path, QWidget* parent);

    // Runs $VISUAL on the file and waits; false when it is unset or could not be run.
    static bool EditWithVisual(const std::string& path, QWidget* parent);

    bool Load();  // false when the file exists but cannot be read; a missing file starts empty
    bool Save();
    bool IsModified() const;
    QPlainTextEdit* Editor() const { return m_editor; }

    // Asked when the window closes with unsaved changes; the default shows a question box.
    void SetAskUnsaved(std::function<UnsavedAnswer()> ask) { m_askUnsaved = std::move(ask); }

protected:
    void reject() override;
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();

    QString m_path;
    bool m_latin1 = false;
    bool m_crlf = false;
    std::function<UnsavedAnswer()> m_askUnsaved;
    QPlainTextEdit* m_editor = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};

}  // namespace mk
