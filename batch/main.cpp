// kennfix-batch: the eTINs of a whole list, for payroll offices that keep
// their staff in spreadsheets. The reading and writing is in list.h; this
// file only turns the command line into ListOptions and files into streams.

#include <CLI/CLI.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>

#include "cp1252.h"
#include "list.h"

namespace {

using kennfix::batch::Encoding;

constexpr int kAllRowsDone = 0;
constexpr int kSomeRowsFailed = 1;
constexpr int kUsageOrFileError = 2;

constexpr const char* kDescription =
    "kennfix-batch: die eTIN für jede Person einer Liste berechnen\n"
    "\n"
    "Liest eine Liste im CSV-Format, wie Tabellenkalkulationen sie schreiben, mit den\n"
    "Spalten Familienname, Vorname und Geburtsdatum, und schreibt sie mit den zwei\n"
    "zusätzlichen Spalten eTIN und Fehler wieder aus. Ohne EINGABE (oder mit -) liest\n"
    "das Programm die Standardeingabe, ohne AUSGABE schreibt es auf die Standardausgabe.\n";

constexpr const char* kFooter =
    "Die Liste:\n"
    "  Die erste Zeile ist die Kopfzeile. Die drei Spalten werden über ihren Namen\n"
    "  gefunden, Groß- und Kleinschreibung gleich; alle anderen Spalten bleiben, wie\n"
    "  sie sind. Felder dürfen in Anführungszeichen stehen, \"\" steht darin für ein\n"
    "  Anführungszeichen, und Zeilenumbrüche in Anführungszeichen gehören zum Feld.\n"
    "  Zeilenenden CRLF oder LF; leere Zeilen werden übergangen.\n"
    "  Geburtsdatum: TT.MM.JJ wie im Fenster oder TT.MM.JJJJ; andere Schreibweisen\n"
    "  mit --date-separator und --date-order. Ein zweistelliges Jahr liegt zwischen\n"
    "  50 Jahren vor dem laufenden Jahr (--year) und 49 danach.\n"
    "  Zeichenkodierung: mit --encoding auto ist eine Datei in gültigem UTF-8 (mit oder\n"
    "  ohne BOM) UTF-8 und jede andere Windows-1252. Die Ausgabe hat die Kodierung\n"
    "  der Eingabe, wenn --output-encoding nichts anderes sagt. Von einer Pipe\n"
    "  gelesen entscheidet die erste Zeile mit Umlauten oder anderen Zeichen über\n"
    "  ASCII; folgt später eine Zeile, die kein UTF-8 ist, bricht das Programm ab.\n"
    "  Namen werden wie im Fenster nach Windows-1252 gewandelt: ein Buchstabe, den es\n"
    "  dort nicht gibt, wird zu seinem Grundbuchstaben (Ł zu L, ș zu s).\n"
    "\n"
    "Die Spalte Fehler:\n"
    "  Leer, wenn die eTIN berechnet wurde, sonst der Grund, und die eTIN bleibt leer:\n"
    "  „Name fehlt“, „Vorname fehlt“, „Geburtsdatum fehlt“, „Name enthält nicht\n"
    "  darstellbare Zeichen“ (ebenso „Vorname …“) oder „'31.02.80' is not a valid date“.\n"
    "  Eine fehlerhafte Zeile hält die Arbeit nicht an: die Ausgabe hat genauso viele\n"
    "  Zeilen wie die Eingabe, in derselben Reihenfolge. Hat die Eingabe schon Spalten\n"
    "  eTIN und Fehler, werden diese neu gefüllt.\n"
    "\n"
    "Rückgabewert:\n"
    "  0  jede Zeile hat ihre eTIN\n"
    "  1  mindestens eine Zeile hat einen Fehler\n"
    "  2  falscher Aufruf, Datei nicht lesbar oder keine lesbare Liste (die Meldung\n"
    "     nennt die Zeile); eine AUSGABE-Datei wird dann nicht angelegt\n"
    "\n"
    "Beispiel:\n"
    "  kennfix-batch personal.csv personal-etin.csv\n"
    "  kennfix-batch --delimiter , --encoding windows-1252 < liste.csv > ergebnis.csv";

std::optional<Encoding> ParseEncoding(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (text == "auto")
        return Encoding::Auto;
    if (text == "utf-8" || text == "utf8")
        return Encoding::Utf8;
    if (text == "windows-1252" || text == "cp1252")
        return Encoding::Windows1252;
    return std::nullopt;
}

std::optional<char> ParseDelimiter(const std::string& text)
{
    if (text == "tab" || text == "\\t" || text == "\t")
        return '\t';
    if (text == ";" || text == ",")
        return text[0];
    return std::nullopt;
}

std::optional<kennfix::DateOrder> ParseDateOrder(const std::string& text)
{
    if (text == "dmy")
        return kennfix::DateOrder::DayMonthYear;
    if (text == "mdy")
        return kennfix::DateOrder::MonthDayYear;
    if (text == "ymd")
        return kennfix::DateOrder::YearMonthDay;
    return std::nullopt;
}

struct UsageError {
    std::string message;
};

struct Arguments {
    std::string input;
    std::string output;
    std::string delimiter = ";";
    std::string encoding = "auto";
    std::string outputEncoding = "auto";
    std::string dateSeparator = ".";
    std::string dateOrder = "dmy";
    std::optional<int> year;
    kennfix::batch::ListOptions list;
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
    app.option_defaults()->group("Optionen");
    app.set_help_flag("-h,--help", "Diese Hilfe zeigen")->group("Optionen");
    app.set_version_flag("--version", "kennfix-batch " KENNFIX_VERSION, "Die Versionsnummer zeigen")->group("Optionen");

    app.add_option("EINGABE", a.input, "die Liste (CSV)")->type_name("DATEI");
    app.add_option("AUSGABE", a.output, "wohin die Liste mit eTIN geht")->type_name("DATEI");
    app.add_option("-d,--delimiter", a.delimiter, "; (Vorgabe), , oder tab")->type_name("ZEICHEN");
    app.add_option("--encoding", a.encoding, "der Eingabe: auto (Vorgabe), utf-8, windows-1252")
        ->type_name("KODIERUNG");
    app.add_option("--output-encoding", a.outputEncoding, "der Ausgabe: auto (wie die Eingabe), utf-8, windows-1252")
        ->type_name("KODIERUNG");
    app.add_option("--family-name-column", a.list.familyNameColumn, "Spalte des Familiennamens (Familienname)")
        ->type_name("NAME");
    app.add_option("--first-name-column", a.list.firstNameColumn, "Spalte des Vornamens (Vorname)")
        ->type_name("NAME");
    app.add_option("--birth-date-column", a.list.birthDateColumn, "Spalte des Geburtsdatums (Geburtsdatum)")
        ->type_name("NAME");
    app.add_option("--date-separator", a.dateSeparator, "Trennzeichen im Datum (.)")->type_name("ZEICHEN");
    app.add_option("--date-order", a.dateOrder, "dmy (Vorgabe), mdy oder ymd: Tag, Monat, Jahr")
        ->type_name("FOLGE");
    app.add_option("--year", a.year, "das laufende Jahr für zweistellige Jahre (Vorgabe: heute)")
        ->type_name("JAHR");
}

// The options that CLI11 takes as text, checked here with German messages.
void CheckArguments(Arguments& a)
{
    const auto delimiter = ParseDelimiter(a.delimiter);
    if (!delimiter)
        throw UsageError{"--delimiter erwartet ; , oder tab, nicht „" + a.delimiter + "“."};
    a.list.delimiter = *delimiter;

    const auto input = ParseEncoding(a.encoding);
    const auto output = ParseEncoding(a.outputEncoding);
    if (!input)
        throw UsageError{"--encoding erwartet auto, utf-8 oder windows-1252, nicht „" + a.encoding + "“."};
    if (!output)
        throw UsageError{"--output-encoding erwartet auto, utf-8 oder windows-1252, nicht „" + a.outputEncoding + "“."};
    a.list.inputEncoding = *input;
    a.list.outputEncoding = *output;

    if (a.dateSeparator.size() != 1)
        throw UsageError{"--date-separator erwartet genau ein Zeichen, nicht „" + a.dateSeparator + "“."};
    const auto order = ParseDateOrder(a.dateOrder);
    if (!order)
        throw UsageError{"--date-order erwartet dmy, mdy oder ymd, nicht „" + a.dateOrder + "“."};
    a.list.dateSettings = {a.dateSeparator[0], *order};

    if (a.year && (*a.year < 1 || *a.year > 9999))
        throw UsageError{"--year erwartet ein Jahr von 1 bis 9999."};
    a.list.currentYear = a.year ? *a.year : kennfix::CurrentYear();

    for (const std::string* column : {&a.list.familyNameColumn, &a.list.firstNameColumn, &a.list.birthDateColumn}) {
        if (column->empty() || !kennfix::IsValidUtf8(*column))
            throw UsageError{"Ein Spaltenname darf nicht leer sein und muss in UTF-8 angegeben werden."};
    }
}

std::string UsageMessage(const CLI::ParseError& e)
{
    if (dynamic_cast<const CLI::ExtrasError*>(&e))
        return std::string("Unbekannte Option oder ein Argument zu viel (") + e.what() + ").";
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e))
        return std::string("Einer Option fehlt ihr Wert (") + e.what() + ").";
    if (dynamic_cast<const CLI::ConversionError*>(&e))
        return std::string("Ungültiger Wert (") + e.what() + ").";
    return std::string("Falscher Aufruf (") + e.what() + ").";
}

bool IsStandardStream(const std::string& path)
{
    return path.empty() || path == "-";
}

// The output goes to a file beside the target and takes its place only when
// the list was read to the end, so a failed run leaves no half list behind.
class OutputFile {
public:
    explicit OutputFile(std::string path) : m_path(std::move(path)), m_temporary(m_path + ".XXXXXX")
    {
        const int fd = mkstemp(m_temporary.data());
        if (fd < 0)
            throw UsageError{"„" + m_path + "“ kann nicht angelegt werden: " + std::strerror(errno) + "."};
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        close(fd);
        m_stream.open(m_temporary, std::ios::binary | std::ios::trunc);
    }
    ~OutputFile()
    {
        if (!m_committed)
            std::remove(m_temporary.c_str());
    }

    std::ostream& Stream() { return m_stream; }

    void Commit()
    {
        m_stream.close();
        if (!m_stream || std::rename(m_temporary.c_str(), m_path.c_str()) != 0)
            throw UsageError{"„" + m_path + "“ kann nicht geschrieben werden: " + std::strerror(errno) + "."};
        m_committed = true;
    }

private:
    std::string m_path;
    std::string m_temporary;
    std::ofstream m_stream;
    bool m_committed = false;
};

int Run(const Arguments& a)
{
    std::ifstream inputFile;
    if (!IsStandardStream(a.input)) {
        inputFile.open(a.input, std::ios::binary);
        if (!inputFile)
            throw UsageError{"„" + a.input + "“ kann nicht gelesen werden: " + std::strerror(errno) + "."};
    }
    std::istream& in = IsStandardStream(a.input) ? std::cin : inputFile;
    std::optional<OutputFile> outputFile;
    if (!IsStandardStream(a.output))
        outputFile.emplace(a.output);
    std::ostream& out = outputFile ? outputFile->Stream() : std::cout;

    kennfix::batch::ListSummary summary;
    try {
        summary = kennfix::batch::ProcessList(in, out, a.list);
    } catch (const kennfix::batch::ListError& e) {
        const std::string name = IsStandardStream(a.input) ? "" : a.input + ": ";
        std::cerr << "kennfix-batch: " << name << e.what() << "\n";
        return kUsageOrFileError;
    }
    if (outputFile)
        outputFile->Commit();
    else if (!std::cout.flush())
        throw UsageError{"Die Ausgabe kann nicht geschrieben werden."};

    if (summary.failedRows == 0)
        return kAllRowsDone;
    std::cerr << "kennfix-batch: " << summary.failedRows << " von " << summary.rows
              << " Zeilen ohne eTIN; den Grund nennt die Spalte Fehler.\n";
    return kSomeRowsFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    CLI::App app;
    Arguments arguments;
    AddOptions(app, arguments);
    try {
        app.parse(argc, argv);
        CheckArguments(arguments);
        return Run(arguments);
    } catch (const CLI::Success& e) {  // --help or --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "kennfix-batch: " << UsageMessage(e) << "\nHilfe: kennfix-batch --help\n";
    } catch (const UsageError& e) {
        std::cerr << "kennfix-batch: " << e.message << "\n";
    } catch (const std::exception& e) {
        std::cerr << "kennfix-batch: " << e.what() << "\n";
    }
    return kUsageOrFileError;
}
