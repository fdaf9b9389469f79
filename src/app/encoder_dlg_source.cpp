// Open File, the probe, the control rules with their presets, and Save File.
#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>

#include "app/encoder_dlg.h"
#include "qt/qt_text.h"
#include "probe/probe_command.h"
#include "probe/report_parser.h"
#include "probe/report_text.h"
#include "res/resource.h"
#include "rules/control_rules.h"
#include "platform/file_checks.h"
#include "rules/output_chooser.h"

using namespace mk::ids;

namespace {

constexpr const char* kOpenFilter =
    "Video Files(*.wmv; *.asf; *.mpg; *.avi; *.vob; *.mp4)|*.wmv; *.asf; *.mpg; *.avi; *.vob; "
    "*.mp4|All Files(*.*)|*.*||";

// One local file that exists: the only thing the form takes by drag and drop.
std::optional<QString> DroppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) {
        return std::nullopt;
    }
    const QUrl url = mime->urls().front();
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    const QString path = url.toLocalFile();
    if (!QFileInfo(path).isFile()) {
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
    const auto chosen = m_desktop.AskOpenFile(request);
    if (!chosen) {
        return;
    }
    OpenSource(*chosen);
}

void CEncoderDlg::OpenSource(const std::string& path) {
    m_strSourceFile = path;
    SetControlText(IDC_SOURCE_FILE, path);
    m_strSourceExt = mk::ExtensionOf(path);
    if (!mk::IsVobExtension(m_strSourceExt)) {
        SetControlText(IDC_AUDIO_STREAM, "1");
        SetControlText(IDC_VIDEO_STREAM, "0");
    } else {
        m_bUseAviSynth = 0;
        qobject_cast<QCheckBox*>(Control(IDC_USE_AVISYNTH))->setChecked(false);
    }
    ApplyControlRules();
    const std::string folder = GetProgramFolder();
    m_desktop.RunShell(mk::ProbeCommand(m_dialect, folder, m_strSourceFile));
    ParseProbeReport();
}

void CEncoderDlg::ParseProbeReport() {
    m_dSourceWidth = 0;
    m_dSourceHeight = 0;
    const auto report = mk::ReadProbeReport(ProbeReportPath());
    if (!report) {
        return;  // a missing report keeps the old source properties
    }
    const mk::ProbeFacts facts = mk::ParseProbeText(*report);
    auto* info = qobject_cast<QPlainTextEdit*>(Control(IDC_SOURCE_INFO));
    info->setPlainText(mk::DecodeForeignText(facts.sourceInfo));
    m_dSourceWidth = facts.width;
    m_dSourceHeight = facts.height;
}

bool CEncoderDlg::IsPresettingOn() const {
    return MenuAction(ID_OPTIONS_PRESETTING)->isChecked();
}

void CEncoderDlg::ApplyControlRules() {
    const mk::RuleContext context{IsPresettingOn(), FileExists(m_strSourceFile),
                                  FileExists(m_strOutputFile)};
    ApplyChanges(mk::ApplyControlRules(*this, context));
}

void CEncoderDlg::EnableAllControls() {
    ApplyChanges(mk::EnableAllControls());
}

void CEncoderDlg::LockForm() {
    ApplyChanges(mk::LockForm(*this));
}

void CEncoderDlg::SetOutputButtons() {
    ApplyChanges(mk::SetOutputButtons(*this, FileExists(m_strOutputFile)));
}

void CEncoderDlg::SetVobControls() {
    ApplyChanges(mk::SetVobControls(*this));
}

void CEncoderDlg::OnProcessVideoAudio() {
    UpdateData(true);
    if (IsPresettingOn()) {
        ApplyControlRules();
    }
}

void CEncoderDlg::OnKillfocusTarget() {
    UpdateData(true);
    ApplyControlRules();
}

void CEncoderDlg::OnKillfocusFormat() {
    UpdateData(true);
    if (IsPresettingOn()) {
        ApplyChanges(mk::SizePresets(*this));
    }
}

void CEncoderDlg::OnKillfocusAudioTarget() {
    UpdateData(true);
    if (IsPresettingOn()) {
        ApplyChanges(mk::AudioPresets(*this));
    }
}

void CEncoderDlg::OnOptionsPresetting() {
    QAction* item = MenuAction(ID_OPTIONS_PRESETTING);
    if (item->isChecked()) {
        item->setChecked(false);
        UpdateData(true);
        EnableAllControls();
    } else {
        item->setChecked(true);
        UpdateData(true);
        ApplyControlRules();
    }
}

void CEncoderDlg::OnSaveFile() {
    UpdateData(true);
    const mk::OutputChoice choice = mk::ChooseOutputFile(*this);
    mk::FileDialogRequest request;
    request.mfcFilter = choice.filter;
    request.defaultExtension = choice.defaultExtension;
    request.overwritePrompt = true;
    const auto chosen = m_desktop.AskSaveFile(request);
    if (!chosen) {
        return;
    }
    m_strOutputFile = *chosen;
    SetControlText(IDC_OUTPUT_FILE, *chosen);
    EnableControl(IDC_GENERATE, true);
    EnableControl(IDC_COMMAND, true);
    EnableControl(IDOK, true);
    EnableControl(IDC_PREVIEW, FileExists(m_strOutputFile));
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
    OpenSource(mk::FromQ(*path));
    m_inHandler = false;
}
