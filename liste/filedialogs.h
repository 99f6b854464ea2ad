#pragma once

// The list window's file dialogs. Where staff lists live is to be kept
// nowhere. On Linux they are Qt's own, never the desktop's: GTK's keep
// records of their own of the files they showed, and Qt's own keeps none,
// since the program starts with Qt's settings going nowhere
// (startapplication.h); sizes and dates are German whatever the locale, as
// Qt's other texts. On Windows they are Windows' own, told to keep nothing
// (filedialogs_windows.h); Qt's own only when Windows cannot show its.

#include <QString>

class QWidget;

namespace kennfix::liste {

// The list to open, starting in `folder` (empty: the working folder);
// empty when the user cancels.
QString AskForListToOpen(QWidget* parent, const QString& folder);

// Where to save, proposing `proposed`; empty when the user cancels.
QString AskWhereToSave(QWidget* parent, const QString& proposed);

}  // namespace kennfix::liste
