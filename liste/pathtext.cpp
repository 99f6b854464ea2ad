#include "liste/pathtext.h"

#include <QDir>
#include <QFile>

namespace kennfix::liste {

std::string EnginePath(const QString& path)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(path).toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString PathFromEngine(const std::string& path)
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(QString::fromStdString(path));
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

}  // namespace kennfix::liste
