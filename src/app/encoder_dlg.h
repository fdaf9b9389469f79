// The main form: every setting in its fields (public, as the operations and tests use them), the
// controls built from the dialog template, the binding between both, and one handler per event.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QRect>
#include <QSize>
#include <map>
#include <span>
#include <string>

#include "command/encoder_fields.h"
#include "form/form_model.h"
#include "platform/desktop.h"
#include "platform/shell_dialect.h"
#include "rules/control_change.h"
#include "ui/captions.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QMenuBar;

class CEncoderDlg : public QDialog, public mk::EncoderFields {
    Q_OBJECT

public:
    // The desktop is not owned; it outlives the form.
    explicit CEncoderDlg(mk::Desktop& desktop, QWidget* parent = nullptr,
                         mk::ShellDialect dialect = mk::ShellDialect::Native());
    ~CEncoderDlg() override;

    // Attached to check box 1036 at the first data exchange; lets the rules clear its mark.
    QCheckBox* m_ctlAviSynth = nullptr;
    QIcon m_hIcon;

    // Data exchange: true reads every control into its field, false writes every field.
    bool UpdateData(bool bSaveAndValidate = true);
    void DoDataExchange(bool bSaveAndValidate);
    bool OnInitDialog();

    // Form and about box.
    void OnSysCommand(unsigned nID, long lParam);
    void OnReadForm();

    // Command line.
    void OnGenerate();
    std::string GetSourceAudioCodec();
    std::string GetProgramFolder();

    // Source and probe.
    void OnOpenFile();
    void OpenSource(
        const std::string& path);  // what Open File does once the dialog confirmed a file
    void ParseProbeReport();

    // Control rules and presets.
    bool IsPresettingOn() const;
    void OnProcessVideoAudio();
    void OnKillfocusTarget();
    void OnKillfocusFormat();
    void OnKillfocusAudioTarget();
    void OnOptionsPresetting();
    void OnSaveFile();

    // Running ffmpeg.
    void OnOK();
    void OnAvisynthEdit();
    void OnTest();
    void OnPreview();
    void OnBatchClear();
    void OnBatchAdd();
    void OnBatchView();
    void OnBatchRun();
    // Disc: titles collected from the form, then authored by morvakelin-cli --disc in the console.
    void OnDiscAdd();
    void OnDiscTitles();
    void OnDiscMake();
    void OnDiscClear();
    void RetranslateDiscMenu();

    // Language, help, support.
    void OnLanguageEnglish();
    void OnLanguageDeutsch();
    void SaveLanguage();
    void RestoreLanguage();
    void OnHelp();
    void OnHelpFile();
    void OnSupport();
    void OnInfo();

    // Access for the event routing, the desktop and tests.
    QWidget* Control(int id) const;
    QAction* MenuAction(int command) const;
    QMenuBar* MenuBar() const { return m_menuBar; }
    const mk::ShellDialect& Dialect() const { return m_dialect; }
    // Sets one control's text (combo boxes by the combo-string rule) without touching its field.
    void SetControlText(int id, const std::string& text);
    std::string ControlText(int id) const;
    void EnableControl(int id, bool enable);
    bool IsControlEnabled(int id) const;

    // Routes one event of the event table; the widgets' signals and focus changes arrive here.
    enum class Event { Clicked, LosesFocus, TextChanged, MenuCommand, HelpCommand };
    bool Dispatch(Event event, int id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void reject() override;  // Exit, Esc and the close button end the program
    void accept() override;  // Encode never closes the form

private:
    void CreateControls();
    void CreateMenu();
    void ConnectEvents();
    void ApplyChanges(const mk::ControlChanges& changes);
    void ApplySourceOpened(const mk::SourceOpened& opened);
    mk::FormEnv Env();
    void ApplyCaptions(std::span<const mk::Caption> captions);
    std::string ProbeReportPath();
    bool FileExists(const std::string& path) const;

    mk::Desktop& m_desktop;
    mk::ShellDialect m_dialect;
    std::map<int, QWidget*> m_controls;
    std::map<int, QAction*> m_actions;
    QMenuBar* m_menuBar = nullptr;
    bool m_initialised = false;
    bool m_firstExchange = true;
    bool m_inHandler = false;
    std::string m_lastFolder;       // of the file last chosen in a file dialog
    bool m_inDataExchange = false;  // notifications are locked out while the controls are written
    double m_unitX = 1.5;           // pixels per horizontal dialog unit
    double m_unitY = 1.625;         // pixels per vertical dialog unit
};

// Which handler each event of the form runs: one table (event_table.cpp), read by the dispatcher.
struct EventRoute {
    CEncoderDlg::Event event;
    int source;  // control id or menu command id
    void (CEncoderDlg::*handler)();
};
std::span<const EventRoute> EncoderEventTable();

// Keyboard and screen-reader access to the form (form_access.cpp): labels tied to their controls,
// names and descriptions where no caption says enough, the read-only fields in the Tab order,
// Return on buttons, F10 for the menu bar, readable disabled text. Once, when the controls and
// the menu exist; the texts again after every change of the interface language.
void MakeFormAccessible(CEncoderDlg& dlg);
void ApplyFormAccessibleTexts(CEncoderDlg& dlg);

// When the fixed form is larger than the screen's free area, its controls move into a scrolling
// page that keeps the focused control in view; a form that fits is left as it is (form_fit.cpp).
// Its frame, title bar included, is placed on the screen's free area, and put back there once the
// window manager's real frame is known.
void FitFormToScreen(CEncoderDlg& dlg);
void FitFormToArea(CEncoderDlg& dlg, QSize area);
// The frame moved onto the area by the least distance, and no larger than the area.
QRect FrameOnArea(const QRect& frame, const QRect& area);
