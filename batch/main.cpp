// kennfix-batch: the eTINs of a whole list, for payroll offices that keep
// their staff in spreadsheets. The list engine is in listengine/list.h and
// the file rules in listengine/files.h; this file turns the command line
// into ListOptions and the outcome into messages and an exit status.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <optional>
#include <string_view>

#include "batch/console.h"
#include "batch/listrules.h"
#include "listengine/files.h"
#include "listengine/messagetext.h"
#include "listengine/options.h"
#include "listengine/summary.h"

namespace {

using kennfix::listengine::ForMessage;
using kennfix::listengine::QuotedForMessage;

constexpr int kAllRowsDone = 0;
constexpr int kSomeRowsNeedAttention = 1;
constexpr int kUsageOrFileError = 2;

constexpr const char* kDescription =
    "kennfix-batch: die eTIN für jede Person einer Liste berechnen und gespeicherte\n"
    "eTINs prüfen\n"
    "\n"
    "Liest eine Liste im CSV-Format, wie Tabellenkalkulationen sie schreiben, mit den\n"
    "Spalten Familienname, Vorname und Geburtsdatum, und schreibt sie mit den\n"
    "Spalten eTIN und Fehler wieder aus. Ohne EINGABE (oder mit -) liest das\n"
    "Programm die Standardeingabe, ohne AUSGABE schreibt es auf die Standardausgabe.\n";

constexpr const char* kExamples =
    "\n"
    "\n"
    "Beispiel:\n"
    "  kennfix-batch personal.csv personal-etin.csv\n"
    "  kennfix-batch --delimiter , --encoding windows-1252 < liste.csv > ergebnis.csv";

struct UsageError {
    std::string message;
};

struct Arguments {
    std::string input;
    std::string output;
    kennfix::listengine::ListOptionTexts texts;
    kennfix::listengine::ListOptions list;
};

void AddOptions(CLI::App& app, Arguments& a)
{
    const auto f = app.get_formatter();
    f->label("Usage", "Aufruf");
    f->label("OPTIONS", "OPTIONEN");
    f->label("Positionals", "Argumente");
    f->column_width(32);
    app.name("kennfix-batch");
    app.description(kDescription);
    // The rules of a list, as the manual page has them (man/list-rules.scd).
    app.footer(std::string(kListRules) + kExamples +
               "\n\nMehr im Handbuch: " + kennfix::listengine::ManualReference("kennfix-batch"));
    // Unknown options and arguments are told apart below, in German.
    app.allow_extras();
    app.option_defaults()->group("Optionen")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.set_help_flag("-h,--help", "Diese Hilfe zeigen")->group("Optionen");
    app.set_version_flag("--version", "kennfix-batch " KENNFIX_VERSION, "Die Versionsnummer zeigen")->group("Optionen");

    app.add_option("EINGABE", a.input, "die Liste (CSV)")->type_name("DATEI");
    app.add_option("AUSGABE", a.output, "wohin die Liste mit eTIN geht")->type_name("DATEI");
    for (const kennfix::listengine::ListOption& option : kennfix::listengine::ListOptionTable()) {
        std::string names = "--" + std::string(option.name);
        if (option.shortName)
            names = std::string{'-', option.shortName, ','} + names;
        app.add_option(names, a.texts.*option.text, std::string(option.help))
            ->type_name(std::string(option.placeholder));
    }
}

// Every list option takes a value.
bool TakesAValue(std::string_view arg)
{
    return std::ranges::any_of(kennfix::listengine::ListOptionTable(), [arg](const kennfix::listengine::ListOption& option) {
        return (arg.starts_with("--") && arg.substr(2) == option.name) ||
               (option.shortName && arg.size() == 2 && arg[0] == '-' && arg[1] == option.shortName);
    });
}

// An option at the end of the command line, or before another option, has no value.
std::optional<std::string> OptionWithoutValue(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--")
            break;
        if (TakesAValue(arg) && (i + 1 == argc || std::string_view(argv[i + 1]).starts_with("--")))
            return arg;
    }
    return std::nullopt;
}

// CLI11 speaks English; none of it reaches the user.
std::string UsageMessage(const CLI::ParseError& e, int argc, char** argv)
{
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        if (const auto option = OptionWithoutValue(argc, argv))
            return "Der Option " + QuotedForMessage(*option) + " fehlt ihr Wert.";
        return "Einer Option fehlt ihr Wert.";
    }
    return "Der Aufruf ist falsch.";
}

void CheckRemaining(const CLI::App& app)
{
    const std::vector<std::string> remaining = app.remaining();
    if (remaining.empty())
        return;
    const std::string& first = remaining.front();
    if (first.size() > 1 && first.starts_with('-'))
        throw UsageError{"Unbekannte Option " + QuotedForMessage(first) + "."};
    throw UsageError{"Ein Argument zu viel: " + QuotedForMessage(first) + "."};
}

// The options that CLI11 takes as text, checked with German messages.
void CheckArguments(Arguments& a)
{
    try {
        a.list = kennfix::listengine::ListOptionsFrom(a.texts);
    } catch (const kennfix::listengine::OptionError& e) {
        throw UsageError{e.what()};
    }
}

int Run(const Arguments& a)
{
    kennfix::listengine::ListSummary summary;
    try {
        summary = kennfix::listengine::ProcessListFile(a.input, a.output, a.list);
    } catch (const kennfix::listengine::ListError& e) {
        const std::string name = kennfix::listengine::IsStandardStream(a.input) ? "" : ForMessage(a.input) + ": ";
        std::cerr << "kennfix-batch: " << name << e.what() << "\n";
        return kUsageOrFileError;
    } catch (const kennfix::listengine::FileError& e) {
        std::cerr << "kennfix-batch: " << e.what() << "\n";
        return kUsageOrFileError;
    }
    for (const std::string& message : kennfix::listengine::SummaryMessages(summary))
        std::cerr << "kennfix-batch: " << message << "\n";
    return summary.needsAttention() ? kSomeRowsNeedAttention : kAllRowsDone;
}

}  // namespace

int main(int systemArgc, char** systemArgv)
{
    std::ios::sync_with_stdio(false);
    kennfix::batch::WriteMessagesForTheConsole();
    kennfix::batch::Utf8Arguments commandLine(systemArgc, systemArgv);
    const int argc = commandLine.argc();
    char** argv = commandLine.argv();
    kennfix::listengine::RemoveTemporaryFilesOnSignals();
    CLI::App app;
    Arguments arguments;
    AddOptions(app, arguments);
    try {
        app.parse(argc, argv);
        CheckRemaining(app);
        CheckArguments(arguments);
        return Run(arguments);
    } catch (const CLI::Success& e) {  // --help or --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "kennfix-batch: " << UsageMessage(e, argc, argv) << "\nHilfe: kennfix-batch --help\n";
    } catch (const UsageError& e) {
        std::cerr << "kennfix-batch: " << e.message << "\nHilfe: kennfix-batch --help\n";
    } catch (const std::bad_alloc&) {
        std::cerr << "kennfix-batch: Nicht genügend Hauptspeicher verfügbar.\n";
    } catch (const std::exception&) {
        std::cerr << "kennfix-batch: Unerwarteter Fehler; die Ausgabe ist nicht geschrieben.\n";
    }
    return kUsageOrFileError;
}
