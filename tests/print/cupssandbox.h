#pragma once

// A private CUPS scheduler for tests: its own configuration, spool and log in
// a temporary folder, reached through a socket in that folder, so that tests
// print for real without touching the machine's printers.
//
//   CupsSandbox cups;
//   QVERIFY2(cups.Start(), qPrintable(cups.Error()));
//   QVERIFY2(cups.AddQueue("kennfix") && cups.SetDefault("kennfix"), qPrintable(cups.Error()));
//   ... print ...
//   cups.Documents();  // the files the scheduler received, oldest first
//
// Start() points this process at the scheduler (CUPS_SERVER, and a private
// HOME and CUPS_SERVERROOT so no lpoptions or client.conf of the user or the
// machine leak in); the destructor stops the scheduler and puts the
// environment back. A program started as a child takes Environment().
//
// Queues print to /dev/null on A4 paper whose printable area leaves the
// margins below, all different so that a mix-up shows. The scheduler keeps
// every document it receives.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "tests/print/cupsclient.h"

class CupsSandbox {
public:
    // The queues' page and printable area, in points (1/72 inch).
    static constexpr double kPageWidth = 595.0;
    static constexpr double kPageHeight = 842.0;
    static constexpr double kMarginLeft = 20.0;
    static constexpr double kMarginTop = 42.0;
    static constexpr double kMarginRight = 10.0;
    static constexpr double kMarginBottom = 30.0;

    CupsSandbox();
    ~CupsSandbox();
    CupsSandbox(const CupsSandbox&) = delete;
    CupsSandbox& operator=(const CupsSandbox&) = delete;

    // Starts the scheduler, with no queue, and waits until it answers.
    bool Start();

    bool AddQueue(const QString& name);
    // A queue without a PPD: the scheduler takes what it is sent as it is,
    // and a client knows nothing of the printer's page.
    bool AddPlainQueue(const QString& name);
    bool SetDefault(const QString& name);
    bool RemoveQueue(const QString& name);

    // Stops and continues the scheduler (SIGSTOP, SIGCONT), so that a client
    // talking to it waits. The destructor continues a stopped scheduler.
    void Pause();
    void Resume();

    // Paths of the documents the scheduler received, oldest first.
    QStringList Documents() const;
    // The finished jobs as "queue-id", e.g. "kennfix-1", oldest first.
    QStringList CompletedJobs();

    QProcessEnvironment Environment() const;
    QString SocketPath() const;
    // What went wrong in the last call that failed, with the scheduler's log.
    QString Error() const { return m_error; }

private:
    bool Run(const QString& program, QStringList arguments, QString* output = nullptr);
    bool Fail(const QString& what);
    void Stop();

    QTemporaryDir m_dir;
    QProcess m_scheduler;
    bool m_paused = false;
    CupsClientEnvironment m_client;
    QString m_error;
};
