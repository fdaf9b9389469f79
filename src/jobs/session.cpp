#include "jobs/session.h"

#include <algorithm>

#include "form/field_bindings.h"
#include "probe/probe_command.h"
#include "probe/report_parser.h"
#include "probe/report_text.h"
#include "res/dialog_template.h"
#include "rules/control_rules.h"
#include "platform/file_checks.h"
#include "form/combo_string.h"

namespace mk {

namespace {

// The text a control shows once `text` is written into it: combo boxes select the first item
// that begins with it.
std::string AsWritten(int id, const std::string& text) {
    const auto lists = EncoderComboLists();
    const auto list =
        std::find_if(lists.begin(), lists.end(), [id](const ComboList& l) { return l.id == id; });
    if (list == lists.end()) {
        return text;
    }
    const int index = ComboStringIndex(list->items, text);
    return index < 0 ? text : std::string(list->items[static_cast<std::size_t>(index)]);
}

RuleContext ContextOf(const EncoderFields& f, bool presetting) {
    return {presetting, FileExists(f.m_strSourceFile), FileExists(f.m_strOutputFile)};
}

}  // namespace

void ApplyToFields(EncoderFields& f, const ControlChanges& changes) {
    for (const ControlChange& c : changes) {
        if (c.kind == ChangeKind::ClearAviSynthCheck) {
            f.m_bUseAviSynth = 0;
        } else if (c.kind == ChangeKind::SetText) {
            if (std::string* field = TextFieldOf(f, c.id)) {
                *field = AsWritten(c.id, c.text);
            }
        }
    }
}

void OpenSourceFields(EncoderFields& f, const std::string& path, bool presetting,
                      const ShellDialect& d, const std::string& folder, const ShellRunner& run) {
    f.m_strSourceFile = path;
    f.m_strSourceExt = ExtensionOf(path);
    if (!IsVobExtension(f.m_strSourceExt)) {
        f.m_strAudioStream = "1";
        f.m_strVideoStream = "0";
    } else {
        f.m_bUseAviSynth = 0;
    }
    // The rules see the fields as they stood before this run, as the form's do.
    ApplyToFields(f, ApplyControlRules(f, ContextOf(f, presetting)));
    run(ProbeCommand(d, folder, f.m_strSourceFile));
    ReadProbeReportInto(f, folder + d.ProbeReport());
}

bool ReadProbeReportInto(EncoderFields& f, const std::string& reportPath) {
    f.m_dSourceWidth = 0;
    f.m_dSourceHeight = 0;
    const auto report = ReadProbeReport(reportPath);
    if (!report) {
        return false;
    }
    const ProbeFacts facts = ParseProbeText(*report);
    f.m_strSourceInfo = facts.sourceInfo;
    f.m_dSourceWidth = facts.width;
    f.m_dSourceHeight = facts.height;
    return true;
}

void ProcessBoxChanged(EncoderFields& f, bool presetting) {
    if (presetting) {
        ApplyToFields(f, ApplyControlRules(f, ContextOf(f, presetting)));
    }
}

void TargetLeft(EncoderFields& f, bool presetting) {
    ApplyToFields(f, ApplyControlRules(f, ContextOf(f, presetting)));
}

void FormatLeft(EncoderFields& f, bool presetting) {
    if (presetting) {
        ApplyToFields(f, SizePresets(f));
    }
}

void AudioTargetLeft(EncoderFields& f, bool presetting) {
    if (presetting) {
        ApplyToFields(f, AudioPresets(f));
    }
}

}  // namespace mk
