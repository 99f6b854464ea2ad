#pragma once

// Prints the sheet (sheet.h) on the system's default printer.
//
// The default printer is looked up on the first print and kept for the rest
// of the run; later changes of the system's default are not noticed. While a
// job is being prepared and handed to the spooler, which happens on a thread
// of its own, the window keeps processing input.
//
// Failures come two ways, both with the message for the error box (which
// appends the full stop):
//   - Print() throws PrintError when there is no default printer or a job is
//     still running;
//   - failed() reports what goes wrong once the job has started: the kept
//     printer's settings cannot be obtained, or it cannot be opened for
//     drawing.

#include <stdexcept>
#include <thread>

#include <QObject>
#include <QString>

#include "sheet.h"

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
    explicit SheetPrinter(QObject* parent = nullptr);
    // Waits for a job that is still being handed over.
    ~SheetPrinter() override;

    // Starts printing one sheet and returns at once. Throws PrintError.
    void Print(const SheetTexts& texts);

    // True from Print() until finished() is emitted.
    bool IsPrinting() const { return m_printing; }

signals:
    void failed(const QString& message);
    // The job has been handed over or has failed; a new one can start.
    void finished();

private:
    void EndJob(const QString& failure);

    QString m_printerName;  // the kept default printer; empty until found
    std::thread m_job;
    bool m_printing = false;
};

}  // namespace kennfix
