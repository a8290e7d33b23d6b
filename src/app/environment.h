#pragma once
// Process-wide services of the desktop program: its title, its font and the plain system
// message box for notices. The program folder is the core's ProgramFolder().
#include <QString>

class QFont;

namespace korvel {

// The answers of SystemMessageBox, with the values callers have always compared against.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The kinds of SystemMessageBox; any other value asks Yes, No or Cancel.
inline constexpr int kMsgError = 1;
inline constexpr int kMsgInformation = 2;
inline constexpr int kMsgOkCancel = 3;
inline constexpr int kMsgYesNo = 4;

// "Korvel": the title of the program and of every message box.
QString ApplicationTitle();

// Gives font the desktop's general font family (kept when the desktop names none) at 9 points;
// the main window and every dialog apply it to themselves when they are made.
void SetUiFont(QFont& font);

// A modal notice or question over the active window, which is first restored when minimized.
// The caption is trimmed; an error adds " : Error" to it. text is shown as plain text. Returns
// kIdOk, kIdCancel, kIdYes or kIdNo; closing the box answers Cancel where there is a Cancel
// button, else No, else OK.
int SystemMessageBox(const QString& caption, const QString& text, int type);

}  // namespace korvel
