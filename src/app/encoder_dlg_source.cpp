// Open File, the probe, the control rules with their presets, and Save File.
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>

#include "app/encoder_dlg.h"
#include "form/dialog_folders.h"
#include "form/form_model.h"
#include "platform/file_checks.h"
#include "qt/qt_text.h"
#include "res/resource.h"
#include "rules/output_chooser.h"

using namespace mk::ids;

namespace {

constexpr const char* kOpenFilter =
    "Video Files(*.wmv; *.asf; *.mpg; *.avi; *.vob; *.mp4)|*.wmv; *.asf; *.mpg; *.avi; *.vob; "
    "*.mp4|All Files(*.*)|*.*||";

// One local file that exists: the only thing the form takes by drag and drop. Its bytes come from
// the URL itself, so a name that is not UTF-8 stays the same name.
std::optional<std::string> DroppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) {
        return std::nullopt;
    }
    const QUrl url = mime->urls().front();
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    const std::string path = mk::LocalFileBytes(url);
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return path;
}

}  // namespace

bool CEncoderDlg::FileExists(const std::string& path) const {
    return mk::FileExists(path);
}

void CEncoderDlg::OnOpenFile() {
    UpdateData(true);
    mk::FileDialogRequest request;
    request.mfcFilter = kOpenFilter;
    request.mustExist = true;
    request.startFolder = mk::OpenDialogFolder(*this, m_lastFolder);
    const auto chosen = m_desktop.AskOpenFile(request);
    if (!chosen) {
        return;
    }
    m_lastFolder = mk::FolderOf(*chosen);
    OpenSource(*chosen);
}

void CEncoderDlg::OpenSource(const std::string& path) {
    const mk::ShellRunner run = [this](const std::string& line) {
        return m_desktop.RunProbe(line);
    };
    ApplySourceOpened(mk::OpenSource(*this, path, Env(), run));
}

void CEncoderDlg::ParseProbeReport() {
    ApplySourceOpened({{}, mk::ReadProbeReportInto(*this, Env()), std::nullopt});
}

void CEncoderDlg::ApplySourceOpened(const mk::SourceOpened& opened) {
    ApplyChanges(opened.changes);
    if (opened.problem) {  // no report of this source: the user must learn why
        m_desktop.ShowMessage(opened.problem->text, opened.problem->title, opened.problem->icon);
    }
    if (opened.facts) {  // a missing report keeps the old source properties
        auto* info = qobject_cast<QPlainTextEdit*>(Control(IDC_SOURCE_INFO));
        info->setPlainText(mk::DecodeForeignText(opened.facts->sourceInfo));
    }
}

bool CEncoderDlg::IsPresettingOn() const {
    return MenuAction(ID_OPTIONS_PRESETTING)->isChecked();
}

mk::FormEnv CEncoderDlg::Env() {
    return {m_dialect, GetProgramFolder(), IsPresettingOn()};
}

void CEncoderDlg::OnProcessVideoAudio() {
    UpdateData(true);
    ApplyChanges(mk::ProcessBoxChanged(*this, Env()));
}

void CEncoderDlg::OnKillfocusTarget() {
    UpdateData(true);
    ApplyChanges(mk::TargetLeft(*this, Env()));
}

void CEncoderDlg::OnKillfocusFormat() {
    UpdateData(true);
    ApplyChanges(mk::FormatLeft(*this, Env()));
}

void CEncoderDlg::OnKillfocusAudioTarget() {
    UpdateData(true);
    ApplyChanges(mk::AudioTargetLeft(*this, Env()));
}

void CEncoderDlg::OnOptionsPresetting() {
    QAction* item = MenuAction(ID_OPTIONS_PRESETTING);
    item->setChecked(!item->isChecked());
    UpdateData(true);
    ApplyChanges(mk::PresettingToggled(*this, Env(), item->isChecked()));
}

void CEncoderDlg::OnSaveFile() {
    UpdateData(true);
    const mk::OutputChoice choice = mk::ChooseOutputFile(*this);
    mk::FileDialogRequest request;
    request.mfcFilter = choice.filter;
    request.defaultExtension = choice.defaultExtension;
    request.overwritePrompt = true;
    request.startFolder = mk::SaveDialogFolder(*this, m_lastFolder);
    const auto chosen = m_desktop.AskSaveFile(request);
    if (!chosen) {
        return;
    }
    m_lastFolder = mk::FolderOf(*chosen);
    ApplyChanges(mk::OutputChosen(*this, *chosen));
    UpdateData(true);
}

void CEncoderDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(event->mimeData()) && !m_inHandler) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CEncoderDlg::dropEvent(QDropEvent* event) {
    const auto path = DroppedFile(event->mimeData());
    if (!path || m_inHandler) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Dropping a file is Open File with the dialog already answered.
    m_inHandler = true;
    UpdateData(true);
    OpenSource(*path);
    m_inHandler = false;
}
