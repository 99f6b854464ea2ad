#include "app/platform.h"

#include <QApplication>
#include <QLocale>
#include <QRegularExpression>

#include <utility>

namespace kennfix {
namespace {

const QString kGermanShortDateFormat = QStringLiteral("dd.MM.yyyy");

bool IsCLocale(const QLocale& locale)
{
    return locale.language() == QLocale::C;
}

QString SystemShortDateFormat()
{
    const QLocale locale = QLocale::system();
    return IsCLocale(locale) ? kGermanShortDateFormat : locale.dateFormat(QLocale::ShortFormat);
}

Platform* g_platform = nullptr;

}  // namespace

DateSettings DateSettingsFromQtFormat(const QString& format)
{
    // The separator is the first character after the first field that is
    // neither a letter nor a blank nor a quote.
    QString separator;
    bool inField = false;
    for (QChar c : format) {
        if (c.isLetter()) {
            inField = true;
        } else if (inField && c != u' ' && c != u'\'') {
            // The core reads dates byte by byte; a separator beyond ASCII
            // counts as unreadable.
            if (c.unicode() < 0x80)
                separator = c;
            break;
        }
    }
    return DateSettingsFrom(separator.toStdString(), format.toStdString());
}

QString WithFourDigitYear(const QString& format)
{
    static const QRegularExpression kYears(QStringLiteral("y+"));
    QString result = format;
    return result.replace(kYears, QStringLiteral("yyyy"));
}

DateSettings SystemPlatform::dateSettings() const
{
    return DateSettingsFromQtFormat(SystemShortDateFormat());
}

QString SystemPlatform::shortDateFormat() const
{
    return WithFourDigitYear(SystemShortDateFormat());
}

QDate SystemPlatform::today() const
{
    return QDate::currentDate();
}

void SystemPlatform::beep()
{
    QApplication::beep();
}

Platform& CurrentPlatform()
{
    static SystemPlatform system;
    return g_platform ? *g_platform : system;
}

Platform* SetPlatform(Platform* platform)
{
    return std::exchange(g_platform, platform);
}

}  // namespace kennfix
