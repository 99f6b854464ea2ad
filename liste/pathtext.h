#pragma once

// A file's path between the window (QString) and the list engine, which
// takes the system's bytes: on Linux what the file system has (QFile's
// encoding), on Windows UTF-8, with Windows' backslashes so that messages
// name the file as Explorer shows it.

#include <QString>

#include <string>

namespace kennfix::liste {

std::string EnginePath(const QString& path);
QString PathFromEngine(const std::string& path);

}  // namespace kennfix::liste
