// A real main form on the offscreen platform, wired to a recording desktop in a fresh program
// folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/encoder_dlg.h"
#include "res/resource.h"
#include "support/fake_desktop.h"

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { MakeForm(mk::ShellDialect::Posix()); }

    void MakeForm(mk::ShellDialect dialect) {
        dlg.reset();
        dlg = std::make_unique<CEncoderDlg>(desktop, nullptr, dialect);
        dlg->OnInitDialog();
    }

    // Writes a file with the given bytes into the program folder (or anywhere, given a full path).
    std::string WriteFile(const std::string& path, const std::string& bytes) {
        const std::string full = path.starts_with("/") ? path : desktop.ProgramFolder() + path;
        std::ofstream out(full, std::ios::binary);
        out << bytes;
        return full;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    QCheckBox* Check(int id) const { return qobject_cast<QCheckBox*>(dlg->Control(id)); }
    QComboBox* Combo(int id) const { return qobject_cast<QComboBox*>(dlg->Control(id)); }

    FakeDesktop desktop;
    std::unique_ptr<CEncoderDlg> dlg;
};
