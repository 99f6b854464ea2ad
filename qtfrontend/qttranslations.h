#pragma once

// Qt's own texts in German: the context menus of text fields, the buttons of
// standard dialogs, the names of keys in shortcuts. Every front end calls
// this right after creating its application object.

class QCoreApplication;

namespace kennfix {

// Installs Qt's German translations (qtbase_de from Qt's translations folder,
// Debian package qt6-translations-l10n) in `app`, whatever the locale: the
// programs' own texts are German only, so Qt's must be too. False when they
// cannot be loaded; Qt's texts then stay English.
bool LoadGermanQtTexts(QCoreApplication& app);

}  // namespace kennfix
