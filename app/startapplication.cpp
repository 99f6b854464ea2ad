#include "startapplication.h"

#include <QApplication>
#include <QByteArray>
#include <QList>

#include <cstdio>
#include <cstdlib>

namespace kennfix {
namespace {

// What Qt says while the application object comes into being. It is held
// back, since Qt's complaints about the display are English and the German
// message says it all; once the object exists, the rest is passed on.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QList<HeldMessage>* g_held = nullptr;
const char* g_program = "";
QtMessageHandler g_previous = nullptr;

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // Qt ends the program after a fatal message: it cannot open a window.
        std::fprintf(stderr,
                     "%s: Das Fenster kann nicht geöffnet werden: keine grafische Oberfläche erreichbar "
                     "(DISPLAY oder WAYLAND_DISPLAY).\n",
                     g_program);
        std::fflush(stderr);
        std::_Exit(kNoDisplayStatus);
    }
    g_held->append({type, QByteArray(context.category ? context.category : ""), text});
}

}  // namespace

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv, const char* program)
{
    QList<HeldMessage> held;
    g_held = &held;
    g_program = program;
    g_previous = qInstallMessageHandler(HoldOrEnd);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(g_previous);
    g_held = nullptr;
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    return app;
}

}  // namespace kennfix
