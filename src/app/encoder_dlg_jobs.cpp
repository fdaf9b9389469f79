// Encode, the AviSynth script, the audio stream test, preview and the batch file.
#include "app/encoder_dlg.h"
#include "form/form_model.h"
#include "jobs/batch_file.h"
#include "jobs/muxer_fit.h"
#include "platform/file_checks.h"

namespace {

void ShowStop(mk::Desktop& desktop, const std::string& text, const std::string& title) {
    desktop.ShowMessage(text, title, mk::MessageIcon::Stop);
}

void Show(mk::Desktop& desktop, const mk::FormMessage& message) {
    desktop.ShowMessage(message.text, message.title, message.icon);
}

// The refusal in the form's language.
std::string UnfitText(const mk::MuxRefusal& r) {
    const QString takes = r.takes.empty() ? CEncoderDlg::tr("none of the form's choices")
                                          : QString::fromStdString(mk::TakesText(r.takes));
    const QString text =
        r.kind == 'v' ? CEncoderDlg::tr("The %1 target (%2) cannot take %3 video; it takes %4.")
        : r.copied
            ? CEncoderDlg::tr(
                  "The %1 target (%2) cannot take the source's %3 audio (copy); it takes %4.")
            : CEncoderDlg::tr("The %1 target (%2) cannot take %3 audio; it takes %4.");
    return text
        .arg(QString::fromStdString(r.target), QString::fromStdString(r.container),
             QString::fromStdString(r.codec), takes)
        .toStdString();
}

}  // namespace

void CEncoderDlg::OnOK() {
    UpdateData(true);
    const mk::EncodePlan plan = mk::PrepareEncode(*this, Env());
    ApplyChanges(plan.changes);
    if (plan.refusal) {
        Show(m_desktop, *plan.refusal);
        if (!plan.editFile.empty()) {
            m_desktop.EditFile(plan.editFile);
        }
        return;
    }
    if (const auto unfit =
            mk::FindCommandMuxRefusal(plan.consoleLine, m_strTarget, m_desktop.Muxers())) {
        ShowStop(m_desktop, UnfitText(*unfit), tr("Encode").toStdString());
        return;
    }
    m_desktop.MinimizeForm();
    const mk::ConsoleResult result = m_desktop.RunConsole(plan.consoleLine, false);
    m_desktop.RestoreForm();
    ApplyChanges(mk::EncodeFinished(*this, result));
    UpdateData(true);
}

void CEncoderDlg::OnAvisynthEdit() {
    const std::string script = GetProgramFolder() + "TV.avs";
    if (!FileExists(script)) {
        ShowStop(m_desktop, script, "File not found");
        return;
    }
    m_desktop.EditFile(script);
}

void CEncoderDlg::OnTest() {
    UpdateData(true);
    const mk::StreamTestPlan plan = mk::PrepareStreamTest(*this, Env());
    m_desktop.RunConsole(plan.consoleLine, false);
    if (const auto message = mk::StreamTestFinished(plan.testFile)) {
        Show(m_desktop, *message);
    } else {
        m_desktop.OpenDocument(plan.testFile);
    }
}

void CEncoderDlg::OnPreview() {
    UpdateData(true);
    if (const auto message = mk::PreviewCheck(*this)) {
        Show(m_desktop, *message);
    } else {
        m_desktop.OpenDocument(m_strOutputFile);
    }
}

void CEncoderDlg::OnBatchClear() {
    mk::WriteBatchHeader(mk::BatchFilePath(Env()), m_dialect);
}

void CEncoderDlg::OnBatchAdd() {
    UpdateData(true);
    ApplyChanges(mk::AddToBatch(*this, Env()).generated.changes);
}

void CEncoderDlg::OnBatchView() {
    const std::string batch = mk::BatchFilePath(Env());
    if (!FileExists(batch)) {
        ShowStop(m_desktop, batch, "File not found");
        return;
    }
    m_desktop.EditFile(batch);
}

void CEncoderDlg::OnBatchRun() {
    const std::string batch = mk::BatchFilePath(Env());
    if (!FileExists(batch)) {
        ShowStop(m_desktop, batch, "File not found");
        return;
    }
    m_desktop.MinimizeForm();
    m_desktop.RunConsole(m_dialect.BatchRunLine("\"" + m_dialect.Escape(batch) + "\""), true);
    m_desktop.RestoreForm();
}
