#pragma once

// A print server that takes every connection and never answers, as a
// network printer gone silent or a hung cupsd does: a client of libcups that
// asks it anything waits. Tests use it to show that nobody waits for it on
// the window's thread.
//
//   SilentPrintServer silent;
//   QVERIFY2(silent.Start(), qPrintable(silent.Error()));
//   ... print ...; QTRY_COMPARE(silent.Connections(), 1);
//   silent.Release();  // the waiting clients get an error at once
//
// Start() points this process at it, as CupsSandbox does; a program started
// as a child takes Environment(). So that a client that does wait on the
// caller's thread fails its test rather than hanging it, the server lets go
// by itself `holdFor` after it started.

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/print/cupsclient.h"

class SilentPrintServer {
public:
    explicit SilentPrintServer(std::chrono::seconds holdFor = std::chrono::seconds(90));
    ~SilentPrintServer();
    SilentPrintServer(const SilentPrintServer&) = delete;
    SilentPrintServer& operator=(const SilentPrintServer&) = delete;

    bool Start();
    // Closes every connection and stops listening. Also done by the destructor.
    void Release();

    // Connections taken so far.
    int Connections() const { return m_connections.load(); }

    QProcessEnvironment Environment() const { return m_client.Environment(); }
    QString Error() const { return m_error; }

private:
    void Serve(int listening, int wake);

    std::chrono::seconds m_holdFor;
    QTemporaryDir m_dir;
    CupsClientEnvironment m_client;
    std::thread m_thread;
    int m_wake[2] = {-1, -1};  // a pipe that tells the thread to let go
    std::atomic<int> m_connections{0};
    QString m_error;
};
