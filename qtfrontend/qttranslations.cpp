#include "qtfrontend/qttranslations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kennfix {

bool LoadGermanQtTexts(QCoreApplication& app)
{
    // A program that carries Qt's texts (on Windows, where no Qt is installed
    // beside it) has them as a resource; otherwise they are the installed Qt's.
    const QString builtIn = QStringLiteral(":/translations");
    const QString folder = QFileInfo::exists(builtIn + QStringLiteral("/qtbase_de.qm"))
                               ? builtIn
                               : QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                          folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace kennfix
