#pragma once

// The list window's file dialogs. They are Qt's own, never the desktop's:
// those keep records of their own of the folders they showed (GTK's
// recently used files, Windows' lists of recent places), and where staff
// lists live is to be kept nowhere. Qt's own keeps none either, since the
// program starts with Qt's settings going nowhere (startapplication.h).
// Sizes and dates are German whatever the locale, as Qt's other texts.

#include <QString>

class QWidget;

namespace kennfix::liste {

// The list to open, starting in `folder` (empty: the working folder);
// empty when the user cancels.
QString AskForListToOpen(QWidget* parent, const QString& folder);

// Where to save, proposing `proposed`; empty when the user cancels.
QString AskWhereToSave(QWidget* parent, const QString& proposed);

}  // namespace kennfix::liste
