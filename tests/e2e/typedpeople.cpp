#include "tests/e2e/typedpeople.h"

#include <QSet>
#include <QStringList>

bool BindLettersToKeys(const DesktopSession& desktop)
{
    QSet<QChar> letters;
    for (const TypedPerson& person : kTypedPeople) {
        for (const QChar c : QString::fromUtf8(person.family) + QString::fromUtf8(person.first)) {
            if (c.unicode() > 0x7f)
                letters.insert(c);
        }
    }
    QStringList arguments;
    for (const QChar c : letters) {
        arguments << QStringLiteral("-e")
                  << QStringLiteral("keycode any = U%1 U%2")
                         .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                         .arg(c.toUpper().unicode(), 4, 16, QLatin1Char('0'));
    }
    return desktop.Run(QStringLiteral("xmodmap"), arguments).succeeded;
}
