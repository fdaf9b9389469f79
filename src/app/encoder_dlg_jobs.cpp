// Encode, the AviSynth script, the audio stream test, preview and the batch file.
#include <cstdio>

#include "app/encoder_dlg.h"
#include "command/executable_part.h"
#include "jobs/avs_script.h"
#include "jobs/batch_file.h"
#include "jobs/encode_command.h"
#include "jobs/stream_test.h"
#include "res/resource.h"
#include "platform/file_checks.h"

using namespace mk::ids;

namespace {

constexpr std::size_t kScriptCheckBytes = 5000;

void ShowStop(mk::Desktop& desktop, const std::string& text, const std::string& title) {
    desktop.ShowMessage(text, title, mk::MessageIcon::Stop);
}

}  // namespace

void CEncoderDlg::OnOK() {
    UpdateData(true);
    const std::string folder = GetProgramFolder();
    const std::string codec = GetSourceAudioCodec();
    if (m_bUseAviSynth == 1) {
        const std::string script = folder + "TV.avs";
        const auto text = mk::ReadFilePrefix(script, kScriptCheckBytes);
        if (!text) {
            ShowStop(m_desktop, "TV.avs is not in ffmpeg's program folder.", "File not found");
            return;
        }
        if (!mk::ScriptNamesSource(*text, m_strSourceFile)) {
            ShowStop(m_desktop, "Change the source filename in TV.avs, line: XXXsource(...).",
                     "Edit file");
            m_desktop.EditFile(script);
            return;
        }
    }
    const std::string program = mk::ExecutablePart(m_dialect, folder, *this, codec, true);
    m_strArguments = BuildArguments() + m_dialect.ConsoleClose();
    const std::string line = mk::EncodeConsoleLine(m_dialect, program, m_strArguments);

    m_desktop.MinimizeForm();
    const mk::ConsoleResult result = m_desktop.RunConsole(line, false);
    m_desktop.RestoreForm();

    // What a failed or stopped encode left behind is no output to preview.
    const bool failed = result.stopped || result.exitStatus != 0;
    EnableControl(IDC_PREVIEW, FileExists(m_strOutputFile) && !failed);
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
    const std::string folder = GetProgramFolder();
    m_strArguments = mk::StreamTestArguments(m_dialect, folder, *this);
    const std::string testFile = folder + "StreamTest.mp2";
    if (FileExists(testFile)) {
        std::remove(testFile.c_str());  // a file that resists is left for ffmpeg to overwrite
    }
    m_desktop.RunConsole(mk::StreamTestConsoleLine(m_dialect, folder, m_strArguments), false);

    const auto length = mk::FileLength(testFile);
    if (!length) {
        ShowStop(m_desktop, "Stream test file was not created.", "File not found");
    } else if (*length == 0) {
        ShowStop(m_desktop, "Stream test file is empty: \nSelected number of audio stream is wrong",
                 "Empty File");
    } else {
        m_desktop.OpenDocument(testFile);
    }
}

void CEncoderDlg::OnPreview() {
    UpdateData(true);
    const auto length = mk::FileLength(m_strOutputFile);
    if (m_strOutputFile.empty() || !length) {
        ShowStop(m_desktop, "Out file was not created.", "File not found");
    } else if (*length == 0) {
        ShowStop(m_desktop, "Out file is empty: Check command string.", "Empty File");
    } else {
        m_desktop.OpenDocument(m_strOutputFile);
    }
}

void CEncoderDlg::OnBatchClear() {
    mk::WriteBatchHeader(GetProgramFolder() + m_dialect.BatchFile(), m_dialect);
}

void CEncoderDlg::OnBatchAdd() {
    const std::string batch = GetProgramFolder() + m_dialect.BatchFile();
    if (!FileExists(batch)) {
        mk::WriteBatchHeader(batch, m_dialect);
    }
    OnGenerate();
    mk::AppendBatchCommand(batch, m_dialect, ControlText(IDC_COMMAND));
}

void CEncoderDlg::OnBatchView() {
    const std::string batch = GetProgramFolder() + m_dialect.BatchFile();
    if (!FileExists(batch)) {
        ShowStop(m_desktop, batch, "File not found");
        return;
    }
    m_desktop.EditFile(batch);
}

void CEncoderDlg::OnBatchRun() {
    const std::string batch = GetProgramFolder() + m_dialect.BatchFile();
    if (!FileExists(batch)) {
        ShowStop(m_desktop, batch, "File not found");
        return;
    }
    m_desktop.MinimizeForm();
    m_desktop.RunConsole(m_dialect.BatchRunLine("\"" + m_dialect.Escape(batch) + "\""), true);
    m_desktop.RestoreForm();
}
