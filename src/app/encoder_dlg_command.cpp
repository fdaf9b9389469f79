// Generate: the command line composed from the form.
#include "app/encoder_dlg.h"
#include "form/form_model.h"
#include "probe/report_parser.h"

std::string CEncoderDlg::GetProgramFolder() {
    return m_desktop.ProgramFolder();
}

std::string CEncoderDlg::ProbeReportPath() {
    return GetProgramFolder() + m_dialect.ProbeReport();
}

std::string CEncoderDlg::GetSourceAudioCodec() {
    return mk::GetSourceAudioCodec(ProbeReportPath());
}

void CEncoderDlg::OnGenerate() {
    UpdateData(true);
    ApplyChanges(mk::Generate(*this, Env()).changes);
}
