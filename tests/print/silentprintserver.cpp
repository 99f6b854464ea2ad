#include "tests/print/silentprintserver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

SilentPrintServer::SilentPrintServer(std::chrono::seconds holdFor)
    : m_holdFor(holdFor),
      m_dir(QDir::tempPath() + QStringLiteral("/kennfix-silent-XXXXXX")),
      m_client(m_dir.filePath(QStringLiteral("silent.sock")), m_dir.path())
{
}

SilentPrintServer::~SilentPrintServer()
{
    Release();
    m_client.Restore();
}

bool SilentPrintServer::Start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder: ") + m_dir.errorString();
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("silent.sock")));
    if (path.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) {
        m_error = QStringLiteral("socket path too long: ") + QFile::decodeName(path);
        return false;
    }
    std::copy(path.begin(), path.end(), address.sun_path);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listening < 0 || ::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listening, 64) != 0 || ::pipe2(m_wake, O_CLOEXEC) != 0) {
        m_error = QStringLiteral("cannot listen on ") + QFile::decodeName(path) + QStringLiteral(": ") +
                  QString::fromLocal8Bit(::strerror(errno));
        if (listening >= 0)
            ::close(listening);
        return false;
    }
    m_thread = std::thread([this, listening, wake = m_wake[0]] { Serve(listening, wake); });
    m_client.Apply();
    return true;
}

// Takes connections and keeps them open without reading or writing, until
// told to stop or `holdFor` has passed.
void SilentPrintServer::Serve(int listening, int wake)
{
    const auto end = std::chrono::steady_clock::now() + m_holdFor;
    std::vector<int> connections;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd fds[] = {{listening, POLLIN, 0}, {wake, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        if (fds[0].revents & POLLIN) {
            const int connection = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0) {
                connections.push_back(connection);
                ++m_connections;
            }
        }
    }
    ::close(listening);
    for (const int connection : connections)
        ::close(connection);
}

void SilentPrintServer::Release()
{
    if (m_thread.joinable()) {
        const char stop = 's';
        [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &stop, 1);
        m_thread.join();
    }
    for (int& fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}
