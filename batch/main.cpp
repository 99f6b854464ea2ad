// kennfix-batch: the eTINs of a whole list, for payroll offices that keep
// their staff in spreadsheets. The list engine is in listengine/list.h and
// the file rules in listengine/files.h; this file turns the command line
// into ListOptions and the outcome into messages and an exit status.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <optional>
#include <string_view>

#include "listengine/files.h"
#include "listengine/messagetext.h"
#include "listengine/options.h"
#include "listengine/summary.h"

namespace {

using kennfix::listengine::ForMessage;
using kennfix::listengine::Quoted;

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

constexpr const char* kFooter =
    "Die Liste:\n"
    "  Die erste Zeile mit Text ist die Kopfzeile. Die drei Spalten werden über\n"
    "  ihren Namen gefunden, Groß- und Kleinschreibung gleich, Leerzeichen davor\n"
    "  und danach (auch geschützte) nicht gezählt. Alle anderen Zellen kommen\n"
    "  unverändert zurück, leere Zeilen und leere Zellen am Zeilenende auch; eine\n"
    "  Zeile ohne Inhalt bleibt ohne eTIN und ohne Fehler. Das Trennzeichen (; ,\n"
    "  oder Tabulator) wird aus der Kopfzeile erkannt, wenn --delimiter es nicht\n"
    "  angibt. Felder dürfen in Anführungszeichen stehen, \"\" steht darin für ein\n"
    "  Anführungszeichen, und Zeilenumbrüche darin gehören zum Feld. Ein\n"
    "  Anführungszeichen mitten in einem Feld ohne Anführungszeichen (Monitor 24\")\n"
    "  ist ein gewöhnliches Zeichen.\n"
    "  Namen: Buchstaben, Leerzeichen, Bindestriche und Apostrophe (' und ’), und\n"
    "  mindestens ein Buchstabe. Geschützte und andere Leerzeichen und der\n"
    "  Tabulator zählen als Leerzeichen, Gedankenstriche (– —) als Bindestrich. Ein\n"
    "  Buchstabe, den es in Windows-1252 nicht gibt, zählt wie im Fenster als sein\n"
    "  Grundbuchstabe (Ł als L).\n"
    "  Geburtsdatum: TT.MM.JJ wie im Fenster oder TT.MM.JJJJ, Leerzeichen davor\n"
    "  und danach nicht gezählt; andere Schreibweisen mit --date-separator und\n"
    "  --date-order. Ein zweistelliges Jahr liegt zwischen 50 Jahren vor dem\n"
    "  laufenden Jahr (--year) und 49 danach; ein vierstelliges darf nicht nach\n"
    "  dem laufenden Jahr liegen.\n"
    "  Hinzu kommen die Spalten eTIN (neben einer eTIN-Spalte der Liste: Prüfung)\n"
    "  und Fehler. Hat die Liste selbst eine Spalte Fehler oder Prüfung, bleibt sie,\n"
    "  wie sie ist, und unsere heißt Fehler 2 oder Prüfung 2 (oder 3, 4 ...).\n"
    "\n"
    "Gespeicherte eTINs:\n"
    "  Hat die Liste schon eine Spalte eTIN, wird keine eTIN darin geändert; leere\n"
    "  Zellen bekommen die berechnete. Die Spalte Prüfung gleich dahinter sagt:\n"
    "  „stimmt“ (dieselben 14 Zeichen; Leerzeichen davor oder danach zählen nicht,\n"
    "  Kleinbuchstaben schon), „ergänzt“, „Prüfzeichen falsch, berechnet: …“ (nur\n"
    "  das 14. Zeichen weicht ab: ein Tippfehler in der gespeicherten eTIN) oder\n"
    "  „weicht ab (Familienname, Vorname, Geburtsdatum), berechnet: …“ mit den\n"
    "  Teilen, die abweichen (Zeichen 1–4, 5–8, 9–13), oder „weicht ab (13 statt\n"
    "  14 Zeichen), …“. Eine abweichende eTIN kann einer anderen Person gehören:\n"
    "  Namen und Geburtsdatum der Zeile prüfen, bevor die eTIN ersetzt wird.\n"
    "\n"
    "Zeichenkodierung:\n"
    "  Mit --encoding auto wird jede Zeile in ihrer Kodierung gelesen: gültiges\n"
    "  UTF-8 als UTF-8, alles andere als Windows-1252. Die erste Zeile mit\n"
    "  Umlauten oder anderen Zeichen über ASCII gibt die Kodierung der Ausgabe vor\n"
    "  (eine Bytereihenfolgemarke für UTF-8, UTF-16 LE oder BE ebenso; UTF-16 ist\n"
    "  mit Tabulatoren getrennt), wenn --output-encoding nichts anderes sagt.\n"
    "  Zeilen in der anderen Kodierung werden umgewandelt und auf der\n"
    "  Standardfehlerausgabe genannt. In Windows-1252 wird ein Zeichen, das die\n"
    "  Codepage nicht hat, zum Grundbuchstaben oder zu „?“, und Fehler nennt die\n"
    "  Spalte.\n"
    "\n"
    "Die Spalte Fehler:\n"
    "  Leer, wenn die eTIN berechnet wurde, sonst der Grund, und es gibt keine eTIN:\n"
    "  „Name fehlt“, „Vorname fehlt“, „Familienname enthält keinen Buchstaben“\n"
    "  (ebenso „Vorname …“; etwa „-“ für unbekannt), „Geburtsdatum fehlt“, „Name\n"
    "  enthält unzulässige Zeichen: „2““, „Name enthält nicht darstellbare Zeichen“\n"
    "  (ebenso „Vorname …“), „Geburtsdatum ungültig: „31.02.80““, „Geburtsdatum\n"
    "  liegt in der Zukunft“ oder „Zeile hat mehr Spalten als die Kopfzeile“. Eine\n"
    "  fehlerhafte Zeile hält die Arbeit nicht an. Steuerzeichen der Eingabe\n"
    "  erscheinen in Meldungen als \\t, \\n, \\uXXXX.\n"
    "\n"
    "Dateien:\n"
    "  Eine neue AUSGABE bekommt die Rechte der EINGABE (von der Standardeingabe:\n"
    "  nur für den Eigentümer), eine vorhandene behält ihre; eine nach ihren\n"
    "  Rechten schreibgeschützte wird nicht ersetzt, auch nicht für root. Die\n"
    "  Ausgabe entsteht in einer privaten temporären Datei neben dem Ziel und\n"
    "  ersetzt es erst, wenn die Liste vollständig ist; bei einem Fehler, Strg+C\n"
    "  oder SIGTERM wird sie entfernt. Einem symbolischen Link wird gefolgt, außer\n"
    "  dem eines anderen Benutzers in einem Ordner, in den alle schreiben dürfen\n"
    "  (/tmp); durch einen Link auf eine Datei, die es nicht gibt, wird keine\n"
    "  angelegt. Eine benannte Pipe oder ein Gerät wird direkt beschrieben.\n"
    "\n"
    "Rückgabewert:\n"
    "  0  jede Zeile hat ihre eTIN, und jede gespeicherte eTIN stimmt\n"
    "  1  mindestens eine Zeile hat einen Fehler oder eine abweichende eTIN\n"
    "  2  falscher Aufruf, Datei nicht lesbar oder keine lesbare Liste (die Meldung\n"
    "     nennt die Zeile); eine AUSGABE-Datei wird dann nicht angelegt\n"
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
    app.footer(kFooter);
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
            return "Der Option " + Quoted(ForMessage(*option)) + " fehlt ihr Wert.";
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
        throw UsageError{"Unbekannte Option " + Quoted(ForMessage(first)) + "."};
    throw UsageError{"Ein Argument zu viel: " + Quoted(ForMessage(first)) + "."};
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

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
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
