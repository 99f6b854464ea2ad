#pragma once

// Prints the sheet (sheet.h) on the system's default printer.
//
// The default printer is looked up on the first print and kept for the rest
// of the run; later changes of the system's default are not noticed. Both the
// look-up and the hand-over of a job to the spooler talk to the print server,
// which may never answer (a network printer gone silent, a stuck cupsd), so
// both run on threads of their own and the window keeps processing input.
//
// Failures come two ways, both with the message for the error box (which
// appends the full stop):
//   - Print() throws PrintError while a look-up or a job is still running;
//   - failed() reports the rest: no default printer, or none that answered
//     within the look-up time-out (the next print looks again); the kept
//     printer's settings cannot be obtained, or it cannot be opened for
//     drawing; on Windows, "Courier New" is missing and what stands in for
//     it has no TrueType outlines for the printer driver.
//
// Nothing here ever waits for the print server on the caller's thread: the
// destructor abandons a look-up or a job that is still running, and the
// thread ends by itself once the server answers or the program ends.

#include <atomic>
#include <chrono>
#include <stdexcept>

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include "app/print/sheet.h"

namespace kennfix {

class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& message);

    // The message as the user reads it; what() holds it in UTF-8.
    const QString& Message() const { return m_message; }

private:
    QString m_message;
};

class SheetPrinter : public QObject {
    Q_OBJECT

public:
    // How long the look-up of the default printer may take before the
    // print server counts as absent.
    static constexpr std::chrono::milliseconds kLookUpTimeout{15'000};

    explicit SheetPrinter(QObject* parent = nullptr, std::chrono::milliseconds lookUpTimeout = kLookUpTimeout);
    // Returns at once; a look-up or job still running is abandoned.
    ~SheetPrinter() override;

    // Starts printing one sheet and returns at once. Throws PrintError while
    // a look-up or a job is still running.
    void Print(const SheetTexts& texts);

    // True from Print() until finished() is emitted.
    bool IsPrinting() const { return m_lookUp != nullptr || m_job != nullptr; }

    // Threads of any SheetPrinter that have not ended yet, abandoned ones
    // included. A program that ends while one is left must not run its
    // static destructors under it (see main.cpp).
    static int RunningThreads() { return s_runningThreads.load(); }

signals:
    void failed(const QString& message);
    // The job has been handed over or has failed; a new one can start.
    void finished();

private:
    QFutureWatcher<QString>* Watch(QFuture<QString> future, void (SheetPrinter::*done)());
    void LookUpDone();
    void LookUpTimedOut();
    void StartJob();
    void JobDone();
    void End(const QString& failure);

    static std::atomic<int> s_runningThreads;

    const std::chrono::milliseconds m_lookUpTimeout;
    QString m_printerName;  // the kept default printer; empty until found
    SheetTexts m_texts;     // of the print under way
    // Set while the look-up or the job runs (children of this object).
    QFutureWatcher<QString>* m_lookUp = nullptr;
    QFutureWatcher<QString>* m_job = nullptr;
    QTimer m_lookUpTimer;
};

}  // namespace kennfix
