// Generate: the command line composed from the form.
#include "app/encoder_dlg.h"
#include "command/arguments.h"
#include "command/geometry.h"
#include "form/form_model.h"
#include "probe/report_parser.h"
#include "res/resource.h"

std::string CEncoderDlg::GetProgramFolder() {
    return m_desktop.ProgramFolder();
}

std::string CEncoderDlg::ProbeReportPath() {
    return GetProgramFolder() + m_dialect.ProbeReport();
}

std::string CEncoderDlg::GetSourceAudioCodec() {
    return mk::GetSourceAudioCodec(ProbeReportPath());
}

std::string CEncoderDlg::GetSizeOptions() const {
    return mk::GetSizeOptions(*this);
}

std::string CEncoderDlg::GetAspectConversionOptions() const {
    return mk::GetAspectConversionOptions(*this);
}

std::string CEncoderDlg::BuildArguments() {
    // Words the target adds to More options go into the box, and the form is read again so the
    // field holds them before they are appended.
    return mk::BuildArguments(*this, m_dialect, [this](const std::string& text) {
        SetControlText(mk::ids::IDC_MORE_OPTIONS, text);
        UpdateData(true);
    });
}

void CEncoderDlg::OnGenerate() {
    UpdateData(true);
    ApplyChanges(mk::Generate(*this, Env()).changes);
}
