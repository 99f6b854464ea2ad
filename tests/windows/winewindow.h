#pragma once

// A Windows program of ours under Wine on a desktop of the test's own
// (desktopsession.h), used as a clerk at a Windows desktop uses it: keys
// and clicks from xdotool, and what it shows read as a Windows user takes
// it, through the clipboard (Ctrl+C in a message box). The program runs in
// the test's prefix (KENNFIX_WINE_PREFIX) through KENNFIX_WINE_RUN, from
// KENNFIX_WINDOWS_PROGRAMS.
//
//   WineWindow kennfix(desktop, desktop.Environment(cups.Environment()));
//   QVERIFY(kennfix.Start(QStringLiteral("kennfix.exe"), QStringLiteral("^Kennfix$")));
//   kennfix.Click({304, 81});
//   QCOMPARE(kennfix.AnswerMessageBox(), ...);

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>

#include "tests/e2e/desktopsession.h"

class WineWindow {
public:
    // Wine starts a program in a few seconds; the first in a prefix takes longer.
    static constexpr int kStartMs = 60'000;

    // `environment` is what the program sees; Qt settings of the test's own
    // (QT_QPA_PLATFORM) are left out, since Wine would hand them on.
    WineWindow(const DesktopSession& desktop, QProcessEnvironment environment);
    // Kills a program that is still running.
    ~WineWindow();
    WineWindow(const WineWindow&) = delete;
    WineWindow& operator=(const WineWindow&) = delete;

    // Starts `program` in `folder` (the test's own when empty) and waits
    // for its window titled `title` (a pattern).
    bool Start(const QString& program, const QString& title, const QStringList& arguments = {},
               const QString& folder = {});
    // Runs a Windows command in the prefix to its end, such as "reg add ...";
    // true when it ended with status 0.
    bool RunToEnd(const QStringList& command) const;

    void Click(QPoint point, int button = 1);
    void Type(const QString& text);
    void Key(const QString& name);
    // Types `text` into the field that has the focus and makes sure that it
    // arrived whole, by copying it back: the first keys may reach a Wine
    // window before it takes input.
    bool TypeChecked(const QString& text);

    // Waits for a message box of the window's title, copies its text with
    // Ctrl+C and closes it with Enter; the copied text, or what went wrong
    // in brackets.
    QString AnswerMessageBox(int timeoutMs = DesktopSession::kWaitMs);

    // Empty when the program ended with status 0 within `timeoutMs`.
    QString EndsWithin(int timeoutMs);
    // Saves the whole screen as `name` in the current folder, for a person
    // to look at.
    void SaveScreenshot(const QString& name) const;

    // Kills the program if it still runs; what it wrote on standard error,
    // without Wine's own complaints ("wine: ...": its drive Z: has no volume
    // label, say), which are Wine's and not the program's.
    QStringList End();

    QProcess& Process() { return *m_program; }
    const QString& Window() const { return m_window; }

    QString Xdotool(const QStringList& arguments) const { return m_desktop.Text(QStringLiteral("xdotool"), arguments); }
    // The visible windows titled `title` (a pattern).
    QStringList Windows(const QString& title) const;
    // What the first entry ("Kopieren") of the context menu at `point`
    // copies, or what went wrong in brackets.
    QString CopyThroughMenu(QPoint point);
    // Puts `text` on the clipboard and waits until it is there.
    bool SetClipboard(const QString& text);
    QString Clipboard() const;

private:

    const DesktopSession& m_desktop;
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_program;
    QString m_window;
    QString m_title;
};
