// kennfix-liste: a staff list in a window, for clerks who open files by
// double-clicking them. The window is in listwindow.h; this file reads the
// command line and ends the program at once when the window closes, also
// while a list is still being read or saved.

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "files.h"
#include "listjobs.h"
#include "listwindow.h"
#include "qttranslations.h"
#include "windowicon.h"

namespace {

constexpr int kUsageError = 2;
// A save that is cancelled ends at its next progress check, a matter of
// milliseconds; only a file system that hangs takes longer.
constexpr int kSaveEndsMs = 2000;

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Diese Hilfe zeigen")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Die Versionsnummer zeigen")};
};

void SetUp(QCommandLineParser& parser, const Options& options)
{
    parser.setApplicationDescription(QStringLiteral(
        "Zeigt eine Personalliste (CSV) mit der eTIN jeder Zeile und speichert sie so, wie kennfix-batch sie\n"
        "schreibt. Zeilen mit Fehler oder abweichender gespeicherter eTIN sind hervorgehoben."));
    parser.addOption(options.help);
    parser.addOption(options.version);
    parser.addPositionalArgument(QStringLiteral("DATEI"), QStringLiteral("die Liste, die beim Start geöffnet wird"),
                                 QStringLiteral("[DATEI]"));
}

void Print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// A wrong call, --help and --version answer on the terminal and need no
// display; the program then ends with this status.
std::optional<int> Answered(const QCommandLineParser& parser, const Options& options)
{
    const QString name = QStringLiteral("kennfix-liste");
    if (parser.isSet(options.help)) {
        // Qt names the program as it was called, path and all.
        QString help = parser.helpText();
        help.replace(help.indexOf(QCoreApplication::arguments().constFirst()),
                     QCoreApplication::arguments().constFirst().size(), name);
        Print(stdout, help);
        return EXIT_SUCCESS;
    }
    if (parser.isSet(options.version)) {
        Print(stdout, name + QStringLiteral(" " KENNFIX_VERSION "\n"));
        return EXIT_SUCCESS;
    }
    QString error = parser.errorText();
    if (error.isEmpty() && parser.positionalArguments().size() > 1)
        error = QStringLiteral("Ein Argument zu viel: „%1“.").arg(parser.positionalArguments().at(1));
    if (error.isEmpty())
        return std::nullopt;
    Print(stderr, name + QStringLiteral(": ") + error + QStringLiteral("\nHilfe: ") + name + QStringLiteral(" --help\n"));
    return kUsageError;
}

// --help and --version before the window's application object exists,
// which would need a display; Qt's options (-platform ...) are not
// understood here, so only these two come this way.
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

std::optional<int> AnswerForText(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    kennfix::LoadGermanQtTexts(app);
    QCommandLineParser parser;
    const Options options;
    SetUp(parser, options);
    parser.parse(QCoreApplication::arguments());
    return Answered(parser, options);
}

}  // namespace

int main(int argc, char* argv[])
{
    kennfix::batch::RemoveTemporaryFilesOnSignals();
    if (AsksForText(argc, argv)) {
        if (const std::optional<int> status = AnswerForText(argc, argv))
            return *status;
    }

    QApplication app(argc, argv);
    if (!kennfix::LoadGermanQtTexts(app))
        qWarning("kennfix-liste: Qts deutsche Übersetzungen (qtbase_de) fehlen; Dialoge und Knöpfe von Qt bleiben englisch.");
    QApplication::setApplicationName(QStringLiteral("kennfix-liste"));
    // Ties the window to the installed desktop entry (on Wayland, its app id).
    QApplication::setDesktopFileName(QStringLiteral(KENNFIX_LISTE_APP_ID));
    QApplication::setWindowIcon(kennfix::WindowIcon());

    QCommandLineParser parser;
    const Options options;
    SetUp(parser, options);
    parser.parse(QApplication::arguments());
    if (const std::optional<int> status = Answered(parser, options))
        return *status;

    kennfix::liste::ListWindow window;
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.openList(parser.positionalArguments().first());
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
