#pragma once

// Windows' own file dialogs for the list window, German as Windows is, told
// to keep nothing: no entry in the recent documents (and so none in the
// Start menu's or Explorer's lists of recent files), no last folder or
// window size in the registry for this program. Windows' file dialog keeps
// those under a program's key unless it is given one of its own and asked
// to forget it, which each dialog here does once it is closed.

#include <optional>

#include <QString>

class QWidget;

namespace kennfix::liste {

enum class WindowsFileDialog { Open, Save };

// The chosen file, an empty string when the user cancels, nothing when
// Windows cannot show its dialog. `start` is the folder to open in (empty:
// the working folder) or, for saving, the proposed file.
std::optional<QString> AskWithWindowsDialog(QWidget* parent, WindowsFileDialog kind, const QString& caption,
                                            const QString& start);

}  // namespace kennfix::liste
