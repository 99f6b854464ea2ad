#pragma once

// A program of ours on a desktop of the test's own (desktopsession.h), used
// as a person uses it: keys and clicks from xdotool, its windows found by
// their titles. This one starts a Linux program; WineWindow
// (tests/windows/winewindow.h) starts a Windows program under Wine and
// answers to the same calls, so that the Linux and the Windows tests drive
// their programs alike.
//
//   DesktopWindow kennfix(desktop, desktop.Environment(cups.Environment()));
//   QVERIFY(kennfix.Start(qEnvironmentVariable("KENNFIX_PROGRAM"), QStringLiteral("^Kennfix$")));
//   kennfix.Click({304, 44});
//   QVERIFY(kennfix.End().isEmpty());  // nothing on standard error

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>

#include "tests/e2e/desktopsession.h"

class DesktopWindow {
public:
    // `environment` is what the program sees.
    DesktopWindow(const DesktopSession& desktop, QProcessEnvironment environment);
    // Kills a program that is still running.
    virtual ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    // Starts `program` in `folder` (the test's own when empty), waits for
    // its window titled `title` (a pattern) and activates it; `timeoutMs`
    // 0: as long as a program of its kind takes to start.
    bool Start(const QString& program, const QString& title, const QStringList& arguments = {},
               const QString& folder = {}, int timeoutMs = 0);

    void Click(QPoint point, int button = 1);
    void Type(const QString& text);
    void Key(const QString& name);

    // The program's visible windows titled `title` (a pattern).
    virtual QStringList Windows(const QString& title) const;
    bool WaitForWindow(const QString& title, int timeoutMs = DesktopSession::kWaitMs) const;
    // Waits for a second window of the window's title, such as a message
    // box, and gives it; empty when none came in time.
    QString WaitForBox(int timeoutMs = DesktopSession::kWaitMs) const;

    // Empty when the program ended with status 0 within `timeoutMs`.
    QString EndsWithin(int timeoutMs);
    // Saves the whole screen as `name` in the current folder, for a person
    // to look at.
    void SaveScreenshot(const QString& name) const;

    // Kills the program if it still runs; what it wrote on standard error.
    virtual QStringList End();

    QProcess& Process() { return *m_program; }
    const QString& Window() const { return m_window; }
    QString Xdotool(const QStringList& arguments) const { return m_desktop.Text(QStringLiteral("xdotool"), arguments); }

protected:
    // The command that starts `program` with `arguments`, program first.
    virtual QStringList Command(const QString& program, const QStringList& arguments) const;
    // How long a program of this kind takes at most to show its window.
    virtual int StartMs() const { return DesktopSession::kWaitMs; }
    // The pause between typed keys that the program keeps up with.
    virtual int TypingDelayMs() const { return 40; }

    const DesktopSession& m_desktop;
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_program;
    QString m_window;
    QString m_title;  // the pattern Start() found the window by
};
