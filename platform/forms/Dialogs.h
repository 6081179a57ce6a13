#pragma once

#include <QString>

// Message boxes, input boxes and file and folder choosers. Every dialog that waits for a person
// goes through the one service of DialogService.h, which tests replace with a script.
namespace forms {

// Button sets (style & 7).
constexpr int vbOKOnly = 0;
constexpr int vbOKCancel = 1;
constexpr int vbAbortRetryIgnore = 2;
constexpr int vbYesNoCancel = 3;
constexpr int vbYesNo = 4;
constexpr int vbRetryCancel = 5;
constexpr int vbCancelTryContinue = 6;
// Icons (style & 0x70).
constexpr int vbCritical = 16;
constexpr int vbQuestion = 32;
constexpr int vbExclamation = 48;
constexpr int vbInformation = 64;
// Default button (style & 0x300).
constexpr int vbDefaultButton1 = 0;
constexpr int vbDefaultButton2 = 256;
constexpr int vbDefaultButton3 = 512;
constexpr int vbDefaultButton4 = 768;

// Answers.
constexpr int vbOK = 1;
constexpr int vbCancel = 2;
constexpr int vbAbort = 3;
constexpr int vbRetry = 4;
constexpr int vbIgnore = 5;
constexpr int vbYes = 6;
constexpr int vbNo = 7;
constexpr int vbTryAgain = 10;
constexpr int vbContinue = 11;

// The title of boxes whose call gives none.
void SetAppTitle(const QString& title);
QString AppTitle();

// Shows a message box and returns the answer code of the button pressed.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});

// Shows an input box; Cancel gives the empty text.
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});

// File choosers. The filter is written as pairs "Description|*.a;*.b|Description|*.c".
// Cancel gives the empty text.
QString GetOpenFileName(const QString& title, const QString& filter = {},
                        const QString& initialDir = {}, const QString& fileName = {});
QString GetSaveFileName(const QString& title, const QString& filter = {},
                        const QString& initialDir = {}, const QString& fileName = {});

// Folder chooser; Cancel gives the empty text.
QString BrowseForFolder(const QString& title, const QString& initialDir = {});

} // namespace forms
