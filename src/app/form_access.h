// Keyboard and screen-reader access to the main form: labels tied to their controls, names and
// descriptions where no caption says enough, the read-only fields in the Tab order, Return on
// buttons, F10 for the menu bar, readable disabled text, and scrolling on a screen too small.
#pragma once

#include <QSize>

class CEncoderDlg;

// Once, when the controls and the menu exist.
void MakeFormAccessible(CEncoderDlg& dlg);
// After every change of the interface language: names and descriptions follow m_strLanguage.
void ApplyFormAccessibleTexts(CEncoderDlg& dlg);

// When the fixed form is larger than the screen's free area, its controls move into a scrolling
// page that keeps the focused control in view; a form that fits is left as it is.
void FitFormToScreen(CEncoderDlg& dlg);
void FitFormToArea(CEncoderDlg& dlg, QSize area);
