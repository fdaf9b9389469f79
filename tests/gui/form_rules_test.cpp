// The control rules through the real form: the Presetting item, focus changes and Open File.
#include <QAbstractItemView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "form/field_table.h"
#include "rules/control_rules.h"
#include "support/form_fixture.h"

using namespace mk::ids;

TEST_F(FormTest, PresettingOnBeforeAnySourceLocksTheFormWithAnEmptyFileMissingBox) {
    dlg->OnOptionsPresetting();  // off: every governed control enabled
    EXPECT_FALSE(dlg->IsPresettingOn());
    for (mk::Field field : mk::kGovernedFields) {
        const int id = mk::RowOf(field).control;
        EXPECT_TRUE(dlg->IsControlEnabled(id)) << id;
    }
    EXPECT_FALSE(Check(IDC_USE_AVISYNTH)->isChecked());
    EXPECT_TRUE(desktop.messages.empty());

    dlg->OnOptionsPresetting();  // on again, no source
    EXPECT_TRUE(dlg->IsPresettingOn());
    for (mk::Field field : mk::kGovernedFields) {
        const int id = mk::RowOf(field).control;
        EXPECT_FALSE(dlg->IsControlEnabled(id)) << id;
    }
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].title, "File Missing");
    EXPECT_EQ(desktop.messages[0].text, "");
    EXPECT_EQ(desktop.messages[0].icon, mk::MessageIcon::Stop);
    for (int id : {IDC_OPEN_FILE, IDC_SUPPORT, IDCANCEL}) {
        EXPECT_TRUE(dlg->IsControlEnabled(id));
    }
}

TEST_F(FormTest, PresettingMenuCommandTogglesItsOwnMark) {
    dlg->MenuAction(ID_OPTIONS_PRESETTING)->trigger();
    EXPECT_FALSE(dlg->IsPresettingOn());
    desktop.messages.clear();
    dlg->MenuAction(ID_OPTIONS_PRESETTING)->trigger();
    EXPECT_TRUE(dlg->IsPresettingOn());
    EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(FormTest, PresettingOffClicksChangeNothingAndLeavingTargetEnablesAll) {
    const std::string source = WriteFile("movie.avi", "x");
    desktop.onShell = [](const std::string&) { return 0; };
    desktop.dialogAnswers.push_back(source);
    dlg->OnOpenFile();
    dlg->OnOptionsPresetting();  // off
    Check(IDC_USE_AVISYNTH)->setChecked(true);
    dlg->EnableControl(IDC_TARGET, false);
    Check(IDC_PROCESS_VIDEO)->click();
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_TARGET));  // click changed nothing
    dlg->OnKillfocusTarget();
    for (mk::Field field : mk::kGovernedFields) {
        const int id = mk::RowOf(field).control;
        EXPECT_TRUE(dlg->IsControlEnabled(id)) << id;
    }
    EXPECT_FALSE(Check(IDC_USE_AVISYNTH)->isChecked());
}

TEST_F(FormTest, TargetFocusLossAppliesPresetsBeforeTheNextHandlerReadsTheForm) {
    const std::string source = WriteFile("movie.avi", "x");
    desktop.onShell = [](const std::string&) { return 0; };
    desktop.dialogAnswers.push_back(source);
    dlg->OnOpenFile();
    dlg->show();
    Combo(IDC_TARGET)->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    Combo(IDC_TARGET)->setEditText("svcd");
    // Focus moves to another control: the rules run and write the svcd presets.
    dlg->Control(IDC_MORE_OPTIONS)->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    if (!dlg->Control(IDC_MORE_OPTIONS)->hasFocus()) {
        GTEST_SKIP() << "the offscreen platform gave no focus to the form";
    }
    EXPECT_EQ(dlg->ControlText(IDC_VIDEO_BITRATE), "2040");
    EXPECT_EQ(dlg->ControlText(IDC_WIDTH), "480");
    EXPECT_EQ(dlg->ControlText(IDC_AUDIO_TARGET), "mp2");
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_VIDEO_BITRATE));
    EXPECT_EQ(dlg->m_strTarget, "svcd");
}

// Opening a combo's list moves the focus into the list's popup, which is no loss of focus: the
// Target rules wait until the focus really leaves the box. Real key events throughout.
TEST_F(FormTest, OpeningTheTargetListRunsNoRuleUntilTheFocusLeaves) {
    struct Case {
        bool presetting;
        const char* bitrateAfterLeaving;  // the typed vcd's preset, or the text left alone
    };
    for (const Case& c : {Case{true, "1150"}, Case{false, "6000"}}) {
        SCOPED_TRACE(c.presetting ? "presetting on" : "presetting off");
        SetUp();
        desktop.onShell = [](const std::string&) { return 0; };
        desktop.dialogAnswers.push_back(WriteFile("movie.avi", "x"));
        dlg->OnOpenFile();
        if (!c.presetting) {
            dlg->OnOptionsPresetting();
            Check(IDC_USE_AVISYNTH)->setChecked(true);  // leaving Target clears it
        }
        const bool aviSynthBefore = Check(IDC_USE_AVISYNTH)->isChecked();
        dlg->show();
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        QComboBox* target = Combo(IDC_TARGET);
        QTest::mouseClick(target->lineEdit(), Qt::LeftButton);
        ASSERT_TRUE(target->hasFocus());
        target->lineEdit()->selectAll();
        QTest::keyClicks(target->lineEdit(), "vcd");

        QTest::keyClick(target->lineEdit(), Qt::Key_Down, Qt::AltModifier);  // open the list
        ASSERT_TRUE(QTest::qWaitFor([&] { return target->view()->isVisible(); }));
        QApplication::processEvents();
        EXPECT_EQ(dlg->ControlText(IDC_VIDEO_BITRATE), "6000");
        EXPECT_EQ(Check(IDC_USE_AVISYNTH)->isChecked(), aviSynthBefore);
        QTest::keyClick(target->view(), Qt::Key_Escape);  // close it again: still no rule
        ASSERT_TRUE(QTest::qWaitFor([&] { return !target->view()->isVisible(); }));
        EXPECT_EQ(dlg->ControlText(IDC_VIDEO_BITRATE), "6000");
        EXPECT_EQ(dlg->m_strTarget, "dvd");

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // really leaving
        EXPECT_FALSE(target->hasFocus());
        EXPECT_EQ(dlg->m_strTarget, "vcd");
        EXPECT_EQ(dlg->ControlText(IDC_VIDEO_BITRATE), c.bitrateAfterLeaving);
        EXPECT_FALSE(Check(IDC_USE_AVISYNTH)->isChecked());
    }
}

TEST_F(FormTest, OpenFileSetsStreamsOrAviSynthByTheVobRules) {
    desktop.onShell = [](const std::string&) { return 0; };
    struct Case {
        const char* name;
        bool vob;
    };
    for (const Case& c : {Case{"movie.VOB", true}, Case{"movie.vob", true},
                          Case{"movie.Vob", false}, Case{"movie.avi", false}}) {
        const std::string source = WriteFile(c.name, "x");
        qobject_cast<QLineEdit*>(dlg->Control(IDC_AUDIO_STREAM))->setText("3");
        qobject_cast<QLineEdit*>(dlg->Control(IDC_VIDEO_STREAM))->setText("2");
        dlg->m_bUseAviSynth = 1;
        Check(IDC_USE_AVISYNTH)->setChecked(true);
        desktop.dialogAnswers.push_back(source);
        dlg->OnOpenFile();
        EXPECT_EQ(dlg->m_strSourceFile, source);
        EXPECT_EQ(dlg->ControlText(IDC_SOURCE_FILE), source);
        if (c.vob) {
            EXPECT_EQ(dlg->ControlText(IDC_AUDIO_STREAM), "3") << c.name;
            EXPECT_EQ(dlg->ControlText(IDC_VIDEO_STREAM), "2") << c.name;
            EXPECT_FALSE(Check(IDC_USE_AVISYNTH)->isChecked()) << c.name;
            EXPECT_TRUE(dlg->IsControlEnabled(IDC_VIDEO_STREAM)) << c.name;
            EXPECT_TRUE(dlg->IsControlEnabled(IDC_TEST)) << c.name;
        } else {
            EXPECT_EQ(dlg->ControlText(IDC_AUDIO_STREAM), "1") << c.name;
            EXPECT_EQ(dlg->ControlText(IDC_VIDEO_STREAM), "0") << c.name;
            EXPECT_TRUE(dlg->IsControlEnabled(IDC_USE_AVISYNTH)) << c.name;
            EXPECT_FALSE(dlg->IsControlEnabled(IDC_VIDEO_STREAM)) << c.name;
        }
    }
    // The filter of the open dialog and its settings.
    ASSERT_FALSE(desktop.dialogRequests.empty());
    EXPECT_EQ(desktop.dialogRequests[0].mfcFilter,
              "Video Files(*.wmv; *.asf; *.mpg; *.avi; *.vob; *.mp4)|*.wmv; *.asf; *.mpg; *.avi; "
              "*.vob; *.mp4|All Files(*.*)|*.*||");
    EXPECT_TRUE(desktop.dialogRequests[0].mustExist);
}

// Open File starts beside the source, Save File beside the output or else the source; while the
// form names neither, in the folder of the file last chosen.
TEST_F(FormTest, FileDialogsStartBesideTheFormsFiles) {
    desktop.onShell = [](const std::string&) { return 0; };
    const std::string src = desktop.ProgramFolder() + "src", out = desktop.ProgramFolder() + "out";
    struct Step {
        bool save;
        std::optional<std::string> answer;
        std::string expectedStart;
    };
    const Step steps[] = {
        {true, out + "/a.mpg", ""},        // nothing known yet
        {false, src + "/movie.avi", out},  // no source: where the last file was chosen
        {false, std::nullopt, src},
        {true, std::nullopt, out},
    };
    for (const Step& step : steps) {
        desktop.dialogAnswers.push_back(step.answer);
        step.save ? dlg->OnSaveFile() : dlg->OnOpenFile();
        EXPECT_EQ(desktop.dialogRequests.back().startFolder, step.expectedStart);
    }
    qobject_cast<QLineEdit*>(dlg->Control(IDC_OUTPUT_FILE))->clear();  // no output: the source's
    dlg->OnSaveFile();
    EXPECT_EQ(desktop.dialogRequests.back().startFolder, src);
}

TEST_F(FormTest, OpenFileCancelledChangesNothing) {
    dlg->OnOpenFile();
    EXPECT_TRUE(dlg->m_strSourceFile.empty());
    EXPECT_TRUE(desktop.shellCommands.empty());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(FormTest, SaveFileProposesTheTypeAndEnablesTheOutputButtons) {
    const std::string existing = WriteFile("old.mpg", "data");
    desktop.dialogAnswers.push_back(existing);
    dlg->OnSaveFile();
    ASSERT_EQ(desktop.dialogRequests.size(), 1u);
    EXPECT_EQ(desktop.dialogRequests[0].mfcFilter, "MPEG Files(*.mpg)|*.mpg||");
    EXPECT_EQ(desktop.dialogRequests[0].defaultExtension, "mpg");
    EXPECT_TRUE(desktop.dialogRequests[0].overwritePrompt);
    EXPECT_EQ(dlg->m_strOutputFile, existing);
    EXPECT_EQ(dlg->ControlText(IDC_OUTPUT_FILE), existing);
    for (int id : {IDC_GENERATE, IDC_COMMAND, IDOK, IDC_PREVIEW}) {
        EXPECT_TRUE(dlg->IsControlEnabled(id)) << id;
    }
    desktop.dialogAnswers.push_back(desktop.ProgramFolder() + "new.mpg");
    dlg->OnSaveFile();
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_PREVIEW));
    // Cancelled: nothing changes.
    dlg->OnSaveFile();
    EXPECT_EQ(dlg->m_strOutputFile, desktop.ProgramFolder() + "new.mpg");
}

TEST_F(FormTest, MissingReportKeepsTheSourcePropertiesText) {
    qobject_cast<QPlainTextEdit*>(dlg->Control(IDC_SOURCE_INFO))->setPlainText("old text");
    dlg->m_dSourceWidth = 640;
    dlg->ParseProbeReport();
    EXPECT_EQ(dlg->ControlText(IDC_SOURCE_INFO), "old text");
    EXPECT_EQ(dlg->m_dSourceWidth, 0);
    // A report with bytes that are not UTF-8 shows them (read as Latin-1).
    WriteFile("Conf/test.txt",
              "  Duration: 00:00:01.00 caf\xe9\nMust supply at least one output file\n");
    dlg->ParseProbeReport();
    EXPECT_EQ(dlg->ControlText(IDC_SOURCE_INFO), "  Duration: 00:00:01.00 caf\xc3\xa9\n");
}
