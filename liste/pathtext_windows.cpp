// Paths as pathtext.h hands them on Windows: UTF-8, with backslashes.

#include "liste/pathtext.h"

#include <QDir>

namespace kennfix::liste {

std::string EnginePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

QString PathFromEngine(const std::string& path)
{
    return QDir::fromNativeSeparators(QString::fromStdString(path));
}

}  // namespace kennfix::liste
