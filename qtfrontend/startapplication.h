#pragma once

// The application object of a window program. Without a display to reach
// (no DISPLAY, a dead X server, a Wayland session gone), Qt would end the
// program with an English message and a core dump; this ends it with a
// German message and status 1 instead. Qt's other messages, English notes
// for developers, stay off standard error unless QT_LOGGING_RULES asks for
// them. Qt keeps no records of its own (the file dialog's folders).

#include <memory>

class QApplication;
class QString;

namespace kennfix {

inline constexpr int kNoDisplayStatus = 1;

// Creates the QApplication for `argc` and `argv` (which must outlive it).
// `program` names the program in the message, as on the command line.
std::unique_ptr<QApplication> StartApplication(int& argc, char** argv, const char* program);

// Sends what Qt's widgets would keep through QSettings (the file dialog's
// folders) where nothing can be written. StartApplication does this first.
void KeepQtSettingsNowhere();

// A notice of the program's own on standard error, which Qt's messages no
// longer reach.
void PrintNotice(const QString& text);

}  // namespace kennfix
