#pragma once

// A Windows program of ours under Wine on a desktop of the test's own
// (desktopsession.h), used as a clerk at a Windows desktop uses it: keys
// and clicks from xdotool as for a Linux program (desktopwindow.h), and
// what it shows read as a Windows user takes it, through the clipboard
// (Ctrl+C in a message box). The program runs in the test's prefix
// (KENNFIX_WINE_PREFIX) through KENNFIX_WINE_RUN, from
// KENNFIX_WINDOWS_PROGRAMS.
//
//   WineWindow kennfix(desktop, desktop.Environment(cups.Environment()));
//   QVERIFY(kennfix.Start(QStringLiteral("kennfix.exe"), QStringLiteral("^Kennfix$")));
//   kennfix.Click({304, 81});
//   QCOMPARE(kennfix.AnswerMessageBox(), ...);

#include <QPoint>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

#include "tests/e2e/desktopsession.h"
#include "tests/e2e/desktopwindow.h"

class WineWindow : public DesktopWindow {
public:
    // Wine starts a program in a few seconds; the first in a prefix takes longer.
    static constexpr int kStartMs = 60'000;

    // `environment` is what the program sees; Qt settings of the test's own
    // (QT_QPA_PLATFORM) are left out, since Wine would hand them on.
    WineWindow(const DesktopSession& desktop, QProcessEnvironment environment);

    // Runs a Windows command in the prefix to its end, such as "reg add ...";
    // true when it ended with status 0.
    bool RunToEnd(const QStringList& command) const;

    // Types `text` into the field that has the focus and makes sure that it
    // arrived whole, by copying it back: the first keys may reach a Wine
    // window before it takes input.
    bool TypeChecked(const QString& text);

    // Waits for a message box of the window's title, copies its text with
    // Ctrl+C and closes it with Enter; the copied text, or what went wrong
    // in brackets.
    QString AnswerMessageBox(int timeoutMs = DesktopSession::kWaitMs);

    // Kills the program if it still runs; what it wrote on standard error,
    // without Wine's own complaints ("wine: ...": its drive Z: has no volume
    // label, say), which are Wine's and not the program's.
    QStringList End() override;

    // The visible windows titled `title` (a pattern): Wine's processes, not
    // the one started, own them.
    QStringList Windows(const QString& title) const override;
    // What the first entry ("Kopieren") of the context menu at `point`
    // copies, or what went wrong in brackets.
    QString CopyThroughMenu(QPoint point);
    // Puts `text` on the clipboard and waits until it is there.
    bool SetClipboard(const QString& text);
    QString Clipboard() const;

protected:
    // What the clipboard holds after `send` (keys that copy), sent again
    // until the clipboard changes or the usual wait is over: a busy program
    // may miss the first. `send` is told whether it is sent again, and false
    // from it gives up. Empty when nothing was copied.
    QString CopiedAfter(const std::function<bool(bool again)>& send);

    QStringList Command(const QString& program, const QStringList& arguments) const override;
    int StartMs() const override { return kStartMs; }
    int TypingDelayMs() const override { return 60; }
};
