// The Disc menu: titles collected from the form as it stands, kept in Conf/, and authored by
// morvakelin-cli --disc in the console, which shows the encodes, the authoring and the read-back.
#include <QAction>
#include <filesystem>

#include "app/encoder_dlg.h"
#include "disc/disc_titles.h"
#include "jobs/progress.h"
#include "platform/file_checks.h"
#include "qt/disc_windows.h"
#include "res/resource.h"

using namespace mk::ids;

namespace {

std::string Quoted(const mk::ShellDialect& d, const std::string& text) {
    return "\"" + d.Escape(text) + "\"";
}

}  // namespace

void CEncoderDlg::RetranslateDiscMenu() {
    const std::pair<int, QString> texts[] = {{ID_DISC_ADD, tr("Add current source")},
                                             {ID_DISC_TITLES, tr("Titles...")},
                                             {ID_DISC_MAKE, tr("Make disc...")},
                                             {ID_DISC_CLEAR, tr("Clear")}};
    for (const auto& [id, text] : texts) {
        if (QAction* action = MenuAction(id)) {
            action->setText(text);
        }
    }
}

void CEncoderDlg::OnDiscAdd() {
    UpdateData(true);
    if (!mk::FileExists(m_strSourceFile)) {
        m_desktop.ShowMessage(tr("Open a source first: File > Open.").toStdString(),
                              tr("Disc").toStdString(), mk::MessageIcon::Stop);
        return;
    }
    const auto args = mk::disc::TitleArgsOf(*this);
    mk::ProgressParser probe;
    probe.Feed(m_strSourceInfo + "\n");
    if (!args || !mk::disc::AppendDiscTitle(mk::disc::DiscTitlesPath(GetProgramFolder()),
                                            {probe.Duration().value_or(0), *args})) {
        m_desktop.ShowMessage(tr("The title cannot be kept in Conf/.").toStdString(),
                              tr("Disc").toStdString(), mk::MessageIcon::Stop);
    }
}

void CEncoderDlg::OnDiscTitles() {
    mk::DiscTitlesWindow window(mk::disc::DiscTitlesPath(GetProgramFolder()), this);
    window.exec();
}

void CEncoderDlg::OnDiscMake() {
    const std::string titles = mk::disc::DiscTitlesPath(GetProgramFolder());
    if (mk::disc::ReadDiscTitles(titles).empty()) {
        m_desktop.ShowMessage(tr("No titles yet: Disc > Add current source.").toStdString(),
                              tr("Disc").toStdString(), mk::MessageIcon::Stop);
        return;
    }
    namespace fs = std::filesystem;
    const std::string start = m_strOutputFile.empty()
                                  ? ""
                                  : (fs::path(m_strOutputFile).parent_path() / "disc.iso").string();
    const auto request = mk::AskDiscRequest(this, start);
    if (!request) {
        return;
    }
    std::string line = Quoted(m_dialect, GetProgramFolder() + "morvakelin-cli") + " --disc " +
                       Quoted(m_dialect, fs::absolute(request->name).string()) + " --chapters " +
                       Quoted(m_dialect, request->chapters) + " --titles " +
                       Quoted(m_dialect, titles);
    if (!request->size.empty()) {
        line += " --fit " + Quoted(m_dialect, request->size);
    }
    m_desktop.MinimizeForm();
    m_desktop.RunConsole(line, true);
    m_desktop.RestoreForm();
}

void CEncoderDlg::OnDiscClear() {
    mk::disc::WriteDiscTitles(mk::disc::DiscTitlesPath(GetProgramFolder()), {});
}
