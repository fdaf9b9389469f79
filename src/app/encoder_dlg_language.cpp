// Interface language, help, support page and information.
#include <QAction>

#include "app/encoder_dlg.h"
#include "qt/ui_language.h"
#include "ui/captions.h"
#include "ui/documents.h"
#include "ui/language_file.h"

namespace {

constexpr const char* kHelpMissing = "Helpfile is not in Morvakelin's help folder";

}  // namespace

void CEncoderDlg::ApplyCaptions(std::span<const mk::Caption> captions) {
    for (const auto& caption : captions) {
        if (caption.target == mk::CaptionTarget::MenuItem) {
            // The item is rewritten whole: enabled and without a check mark.
            QAction* action = MenuAction(caption.id);
            action->setText(QString::fromUtf8(caption.text.data(),
                                              static_cast<qsizetype>(caption.text.size())));
            action->setEnabled(true);
            action->setChecked(false);
        } else {
            SetControlText(caption.id, std::string(caption.text));
        }
    }
}

void CEncoderDlg::OnLanguageEnglish() {
    ApplyCaptions(mk::EnglishCaptions());
    m_strLanguage = "english";
    mk::UseInterfaceLanguage(m_strLanguage);
    RetranslateDiscMenu();
    ApplyFormAccessibleTexts(*this);
    SaveLanguage();
}

void CEncoderDlg::OnLanguageDeutsch() {
    ApplyCaptions(mk::GermanCaptions());
    m_strLanguage = "deutsch";
    mk::UseInterfaceLanguage(m_strLanguage);
    RetranslateDiscMenu();
    ApplyFormAccessibleTexts(*this);
    SaveLanguage();
}

void CEncoderDlg::SaveLanguage() {
    mk::SaveLanguage(GetProgramFolder() + m_dialect.LanguageFile(), m_strLanguage);
}

void CEncoderDlg::RestoreLanguage() {
    const auto restored = mk::ReadLanguageFile(GetProgramFolder() + m_dialect.LanguageFile());
    switch (restored.apply) {
        case mk::RestoredLanguage::None:
            break;  // first start: the template's captions stay
        case mk::RestoredLanguage::German:
            OnLanguageDeutsch();
            break;
        case mk::RestoredLanguage::English:
            OnLanguageEnglish();
            break;
    }
}

void CEncoderDlg::OnHelp() {
    const std::string path = mk::HelpFilePath(m_dialect, GetProgramFolder(), m_strLanguage);
    if (!m_desktop.ShowHelp(path, mk::kMainFormHelpContext)) {
        m_desktop.ShowMessage(kHelpMissing, "File not found", mk::MessageIcon::Stop);
    }
}

void CEncoderDlg::OnHelpFile() {
    // The contents: the same help file from its beginning, in our help viewer, since no
    // desktop program here opens these files by default.
    const std::string path = mk::HelpFilePath(m_dialect, GetProgramFolder(), m_strLanguage);
    if (!m_desktop.ShowHelp(path, 0)) {
        m_desktop.ShowMessage(kHelpMissing, "File not found", mk::MessageIcon::Stop);
    }
}

void CEncoderDlg::OnSupport() {
    m_desktop.OpenDocument(mk::SupportPagePath(m_dialect, GetProgramFolder(), m_strLanguage));
}

void CEncoderDlg::OnInfo() {
    m_desktop.ShowMessage("Morvakelin V 3.0", "Information", mk::MessageIcon::Information);
}
