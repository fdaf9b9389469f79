// A real main form on the offscreen platform, wired to a recording desktop in a fresh program
// folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <memory>

#include "app/encoder_dlg.h"
#include "qt/ui_language.h"
#include "res/resource.h"
#include "support/fake_desktop.h"
#include "support/files.h"
#include "support/shell.h"

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { MakeForm(mk::ShellDialect::Posix()); }
    // The windows' language is the application's: a German form leaves it German for the next.
    void TearDown() override { mk::UseInterfaceLanguage("english"); }

    void MakeForm(mk::ShellDialect dialect) {
        dlg.reset();
        dlg = std::make_unique<CEncoderDlg>(desktop, nullptr, dialect);
        dlg->OnInitDialog();
    }

    // Writes a file with the given bytes into the program folder (or anywhere, given a full path).
    std::string WriteFile(const std::string& path, const std::string& bytes) {
        return mk::test::WriteFile(path.starts_with("/") ? path : desktop.ProgramFolder() + path,
                                   bytes);
    }

    static std::string ReadFile(const std::string& path) { return mk::test::ReadFile(path); }

    QCheckBox* Check(int id) const { return qobject_cast<QCheckBox*>(dlg->Control(id)); }
    QComboBox* Combo(int id) const { return qobject_cast<QComboBox*>(dlg->Control(id)); }

    FakeDesktop desktop;
    std::unique_ptr<CEncoderDlg> dlg;
};
