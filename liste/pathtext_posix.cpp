// Paths as pathtext.h hands them on Linux: the file system's bytes, as QFile
// encodes them.

#include "liste/pathtext.h"

#include <QFile>

namespace kennfix::liste {

std::string EnginePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString PathFromEngine(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace kennfix::liste
