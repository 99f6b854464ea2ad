#pragma once

// What the window needs from the system: the regional date settings, the
// clock and the beep. The program uses SystemPlatform; tests install one of
// their own with SetPlatform so that nothing depends on the machine.

#include <QDate>
#include <QString>

#include "core/shortdate.h"

namespace kennfix {

class Platform {
public:
    virtual ~Platform() = default;

    // How the user writes dates: separator and order for reading the date
    // of birth, the short-date format (Qt notation) for the print date.
    virtual DateSettings dateSettings() const = 0;
    virtual QString shortDateFormat() const = 0;

    virtual QDate today() const = 0;
    virtual void beep() = 0;

    int currentYear() const { return today().year(); }
};

// The user's locale (LC_ALL, LC_TIME, LANG) through QLocale::system(); the
// C or POSIX locale, or none, counts as German.
class SystemPlatform : public Platform {
public:
    DateSettings dateSettings() const override;
    QString shortDateFormat() const override;
    QDate today() const override;
    void beep() override;
};

// The separator and order of a Qt short-date format such as "dd.MM.yy".
DateSettings DateSettingsFromQtFormat(const QString& format);

// Four-digit years: regional formats often carry "yy", while the printout
// wants the whole year, as German systems write it (08.12.2026).
QString WithFourDigitYear(const QString& format);

Platform& CurrentPlatform();

// Installs `platform` (not owned) and returns the previous one; nullptr
// brings back the system's.
Platform* SetPlatform(Platform* platform);

}  // namespace kennfix
