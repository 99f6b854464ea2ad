#pragma once

// The message boxes of the package's window programs: an error and a
// question, each under the program's own title. Every box stands in the
// centre of the screen, and the focus goes back where it was when it closes.

#include <QMessageBox>

namespace kennfix {

// The error box of a program: `title` as its caption, stop icon, OK, and
// `message` as it stands: sentences complete with their marks, which may
// span lines.
void ShowErrorBoxTitled(const QString& title, const QString& message);

// A question with a warning icon: `acceptText` (the default button, Enter)
// or "Abbrechen" (Escape). True when `acceptText` was chosen.
bool AskTitled(const QString& title, const QString& question, const QString& acceptText);

// Shows `box` modal in the centre of the screen and waits for it to close;
// the focus then goes back where it was.
void ExecKeepingFocus(QMessageBox& box);

}  // namespace kennfix
