#pragma once

// Where libcups in this process, and in programs the test starts, looks for
// its print server: a socket of the test's own, with a private HOME and
// CUPS_SERVERROOT so that no lpoptions or client.conf of the user or the
// machine leak in. Apply() points this process there; the destructor puts
// the environment back.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class CupsClientEnvironment {
public:
    // `folder` holds the client's configuration (it may stay empty) and its
    // home, the subfolder "home".
    CupsClientEnvironment(QString socketPath, QString folder);
    ~CupsClientEnvironment();
    CupsClientEnvironment(const CupsClientEnvironment&) = delete;
    CupsClientEnvironment& operator=(const CupsClientEnvironment&) = delete;

    // The system's environment pointed at the socket, for a child program.
    QProcessEnvironment Environment() const;

    void Apply();
    void Restore();

private:
    QString m_socketPath;
    QString m_folder;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};
