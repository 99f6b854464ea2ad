#include "tests/print/cupssandbox.h"

#include <csignal>
#include <cstdlib>

#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace {

constexpr int kCommandTimeoutMs = 30'000;
constexpr int kStartTimeoutMs = 20'000;

QString FindProgram(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return path;
}

bool WriteFile(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) == text.toUtf8().size();
}

bool SocketAnswers(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= static_cast<qsizetype>(sizeof(address.sun_path)))
        return false;
    std::copy(bytes.begin(), bytes.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

// A PPD for a printer that takes PDF as it is, so the scheduler runs no
// filter. Its A4 page has the printable area of CupsSandbox's margins.
QString PpdText()
{
    const QString imageableArea = QStringLiteral("%1 %2 %3 %4")
                                      .arg(CupsSandbox::kMarginLeft)
                                      .arg(CupsSandbox::kMarginBottom)
                                      .arg(CupsSandbox::kPageWidth - CupsSandbox::kMarginRight)
                                      .arg(CupsSandbox::kPageHeight - CupsSandbox::kMarginTop);
    const QString pageSize = QStringLiteral("%1 %2").arg(CupsSandbox::kPageWidth).arg(CupsSandbox::kPageHeight);
    return QStringLiteral(R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "KFXTEST.PPD"
*Manufacturer: "Kennfix"
*Product: "(Kennfix Test Printer)"
*ModelName: "Kennfix Test Printer"
*ShortNickName: "Kennfix Test Printer"
*NickName: "Kennfix Test Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter: "application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[%1]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[%1]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "%2"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "%1"
)PPD")
        .arg(pageSize, imageableArea);
}

}  // namespace

CupsSandbox::CupsSandbox()
    : m_dir(QDir::tempPath() + QStringLiteral("/kennfix-cups-XXXXXX")),
      m_client(m_dir.filePath(QStringLiteral("cups.sock")), m_dir.path())
{
}

CupsSandbox::~CupsSandbox()
{
    Stop();
    m_client.Restore();
}

QString CupsSandbox::SocketPath() const
{
    return m_dir.filePath(QStringLiteral("cups.sock"));
}

bool CupsSandbox::Start()
{
    if (!m_dir.isValid())
        return Fail(QStringLiteral("cannot create a temporary folder: ") + m_dir.errorString());
    const QString cupsd = FindProgram(QStringLiteral("cupsd"));
    if (cupsd.isEmpty())
        return Fail(QStringLiteral("cupsd not found (Debian package cups-daemon)"));

    const QString root = m_dir.path();
    const QDir dir(root);
    for (const char* folder : {"spool/tmp", "cache", "state", "log", "home"}) {
        if (!dir.mkpath(QString::fromLatin1(folder)))
            return Fail(QStringLiteral("cannot create ") + dir.filePath(QString::fromLatin1(folder)));
    }
    // Run as root, the scheduler starts filters as user lp, who must reach the spool.
    QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup |
                                    QFile::ExeOther);

    const QString cupsdConf = QStringLiteral(R"(LogLevel info
Listen %1
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
PreserveJobFiles Yes
PreserveJobHistory Yes
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
)")
                                  .arg(SocketPath());
    QString filesConf = QStringLiteral(R"(ServerRoot %1
RequestRoot %1/spool
TempDir %1/spool/tmp
CacheDir %1/cache
StateDir %1/state
Printcap %1/printcap
AccessLog %1/log/access_log
ErrorLog %1/log/error_log
PageLog %1/log/page_log
)")
                            .arg(root);
    if (::getuid() != 0) {
        // A scheduler not run as root runs its filters as the same user.
        const passwd* user = ::getpwuid(::getuid());
        const group* userGroup = ::getgrgid(::getgid());
        if (user && userGroup)
            filesConf += QStringLiteral("User %1\nGroup %2\n")
                             .arg(QString::fromLocal8Bit(user->pw_name), QString::fromLocal8Bit(userGroup->gr_name));
    }
    if (!WriteFile(dir.filePath(QStringLiteral("cupsd.conf")), cupsdConf) ||
        !WriteFile(dir.filePath(QStringLiteral("cups-files.conf")), filesConf) ||
        !WriteFile(dir.filePath(QStringLiteral("kennfix-test.ppd")), PpdText()))
        return Fail(QStringLiteral("cannot write the configuration into ") + root);

    m_scheduler.setProcessChannelMode(QProcess::MergedChannels);
    // A test that crashes takes its scheduler with it.
    m_scheduler.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_scheduler.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), dir.filePath(QStringLiteral("cupsd.conf")),
                              QStringLiteral("-s"), dir.filePath(QStringLiteral("cups-files.conf"))});
    if (!m_scheduler.waitForStarted(kStartTimeoutMs))
        return Fail(QStringLiteral("cannot start cupsd: ") + m_scheduler.errorString());

    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!SocketAnswers(SocketPath())) {
        if (m_scheduler.state() != QProcess::Running || deadline.hasExpired())
            return Fail(QStringLiteral("cupsd did not come up: ") + QString::fromLocal8Bit(m_scheduler.readAll()));
        QThread::msleep(10);
    }
    m_client.Apply();
    return true;
}

bool CupsSandbox::AddQueue(const QString& name)
{
    return Run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                                           QStringLiteral("file:///dev/null"), QStringLiteral("-P"),
                                           m_dir.filePath(QStringLiteral("kennfix-test.ppd"))});
}

bool CupsSandbox::AddPlainQueue(const QString& name)
{
    return Run(QStringLiteral("lpadmin"),
               {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), QStringLiteral("file:///dev/null")});
}

bool CupsSandbox::SetDefault(const QString& name)
{
    return Run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name});
}

bool CupsSandbox::RemoveQueue(const QString& name)
{
    return Run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name});
}

void CupsSandbox::Pause()
{
    if (m_scheduler.state() == QProcess::Running && !m_paused) {
        ::kill(static_cast<pid_t>(m_scheduler.processId()), SIGSTOP);
        m_paused = true;
    }
}

void CupsSandbox::Resume()
{
    if (m_paused) {
        ::kill(static_cast<pid_t>(m_scheduler.processId()), SIGCONT);
        m_paused = false;
    }
}

QStringList CupsSandbox::Documents() const
{
    const QDir spool(m_dir.filePath(QStringLiteral("spool")));
    QStringList paths;
    // d<job>-<document>, both numbers zero-padded, so the name order is the job order.
    for (const QString& name : spool.entryList({QStringLiteral("d*-*")}, QDir::Files, QDir::Name))
        paths << spool.filePath(name);
    return paths;
}

QStringList CupsSandbox::CompletedJobs()
{
    QString output;
    if (!Run(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o")},
             &output))
        return {};
    QStringList jobs;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts))
        jobs << line.section(u' ', 0, 0, QString::SectionSkipEmpty);
    const auto jobNumber = [](const QString& job) { return job.section(u'-', -1).toInt(); };
    std::sort(jobs.begin(), jobs.end(),
              [&](const QString& a, const QString& b) { return jobNumber(a) < jobNumber(b); });
    return jobs;
}

QProcessEnvironment CupsSandbox::Environment() const
{
    return m_client.Environment();
}

bool CupsSandbox::Run(const QString& program, QStringList arguments, QString* output)
{
    const QString path = FindProgram(program);
    if (path.isEmpty())
        return Fail(program + QStringLiteral(" not found (Debian package cups-client)"));
    arguments.prepend(SocketPath());
    arguments.prepend(QStringLiteral("-h"));
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(path, arguments);
    const bool finished = process.waitForFinished(kCommandTimeoutMs);
    const QString standardOutput = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Fail(program + u' ' + arguments.join(u' ') + QStringLiteral(" failed: ") + standardOutput +
                    QString::fromLocal8Bit(process.readAllStandardError()));
    if (output)
        *output = standardOutput;
    return true;
}

bool CupsSandbox::Fail(const QString& what)
{
    m_error = what;
    QFile log(m_dir.filePath(QStringLiteral("log/error_log")));
    if (log.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromLocal8Bit(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
        m_error += QStringLiteral("\nscheduler log:\n") + lines.mid(std::max<qsizetype>(0, lines.size() - 30)).join(u'\n');
    }
    return false;
}

void CupsSandbox::Stop()
{
    if (m_scheduler.state() == QProcess::NotRunning)
        return;
    Resume();
    m_scheduler.terminate();
    if (!m_scheduler.waitForFinished(10'000)) {
        m_scheduler.kill();
        m_scheduler.waitForFinished(10'000);
    }
}
