#include "qtfrontend/startapplication.h"

#include <QApplication>
#include <QSettings>

#include <cstdio>
#include <cstdlib>

namespace kennfix {
namespace {

const char* g_program = "";
bool g_starting = false;
// Qt's messages are English and speak to developers: a user can do nothing
// with "QStandardPaths: XDG_RUNTIME_DIR not set" but worry. They reach
// standard error only when asked for through Qt's own switch for them,
// QT_LOGGING_RULES.
bool g_passQtMessages = false;
QtMessageHandler g_previous = nullptr;

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg && g_starting) {
        // Qt ends the program after a fatal message: it cannot open a window.
        std::fprintf(stderr,
                     "%s: Das Fenster kann nicht geöffnet werden: keine grafische Oberfläche erreichbar "
                     "(DISPLAY oder WAYLAND_DISPLAY).\n",
                     g_program);
        std::fflush(stderr);
        std::_Exit(kNoDisplayStatus);
    }
    if (type == QtFatalMsg || g_passQtMessages)
        g_previous(type, context, text);
}

// Qt's widgets keep records of their own through QSettings, under the
// organisation "QtProject": the file dialog the folders it showed and their
// history, which would tell anyone who may read the user's configuration
// where staff lists live. They go to a place where nothing can be written
// or read, beneath a file that is no folder. (On Windows Qt keeps them in
// the registry instead, which no path moves.)
constexpr auto kNowhere = "/dev/null";

}  // namespace

void KeepQtSettingsNowhere()
{
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, QString::fromLatin1(kNowhere));
    }
}

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv, const char* program)
{
    KeepQtSettingsNowhere();
    g_program = program;
    g_passQtMessages = qEnvironmentVariableIsSet("QT_LOGGING_RULES");
    g_starting = true;
    g_previous = qInstallMessageHandler(OnQtMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    g_starting = false;
    return app;
}

void PrintNotice(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace kennfix
