// kennfix-liste: a staff list in a window, for clerks who open files by
// double-clicking them. The window is in listwindow.h, the command line in
// commandline.h; this file starts the window and ends the program at once
// when the window closes, also while a list is still being read or saved.

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "commandline.h"
#include "files.h"
#include "listjobs.h"
#include "listwindow.h"
#include "qttranslations.h"
#include "startapplication.h"
#include "windowicon.h"

namespace {

constexpr int kUsageError = 2;
// A save that is cancelled ends at its next progress check, a matter of
// milliseconds; only a file system that hangs takes longer.
constexpr int kSaveEndsMs = 2000;

const QString kVersion = QStringLiteral(KENNFIX_VERSION);

// --help, --version and a wrong call answer on the terminal.
int Answer(const kennfix::liste::CommandLine& line)
{
    using Action = kennfix::liste::CommandLine::Action;
    if (line.action == Action::Refuse) {
        std::fprintf(stderr, "kennfix-liste: %s\nHilfe: kennfix-liste --help\n", line.text.toLocal8Bit().constData());
        return kUsageError;
    }
    std::fputs(line.text.toLocal8Bit().constData(), stdout);
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
    kennfix::batch::RemoveTemporaryFilesOnSignals();
    if (AsksForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        kennfix::LoadGermanQtTexts(app);
        return Answer(kennfix::liste::ParseCommandLine(QCoreApplication::arguments(), kVersion));
    }

    // Takes Qt's own options (-platform, -display ...) off the command line.
    const auto app = kennfix::StartApplication(argc, argv, "kennfix-liste");
    if (!kennfix::LoadGermanQtTexts(*app))
        qWarning("kennfix-liste: Qts deutsche Übersetzungen (qtbase_de) fehlen; Dialoge und Knöpfe von Qt bleiben englisch.");
    const CommandLine line = kennfix::liste::ParseCommandLine(QApplication::arguments(), kVersion);
    if (line.action != CommandLine::Action::ShowWindow)
        return Answer(line);
    QApplication::setApplicationName(QStringLiteral("kennfix-liste"));
    // Ties the window to the installed desktop entry (on Wayland, its app id).
    QApplication::setDesktopFileName(QStringLiteral(KENNFIX_LISTE_APP_ID));
    QApplication::setWindowIcon(kennfix::WindowIcon());

    kennfix::liste::ListWindow window(line.options);
    window.show();
    if (!line.file.isEmpty())
        window.openList(line.file);
    const int status = QApplication::exec();

    // The window is closed: a list still being read is dropped where it is;
    // a save is cancelled and removes its temporary file, or, should it not
    // end in time, the file is removed here. The thread is not waited for.
    kennfix::liste::ListJobs& jobs = window.jobs();
    if (jobs.threadBusy()) {
        jobs.abandon(kSaveEndsMs);
        kennfix::batch::RemoveTemporaryFiles();
        std::fflush(stdout);
        std::_Exit(status);
    }
    return status;
}
