#include "tests/print/cupsclient.h"

#include <cups/cups.h>

#include <QDir>
#include <QFile>

namespace {

// The variables through which libcups finds a scheduler, a default printer
// and the user's or the machine's settings.
constexpr const char* kCupsVariables[] = {"CUPS_SERVER", "CUPS_SERVERROOT", "HOME", "PRINTER", "LPDEST"};

}  // namespace

CupsClientEnvironment::CupsClientEnvironment(QString socketPath, QString folder)
    : m_socketPath(std::move(socketPath)), m_folder(std::move(folder))
{
}

CupsClientEnvironment::~CupsClientEnvironment()
{
    Restore();
}

QProcessEnvironment CupsClientEnvironment::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CUPS_SERVER"), m_socketPath);
    environment.insert(QStringLiteral("CUPS_SERVERROOT"), m_folder);
    environment.insert(QStringLiteral("HOME"), QDir(m_folder).filePath(QStringLiteral("home")));
    environment.remove(QStringLiteral("PRINTER"));
    environment.remove(QStringLiteral("LPDEST"));
    return environment;
}

void CupsClientEnvironment::Apply()
{
    QDir(m_folder).mkpath(QStringLiteral("home"));
    const QProcessEnvironment environment = Environment();
    for (const char* name : kCupsVariables) {
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        if (environment.contains(QString::fromLatin1(name)))
            qputenv(name, QFile::encodeName(environment.value(QString::fromLatin1(name))));
        else
            qunsetenv(name);
    }
    // libcups keeps the server it found for each thread; let this one look again.
    cupsSetServer(nullptr);
}

void CupsClientEnvironment::Restore()
{
    // Back to front, so that a variable saved twice ends at its first value.
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second)
            qputenv(it->first.constData(), *it->second);
        else
            qunsetenv(it->first.constData());
    }
    if (!m_saved.empty())
        cupsSetServer(nullptr);
    m_saved.clear();
}
