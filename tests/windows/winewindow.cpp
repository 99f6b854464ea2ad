#include "tests/windows/winewindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

WineWindow::WineWindow(const DesktopSession& desktop, QProcessEnvironment environment)
    : DesktopWindow(desktop, std::move(environment))
{
    m_environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
}

QStringList WineWindow::Command(const QString& program, const QStringList& arguments) const
{
    return QStringList{qEnvironmentVariable("KENNFIX_WINE_RUN"), qEnvironmentVariable("KENNFIX_WINE_PREFIX"),
                       QDir(qEnvironmentVariable("KENNFIX_WINDOWS_PROGRAMS")).filePath(program)} +
           arguments;
}

bool WineWindow::RunToEnd(const QStringList& command) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(qEnvironmentVariable("KENNFIX_WINE_RUN"), QStringList{qEnvironmentVariable("KENNFIX_WINE_PREFIX")} + command);
    return process.waitForFinished(kStartMs) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList WineWindow::Windows(const QString& title) const
{
    return Xdotool({"search", "--all", "--onlyvisible", "--name", title}).split(u'\n', Qt::SkipEmptyParts);
}

QString WineWindow::CopiedAfter(const std::function<bool(bool again)>& send)
{
    constexpr int kOneTryMs = 2'000;
    if (!SetClipboard(QStringLiteral("-")))
        return {};
    QElapsedTimer waited;
    waited.start();
    QString copied;
    for (bool again = false; waited.elapsed() < DesktopSession::kWaitMs; again = true) {
        if (!send(again))
            return {};
        if (QTest::qWaitFor(
                [&] {
                    copied = Clipboard();
                    return copied != QLatin1String("-");
                },
                kOneTryMs))
            return copied;
    }
    return {};
}

QString WineWindow::CopyThroughMenu(QPoint point)
{
    // On a busy machine the menu may open after the keys meant for it, which
    // are then lost: the menu is closed and opened again.
    const QString copied = CopiedAfter([&](bool again) {
        if (again)
            Key(QStringLiteral("Escape"));
        Click(point, 3);
        QTest::qWait(500);  // the menu opens
        Key(QStringLiteral("Down"));
        Key(QStringLiteral("Return"));
        return true;
    });
    return copied.isEmpty() ? QStringLiteral("(nothing copied)") : copied;
}

bool WineWindow::SetClipboard(const QString& text)
{
    return m_desktop.SetClipboard(text);
}

QString WineWindow::Clipboard() const
{
    return m_desktop.Clipboard();
}

bool WineWindow::TypeChecked(const QString& text)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        Key(QStringLiteral("ctrl+a"));
        Type(text);
        if (!SetClipboard(QStringLiteral("-")))
            return false;
        Key(QStringLiteral("ctrl+a"));
        Key(QStringLiteral("ctrl+c"));
        if (QTest::qWaitFor([&] { return Clipboard() == text; }, 2'000)) {
            Key(QStringLiteral("End"));
            return true;
        }
    }
    return false;
}

QString WineWindow::AnswerMessageBox(int timeoutMs)
{
    if (WaitForBox(timeoutMs).isEmpty())
        return QStringLiteral("(no message box)");
    // A box that has just appeared may not take keys yet, and Wine may show
    // it through a window that it replaces at once; and a box opened while
    // the focus leaves a field may not get the keyboard from being raised.
    // So Ctrl+C goes to the box as it is found again, after a click into
    // its text.
    const QString copied = CopiedAfter([&](bool again) {
        const QString box = WaitForBox(DesktopSession::kWaitMs);
        if (box.isEmpty())
            return false;
        Xdotool({"windowactivate", "--sync", box});
        if (again)
            Xdotool({"mousemove", "--window", box, "12", "12", "click", "1"});
        Key(QStringLiteral("ctrl+c"));
        return true;
    });
    if (copied.isEmpty())
        return QStringLiteral("(Ctrl+C copied nothing)");
    Key(QStringLiteral("Return"));
    if (!QTest::qWaitFor([&] { return Windows(m_title).size() == 1; }, DesktopSession::kWaitMs))
        return QStringLiteral("(Enter did not close the box)");
    return copied;
}

QStringList WineWindow::End()
{
    QStringList errors = DesktopWindow::End();
    // Wine's own words, not the program's: its loader ("wine: ...") and its
    // link to the Wine server, which a client can lose as the test ends the
    // program or the server under it ("wine client error:...: sendmsg: ...").
    errors.removeIf([](const QString& line) {
        return line.isEmpty() || line.startsWith(QLatin1String("wine: ")) ||
               line.startsWith(QLatin1String("wine client error:"));
    });
    return errors;
}
