#include "tests/e2e/desktopsession.h"

#include <csignal>

#include <sys/prctl.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int kStopMs = 5'000;

QString FindProgram(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/libexec"), QStringLiteral("/usr/lib/at-spi2-core"), QStringLiteral("/usr/sbin")});
    return path;
}

// Polls `done` until it holds or the wait is over.
template <typename Done>
bool WaitFor(Done done, int timeoutMs = DesktopSession::kWaitMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

// The number after `label` in xwininfo's answer, e.g. "Width: 391".
std::optional<int> Field(const QString& text, const QString& label)
{
    const QRegularExpression pattern(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? std::optional(match.captured(1).toInt()) : std::nullopt;
}

}  // namespace

DesktopSession::DesktopSession() : m_dir(QDir::tempPath() + QStringLiteral("/kennfix-desktop-XXXXXX")) {}

DesktopSession::~DesktopSession()
{
    Stop();
}

bool DesktopSession::Start()
{
    if (!m_dir.isValid())
        return Fail(QStringLiteral("cannot create a temporary folder: ") + m_dir.errorString());
    return StartXServer() && SetDpi(96) && StartWindowManager() && StartAccessibilityBus();
}

void DesktopSession::Stop()
{
    while (!m_processes.empty()) {
        QProcess& process = *m_processes.back();
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(kStopMs)) {
                process.kill();
                process.waitForFinished(kStopMs);
            }
        }
        m_processes.pop_back();
    }
}

bool DesktopSession::Fail(const QString& what)
{
    m_error = what;
    return false;
}

QProcess* DesktopSession::Launch(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& environment)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that crashes takes its desktop with it.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process->start(program, arguments);
    if (!process->waitForStarted()) {
        Fail(program + QStringLiteral(" does not start: ") + process->errorString());
        return nullptr;
    }
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

// -displayfd lets the server take a free display number and tell it. Without
// -noreset the server resets whenever its last client disconnects, and a
// client that connects during the reset is refused.
bool DesktopSession::StartXServer()
{
    QProcess* server = Launch(QStringLiteral("Xvfb"),
                              {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                               QStringLiteral("-screen"), QStringLiteral("0"),
                               QStringLiteral("%1x%2x24").arg(kScreenSize.width()).arg(kScreenSize.height()),
                               QStringLiteral("-dpi"), QStringLiteral("96"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")},
                              QProcessEnvironment::systemEnvironment());
    if (!server)
        return false;
    server->setProcessChannelMode(QProcess::SeparateChannels);
    QByteArray number;
    const QDeadlineTimer deadline(kWaitMs);
    while (!number.endsWith('\n') && !deadline.hasExpired() && server->state() == QProcess::Running) {
        server->waitForReadyRead(100);
        number += server->readAllStandardOutput();
    }
    if (!number.endsWith('\n'))
        return Fail(QStringLiteral("Xvfb told no display number"));
    m_display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    return true;
}

bool DesktopSession::StartWindowManager()
{
    QProcessEnvironment environment = Environment();
    // Neither the user's settings nor a cache of theirs.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
    if (!Launch(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}, environment))
        return false;
    const bool managing = WaitFor([this] {
        return Text(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains(QLatin1String("window id"));
    });
    return managing || Fail(QStringLiteral("openbox did not take over the screen"));
}

// The bus is started here rather than on demand, so that it is stopped with
// the rest; switching it on is what a desktop's accessibility setting (or
// Orca) does, and what makes Qt programs take part.
bool DesktopSession::StartAccessibilityBus()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return Fail(QStringLiteral("no D-Bus session bus: run the test under dbus-run-session"));
    const QString launcher = FindProgram(QStringLiteral("at-spi-bus-launcher"));
    if (launcher.isEmpty())
        return Fail(QStringLiteral("at-spi-bus-launcher not found (Debian package at-spi2-core)"));
    if (!Launch(launcher, {QStringLiteral("--launch-immediately")}, Environment()))
        return false;

    const auto busCall = [this](const QStringList& arguments) {
        return Run(QStringLiteral("dbus-send"), QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply")} + arguments);
    };
    const bool registered = WaitFor([&] {
        return busCall({QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                        QStringLiteral("org.freedesktop.DBus.NameHasOwner"), QStringLiteral("string:org.a11y.Bus")})
            .text()
            .contains(QLatin1String("boolean true"));
    });
    if (!registered)
        return Fail(QStringLiteral("the accessibility bus did not come up"));
    const ToolRun enabled = busCall({QStringLiteral("--dest=org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                     QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                                     QStringLiteral("string:org.a11y.Status"), QStringLiteral("string:IsEnabled"),
                                     QStringLiteral("variant:boolean:true")});
    return enabled.succeeded || Fail(QStringLiteral("the accessibility bus cannot be switched on"));
}

QProcessEnvironment DesktopSession::Environment(QProcessEnvironment base) const
{
    base.insert(QStringLiteral("DISPLAY"), m_display);
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // No XDG_RUNTIME_DIR, as in a session started without one (su, cron,
    // some remote desktops), where Qt would complain in English.
    for (const char* name : {"WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                             "QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "XAUTHORITY", "XDG_RUNTIME_DIR"})
        base.remove(QString::fromLatin1(name));
    return base;
}

DesktopSession::ToolRun DesktopSession::Run(const QString& tool, const QStringList& arguments, int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(tool, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, process.readAllStandardOutput()};
}

bool DesktopSession::SetClipboard(const QString& text) const
{
    QProcess xclip;
    xclip.setProcessEnvironment(Environment());
    xclip.setProgram(QStringLiteral("sh"));
    xclip.setArguments({QStringLiteral("-c"), QStringLiteral("printf %s \"$0\" | xclip -selection clipboard"), text});
    if (!xclip.startDetached())
        return false;
    for (const QDeadlineTimer deadline(kWaitMs); !deadline.hasExpired(); QThread::msleep(50)) {
        if (Clipboard() == text)
            return true;
    }
    return false;
}

QString DesktopSession::Clipboard() const
{
    return QString::fromUtf8(Run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}).output);
}

bool DesktopSession::SetDpi(int dpi)
{
    QFile resources(m_dir.filePath(QStringLiteral("Xresources")));
    if (!resources.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        resources.write(QStringLiteral("Xft.dpi: %1\n").arg(dpi).toLatin1()) < 0)
        return Fail(QStringLiteral("cannot write ") + resources.fileName());
    resources.close();
    return Run(QStringLiteral("xrdb"), {QStringLiteral("-merge"), resources.fileName()}).succeeded ||
           Fail(QStringLiteral("xrdb cannot set Xft.dpi"));
}

QImage DesktopSession::Screenshot() const
{
    const ToolRun shot = Run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    return shot.succeeded ? QImage::fromData(shot.output, "PNG") : QImage();
}

std::optional<DesktopSession::Placement> DesktopSession::PlacementOf(const QString& window) const
{
    const QString info = Text(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    const auto x = Field(info, QStringLiteral("Absolute upper-left X"));
    const auto y = Field(info, QStringLiteral("Absolute upper-left Y"));
    const auto width = Field(info, QStringLiteral("Width"));
    const auto height = Field(info, QStringLiteral("Height"));
    // left, right, top, bottom
    const QString extents = Text(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")});
    const QStringList values = extents.section(u'=', 1).split(u',', Qt::SkipEmptyParts);
    if (!x || !y || !width || !height || values.size() != 4)
        return std::nullopt;
    const QRect client(*x, *y, *width, *height);
    return Placement{client, client.adjusted(-values[0].trimmed().toInt(), -values[2].trimmed().toInt(),
                                             values[1].trimmed().toInt(), values[3].trimmed().toInt())};
}
