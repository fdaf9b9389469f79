#include "qt/text_editor_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QStringDecoder>
#include <QTextDocument>
#include <QVBoxLayout>

#include "qt/keyboard_access.h"

#include "qt/process_wait.h"

namespace mk {

namespace {

// The editor's message boxes, with every button in the keyboard walk and the icon heard as a word.
int ShowEditorBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                  QMessageBox::StandardButtons buttons, QMessageBox::StandardButton chosen) {
    QMessageBox box(icon, TextEditorWindow::tr("Morvakelin editor"), text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(chosen);
    FocusButtonsNotTheirBox(&box);
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))) {
        label->setAccessibleName(icon == QMessageBox::Question ? TextEditorWindow::tr("Question")
                                                               : TextEditorWindow::tr("Error"));
    }
    return box.exec();
}

}  // namespace

TextEditorWindow::TextEditorWindow(const std::string& path, QWidget* parent)
    : QDialog(parent), m_path(QString::fromStdString(path)) {
    setSizeGripEnabled(true);
    resize(760, 520);

    m_editor = new QPlainTextEdit(this);
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    LeaveTextOnCtrlTab(m_editor);

    m_saveButton = new QPushButton(this);
    m_closeButton = new QPushButton(this);
    m_saveButton->setAutoDefault(false);
    m_closeButton->setAutoDefault(false);
    Retranslate();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_editor, 1);
    layout->addLayout(buttons);

    connect(m_saveButton, &QPushButton::clicked, this, [this] { Save(); });
    connect(m_closeButton, &QPushButton::clicked, this, &TextEditorWindow::reject);
    auto* saveKey = new QShortcut(QKeySequence::Save, this);
    connect(saveKey, &QShortcut::activated, this, [this] { Save(); });
}

void TextEditorWindow::Retranslate() {
    const QString name = QFileInfo(m_path).fileName();
    setWindowTitle(tr("%1 - Morvakelin editor").arg(name));
    m_editor->setAccessibleName(tr("Text of %1").arg(name));
    m_saveButton->setText(tr("Save"));
    m_closeButton->setText(tr("Close"));
}

void TextEditorWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QDialog::changeEvent(event);
}

void TextEditorWindow::Edit(const std::string& path, QWidget* parent) {
    if (EditWithVisual(path, parent)) {
        return;
    }
    TextEditorWindow window(path, parent);
    if (!window.Load()) {
        ShowEditorBox(parent, QMessageBox::Critical,
                      tr("Cannot read %1").arg(QString::fromStdString(path)), QMessageBox::Ok,
                      QMessageBox::Ok);
        return;
    }
    window.exec();
}

bool TextEditorWindow::EditWithVisual(const std::string& path, QWidget* parent) {
    const QByteArray visual = qgetenv("VISUAL");
    if (visual.trimmed().isEmpty()) {
        return false;
    }
    // The editor command is the user's own shell text; the path travels as an argument. A
    // terminal editor gets the terminal the program was started from, in its foreground group.
    ShellOptions options;
    options.inheritStdin = true;
    options.out = Route::Inherit;
    options.err = Route::Inherit;
    options.ownGroup = false;
    options.endsWithUs = false;  // unsaved text is not lost with us
    options.args = {path};
    ShellProcess process;
    if (!process.Start(visual.toStdString() + " \"$1\"", options)) {
        return false;
    }
    // Wait as notepad is waited for, but keep the form painted meanwhile.
    if (parent) {
        parent->setEnabled(false);
    }
    WaitWithEvents(process);
    if (parent) {
        parent->setEnabled(true);
    }
    // 127: the shell did not find the editor; fall back to ours.
    return process.ExitCode() && *process.ExitCode() != 127;
}

bool TextEditorWindow::Load() {
    QFile file(m_path);
    QByteArray bytes;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            return false;
        }
        bytes = file.readAll();
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    m_latin1 = utf8.hasError();
    if (m_latin1) {
        text = QString::fromLatin1(bytes);
    }
    m_crlf = bytes.contains("\r\n");
    if (m_crlf) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    m_editor->setPlainText(text);
    m_editor->document()->setModified(false);
    return true;
}

bool TextEditorWindow::Save() {
    // toPlainText would turn no-break spaces into blanks; the raw text keeps every character.
    QString text = m_editor->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    if (m_crlf) {
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    }
    QByteArray bytes;
    if (m_latin1) {
        // Characters typed that Latin-1 cannot hold would be lost; save as UTF-8 then.
        bool fits = true;
        for (QChar c : text) {
            if (c.unicode() > 0xFF) {
                fits = false;
                break;
            }
        }
        bytes = fits ? text.toLatin1() : text.toUtf8();
    } else {
        bytes = text.toUtf8();
    }

    // Written aside and renamed into place, so a full disk cannot leave half a file.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ShowEditorBox(this, QMessageBox::Critical,
                      tr("Cannot save %1:\n%2").arg(m_path, file.errorString()), QMessageBox::Ok,
                      QMessageBox::Ok);
        return false;
    }
    m_editor->document()->setModified(false);
    return true;
}

bool TextEditorWindow::IsModified() const {
    return m_editor->document()->isModified();
}

void TextEditorWindow::reject() {
    if (IsModified()) {
        UnsavedAnswer answer = UnsavedAnswer::Cancel;
        if (m_askUnsaved) {
            answer = m_askUnsaved();
        } else {
            const auto button = ShowEditorBox(
                this, QMessageBox::Question, tr("Save the changes to %1?").arg(m_path),
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
            answer = button == QMessageBox::Save      ? UnsavedAnswer::Save
                     : button == QMessageBox::Discard ? UnsavedAnswer::Discard
                                                      : UnsavedAnswer::Cancel;
        }
        if (answer == UnsavedAnswer::Cancel || (answer == UnsavedAnswer::Save && !Save())) {
            return;
        }
    }
    QDialog::reject();
}

}  // namespace mk
