#pragma once

// A Linux desktop of the test's own, for the end-to-end tests: an X server
// (Xvfb, on a display number it picks itself), the openbox window manager,
// and the accessibility bus that screen readers such as Orca read, switched
// on as a desktop's accessibility setting does. Needs a D-Bus session bus of
// its own: run the test under dbus-run-session. Stop() and the destructor
// end everything it started.

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

class DesktopSession {
public:
    static constexpr int kWaitMs = 20'000;
    static constexpr QSize kScreenSize{1024, 768};

    DesktopSession();
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    bool Start();
    void Stop();
    QString Error() const { return m_error; }

    // The environment for a program on this desktop, based on `base`,
    // without XDG_RUNTIME_DIR.
    QProcessEnvironment Environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

    struct ToolRun {
        bool succeeded;
        QByteArray output;  // standard output
        QString text() const { return QString::fromLocal8Bit(output).trimmed(); }
    };
    // Runs the X client `tool` on this desktop and waits for it.
    ToolRun Run(const QString& tool, const QStringList& arguments, int timeoutMs = kWaitMs) const;
    QString Text(const QString& tool, const QStringList& arguments) const { return Run(tool, arguments).text(); }

    // The clipboard of this desktop, set by xclip as another program sets it
    // (xclip stays to serve it until a program takes it over or the X server
    // ends); false when it does not read `text` back in time.
    bool SetClipboard(const QString& text) const;
    QString Clipboard() const;

    // The dots per inch that programs started afterwards read (Xft.dpi).
    bool SetDpi(int dpi);

    // The whole screen as it is shown now; null when it cannot be taken.
    QImage Screenshot() const;

    // What the window manager tells of a client window: its client area on
    // the screen and the frame it drew around it.
    struct Placement {
        QRect client;
        QRect frame;
    };
    std::optional<Placement> PlacementOf(const QString& window) const;

private:
    bool StartXServer();
    bool StartWindowManager();
    bool StartAccessibilityBus();
    bool Fail(const QString& what);
    QProcess* Launch(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment);

    QTemporaryDir m_dir;
    QString m_display;
    std::vector<std::unique_ptr<QProcess>> m_processes;  // in the order started
    QString m_error;
};
