// kennfix-liste: a staff list in a window, for clerks who open files by
// double-clicking them. The window is in listwindow.h, the command line in
// commandline.h; this file starts the window and ends the program at once
// when the window closes, also while a list is still being read or saved.

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "liste/commandline.h"
#include "liste/listjobs.h"
#include "liste/listwindow.h"
#include "listengine/files.h"
#include "qtfrontend/messageboxes.h"
#include "qtfrontend/qttranslations.h"
#include "qtfrontend/startapplication.h"
#include "qtfrontend/windowicon.h"

namespace {

constexpr int kUsageError = 2;
// A save past its point of no return has only to flush its file to the
// disk and rename it; only a file system that hangs takes longer.
constexpr int kCommitEndsMs = 2000;

const QString kVersion = QStringLiteral(KENNFIX_VERSION);

// A wrong call is answered where its caller looks: on Linux on the terminal;
// on Windows in the program's error box, since a window program started from
// Explorer, a shortcut or "Öffnen mit" has no standard error to write to.
void Refuse(const QString& text)
{
    const QString message = text + QStringLiteral("\nHilfe: kennfix-liste --help");
#ifdef _WIN32
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        kennfix::ShowErrorBoxTitled(kennfix::liste::kListWindowTitle, message);
        return;
    }
#endif
    std::fprintf(stderr, "kennfix-liste: %s\n", message.toUtf8().constData());
}

// --help and --version answer on the terminal, in UTF-8 as every terminal
// here reads it; on Windows, where a window program has no console, a pipe
// or file gets what kennfix-batch.exe gives it: UTF-8.
int Answer(const kennfix::liste::CommandLine& line)
{
    using Action = kennfix::liste::CommandLine::Action;
    if (line.action == Action::Refuse) {
        Refuse(line.text);
        return kUsageError;
    }
    std::fputs(line.text.toUtf8().constData(), stdout);
    if (!line.text.endsWith(u'\n'))
        std::fputc('\n', stdout);
    return EXIT_SUCCESS;
}

// Whether the call asks for --help or --version, which are answered before
// the window's application object exists: that needs a display.
bool AsksForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            return false;
        if (argument == "-h" || argument == "--help" || argument == "--version")
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[])
{
    using kennfix::liste::CommandLine;
    kennfix::listengine::RemoveTemporaryFilesOnSignals();
    if (AsksForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        kennfix::LoadGermanQtTexts(app);
        return Answer(kennfix::liste::ParseCommandLine(QCoreApplication::arguments(), kVersion));
    }

    // Takes Qt's own options (-platform, -display ...) off the command line.
    const auto app = kennfix::StartApplication(argc, argv, "kennfix-liste");
    if (!kennfix::LoadGermanQtTexts(*app))
        kennfix::PrintNotice(QStringLiteral("kennfix-liste: Qts deutsche Übersetzungen (qtbase_de) fehlen; Dialoge und "
                                            "Knöpfe von Qt bleiben englisch."));
    const CommandLine line = kennfix::liste::ParseCommandLine(QApplication::arguments(), kVersion);
    if (line.action != CommandLine::Action::ShowWindow)
        return Answer(line);
    // Qt's texts German whatever the locale, numbers, sizes and dates too (the
    // file dialog's); the window has no regional settings of its own.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication::setApplicationName(QStringLiteral("kennfix-liste"));
    // Ties the window to the installed desktop entry (on Wayland, its app id).
    QApplication::setDesktopFileName(QStringLiteral(KENNFIX_LISTE_APP_ID));
    QApplication::setWindowIcon(kennfix::WindowIcon());

    kennfix::liste::ListWindow window(line.options);
    window.show();
    if (!line.file.isEmpty())
        window.openList(line.file);
    const int status = QApplication::exec();

    // The window is closed: a list still being read is dropped where it is,
    // and so is a save that can still be cancelled. A save past its point of
    // no return is given a moment to put its file in place; should it not
    // end in time, its temporary file is removed here, so that either the
    // whole file or the old one is there. No other thread is waited for.
    kennfix::liste::ListJobs& jobs = window.jobs();
    if (jobs.threadBusy()) {
        jobs.abandon(kCommitEndsMs);
        kennfix::listengine::RemoveTemporaryFiles();
        std::fflush(stdout);
        std::_Exit(status);
    }
    return status;
}
