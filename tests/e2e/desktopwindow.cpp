#include "tests/e2e/desktopwindow.h"

#include <QDir>
#include <QTest>

DesktopWindow::DesktopWindow(const DesktopSession& desktop, QProcessEnvironment environment)
    : m_desktop(desktop), m_environment(std::move(environment))
{
}

DesktopWindow::~DesktopWindow()
{
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished();
    }
}

QStringList DesktopWindow::Command(const QString& program, const QStringList& arguments) const
{
    return QStringList{program} + arguments;
}

bool DesktopWindow::Start(const QString& program, const QString& title, const QStringList& arguments,
                          const QString& folder, int timeoutMs)
{
    const QStringList command = Command(program, arguments);
    m_title = title;
    m_program = std::make_unique<QProcess>();
    m_program->setProcessEnvironment(m_environment);
    m_program->setProcessChannelMode(QProcess::ForwardedOutputChannel);
    if (!folder.isEmpty())
        m_program->setWorkingDirectory(folder);
    m_program->start(command.first(), command.mid(1));
    // xdotool --sync would wait for the window without a limit of its own.
    if (!m_program->waitForStarted() || !WaitForWindow(title, timeoutMs > 0 ? timeoutMs : StartMs()))
        return false;
    m_window = Windows(title).first();
    Xdotool({"windowactivate", "--sync", m_window});
    return true;
}

QStringList DesktopWindow::Windows(const QString& title) const
{
    return Xdotool({"search", "--all", "--onlyvisible", "--pid", QString::number(m_program->processId()), "--name", title})
        .split(u'\n', Qt::SkipEmptyParts);
}

bool DesktopWindow::WaitForWindow(const QString& title, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return !Windows(title).isEmpty(); }, timeoutMs);
}

QString DesktopWindow::WaitForBox(int timeoutMs) const
{
    QString box;
    const bool shown = QTest::qWaitFor(
        [&] {
            for (const QString& window : Windows(m_title)) {
                if (window != m_window)
                    box = window;
            }
            return !box.isEmpty();
        },
        timeoutMs);
    return shown ? box : QString();
}

void DesktopWindow::Click(QPoint point, int button)
{
    Xdotool({"mousemove", "--window", m_window, QString::number(point.x()), QString::number(point.y()), "click",
             QString::number(button)});
}

void DesktopWindow::Type(const QString& text)
{
    Xdotool({"type", "--delay", QString::number(TypingDelayMs()), text});
}

void DesktopWindow::Key(const QString& name)
{
    Xdotool({"key", name});
}

QString DesktopWindow::EndsWithin(int timeoutMs)
{
    if (!m_program->waitForFinished(timeoutMs))
        return QStringLiteral("the program is still running after %1 ms").arg(timeoutMs);
    if (m_program->exitStatus() != QProcess::NormalExit || m_program->exitCode() != 0)
        return QStringLiteral("the program ended with status %1").arg(m_program->exitCode());
    return {};
}

void DesktopWindow::SaveScreenshot(const QString& name) const
{
    const QString path = QDir::current().filePath(name);
    if (m_desktop.Screenshot().save(path))
        qInfo("screenshot: %s", qPrintable(path));
}

QStringList DesktopWindow::End()
{
    if (!m_program)
        return {};
    if (m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished();
    }
    const QString errors = QString::fromLocal8Bit(m_program->readAllStandardError());
    if (errors.isEmpty())
        return {};
    QStringList lines = errors.split(u'\n');
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();  // after the last line's end
    return lines;
}
