#include "list.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace kennfix::batch {
namespace {

constexpr std::string_view kHeader = "Familienname;Vorname;Geburtsdatum\n";

ListOptions Options()
{
    ListOptions options;
    options.currentYear = 2026;
    return options;
}

struct Processed {
    std::string output;
    ListSummary summary;
};

// Input that can be read only once, as from a pipe: it cannot seek.
class OnePassBuffer : public std::streambuf {
public:
    explicit OnePassBuffer(std::string text) : m_text(std::move(text))
    {
        setg(m_text.data(), m_text.data(), m_text.data() + m_text.size());
    }

private:
    std::string m_text;
};

enum class Source { File, Pipe };

Processed Process(std::string_view input, const ListOptions& options = Options(), Source source = Source::File)
{
    std::istringstream file{std::string(input)};
    OnePassBuffer pipeBuffer{std::string(input)};
    std::istream pipe(&pipeBuffer);
    std::ostringstream out;
    const ListSummary summary = ProcessList(source == Source::File ? file : pipe, out, options);
    return {out.str(), summary};
}

// The error of a list that cannot be read.
ListError FailureOf(std::string_view input, const ListOptions& options = Options(), Source source = Source::File)
{
    try {
        Process(input, options, source);
    } catch (const ListError& e) {
        return e;
    }
    ADD_FAILURE() << "no ListError for: " << input;
    return ListError(0, "");
}

struct RowCase {
    std::string_view family;
    std::string_view first;
    std::string_view date;
    std::string_view etin;
    std::string_view error;
};

// The calculation's reference results, one row each, in UTF-8.
constexpr RowCase kRowCases[] = {
    {"Müller", "Hans", "01.02.80", "MLLRHNSA80B01H", ""},
    {"MUELLER", "HANS", "01.02.80", "MLLRHNSA80B01H", ""},
    {"MÜLLER", "ANNA", "31.12.99", "MLLRNNAA99L31R", ""},
    {"Schmidt", "Eva", "05.11.75", "YMDTVAEX75K05L", ""},
    {"Schön-Schulze", "José María", "28.02.52", "YNYLJSMR52B28A", ""},
    {"Lüdtke", "Jürgen", "03.07.61", "LDTKJRGN61G03F", ""},
    {"Weiß", "Zoë", "12.03.85", "WSSIZEOX85C12C", ""},
    {"Bräuer", "Åsa", "07.08.70", "BRRESAAX70H07M", ""},
    {"-", "X", "10.10.10", "XXXXXXXX10J10Z", ""},
    {"Meier", "Li", "29.02.00", "MREILIXX00B29E", ""},
    {"Meier", "Li", "1 .2 .80", "MREILIXX80B01Z", ""},
    {"Lüdtke", "Jürgen", "03.07.1961", "LDTKJRGN61G03F", ""},  // four-digit year as spreadsheets write it
    {"Meier", "Li", "29.02.2000", "MREILIXX00B29E", ""},
    {"Łukasiewicz", "Ștefan", "03.07.61", "LKSWSTFN61G03N", ""},  // base letters, as the window converts
    {"Šimić", "Ana", "01.02.80", "ŠMCINAAX80B01K", ""},  // Š is in the code page and stays in the code
    {"", "", "01.02.80", "", "Name fehlt"},
    {"Meier", "", "31.02.80", "", "Vorname fehlt"},
    {"  ", "Eva", "01.02.80", "", "Name fehlt"},  // blanks only: a missing value in a list
    {"Meier", "Li", "29.02.01", "", "'29.02.01' is not a valid date"},
    {"Meier", "Li", "29.02.1900", "", "'29.02.1900' is not a valid date"},
    {"Meier", "Li", "", "", "Geburtsdatum fehlt"},  // the window would take 01.01.00
    {"Otto", "Ute", "  .  .  ", "", "Geburtsdatum fehlt"},
    {"王", "Li", "01.02.80", "", "Name enthält nicht darstellbare Zeichen"},
    {"Li", "😀", "01.02.80", "", "Vorname enthält nicht darstellbare Zeichen"},
    {"Meier", "Li", "01.02.8Ω", "", "'01.02.8Ω' is not a valid date"},
};

TEST(ProcessList, EachRowGetsItsEtinOrItsError)
{
    std::string input(kHeader);
    std::string expected = "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n";
    std::size_t failed = 0;
    for (const RowCase& c : kRowCases) {
        const std::string cells = std::string(c.family) + ";" + std::string(c.first) + ";" + std::string(c.date);
        input += cells + "\n";
        expected += cells + ";" + std::string(c.etin) + ";" + std::string(c.error) + "\n";
        failed += !c.error.empty();
    }
    const Processed p = Process(input);
    EXPECT_EQ(p.summary.rows, std::size(kRowCases));
    EXPECT_EQ(p.summary.failedRows, failed);

    std::istringstream actualLines(p.output), expectedLines(expected);
    std::string actual, wanted;
    while (std::getline(expectedLines, wanted)) {
        ASSERT_TRUE(std::getline(actualLines, actual));
        EXPECT_EQ(actual, wanted);
    }
    EXPECT_FALSE(std::getline(actualLines, actual)) << "extra row: " << actual;
}

TEST(ProcessList, QuotedCellsPassThroughUnchanged)
{
    const Processed p = Process(
        "Nr;Familienname;Vorname;Geburtsdatum;Notiz\r\n"
        "1;\"Müller\";Hans;01.02.80;\"Straße 1; 2. Stock\"\r\n"
        "2;Meier;Li;01.02.80;\"sagt \"\"Hallo\"\"\"\r\n"
        "3;Meier;Li;01.02.80;\"zwei\r\nZeilen\"\r\n"
        "4;Meier;Li;01.02.80; Blanks bleiben \r\n");
    EXPECT_EQ(p.output,
              "Nr;Familienname;Vorname;Geburtsdatum;Notiz;eTIN;Fehler\r\n"
              "1;Müller;Hans;01.02.80;\"Straße 1; 2. Stock\";MLLRHNSA80B01H;\r\n"
              "2;Meier;Li;01.02.80;\"sagt \"\"Hallo\"\"\";MREILIXX80B01Z;\r\n"
              "3;Meier;Li;01.02.80;\"zwei\r\nZeilen\";MREILIXX80B01Z;\r\n"
              "4;Meier;Li;01.02.80; Blanks bleiben ;MREILIXX80B01Z;\r\n");
    EXPECT_EQ(p.summary.rows, 4u);
}

TEST(ProcessList, CommaAndTabAsDelimiter)
{
    ListOptions options = Options();
    options.delimiter = ',';
    EXPECT_EQ(Process("Familienname,Vorname,Geburtsdatum\n\"Müller, Dr.\",Hans,01.02.80\n", options).output,
              "Familienname,Vorname,Geburtsdatum,eTIN,Fehler\n\"Müller, Dr.\",Hans,01.02.80,MLLRHNSA80B01H,\n");
    options.delimiter = '\t';
    EXPECT_EQ(Process("Familienname\tVorname\tGeburtsdatum\nMüller\tHans\t01.02.80", options).output,
              "Familienname\tVorname\tGeburtsdatum\teTIN\tFehler\nMüller\tHans\t01.02.80\tMLLRHNSA80B01H\t\n");
}

TEST(ProcessList, BadRowsKeepCountAndOrder)
{
    std::string input = "Nr;Familienname;Vorname;Geburtsdatum\n";
    for (int i = 1; i <= 20; ++i) {
        const bool bad = i % 3 == 0;
        input += std::to_string(i) + (bad ? ";Meier;Li;31.02.80\n" : ";Meier;Li;01.02.80\n");
    }
    input += "\n\n";  // blank lines are no rows
    const Processed p = Process(input);
    EXPECT_EQ(p.summary.rows, 20u);
    EXPECT_EQ(p.summary.failedRows, 6u);
    std::istringstream lines(p.output);
    std::string line;
    std::getline(lines, line);
    for (int i = 1; i <= 20; ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_TRUE(line.starts_with(std::to_string(i) + ";Meier")) << line;
        EXPECT_EQ(line.ends_with("is not a valid date"), i % 3 == 0) << line;
    }
    EXPECT_FALSE(std::getline(lines, line));
}

TEST(ProcessList, ShortRowsAreFilledAndLongRowsKeepTheirCells)
{
    const Processed p = Process(std::string(kHeader) +
                                "Meier;Li\n"
                                "Meier;Li;01.02.80;;\n"  // empty cells beyond the header are nothing
                                "Meier;Li;01.02.80;Hamburg\n");
    EXPECT_EQ(p.output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n"
              "Meier;Li;;;Geburtsdatum fehlt\n"
              "Meier;Li;01.02.80;MREILIXX80B01Z;\n"
              "Meier;Li;01.02.80;;Zeile hat mehr Spalten als die Kopfzeile;Hamburg\n");
}

TEST(ProcessList, ColumnsAreFoundByNameIgnoringCase)
{
    EXPECT_EQ(Process("geburtsdatum; VORNAME ;FamilienName\n01.02.80;Hans;Müller\n").output,
              "geburtsdatum; VORNAME ;FamilienName;eTIN;Fehler\n01.02.80;Hans;Müller;MLLRHNSA80B01H;\n");

    ListOptions options = Options();
    options.familyNameColumn = "Nachname";
    options.firstNameColumn = "Rufname";
    options.birthDateColumn = "Geb.-Datum";
    EXPECT_EQ(Process("NACHNAME;Rufname;Geb.-Datum\nMüller;Hans;01.02.80\n", options).output,
              "NACHNAME;Rufname;Geb.-Datum;eTIN;Fehler\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\n");
}

TEST(ProcessList, DateSettingsAndYear)
{
    ListOptions options = Options();
    options.dateSettings = {'-', DateOrder::YearMonthDay};
    EXPECT_EQ(Process("Familienname;Vorname;Geburtsdatum\nMeier;Li;1980-02-01\n", options).output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMeier;Li;1980-02-01;MREILIXX80B01Z;\n");

    // 29.02.00 is 2000 (a leap year) around 2026, but 2100 (none) around 2090.
    options = Options();
    options.currentYear = 2090;
    EXPECT_EQ(Process(std::string(kHeader) + "Meier;Li;29.02.00\n", options).summary.failedRows, 1u);
}

TEST(ProcessList, AListCanBeRunAgain)
{
    const std::string once = Process("Nr;Familienname;Vorname;Geburtsdatum\n1;Müller;Hans;01.02.80\n2;;Li;x\n").output;
    EXPECT_EQ(Process(once).output, once);
    // Old results are replaced, not kept.
    EXPECT_EQ(Process("fehler;Familienname;Vorname;Geburtsdatum;ETIN\nalt;Müller;Hans;01.02.80;alt\n").output,
              "fehler;Familienname;Vorname;Geburtsdatum;ETIN\n;Müller;Hans;01.02.80;MLLRHNSA80B01H\n");
}

TEST(ProcessList, Utf8WithByteOrderMarkStaysSo)
{
    const Processed p = Process("\xEF\xBB\xBF" "Familienname;Vorname;Geburtsdatum\nMüller;Hans;01.02.80\n");
    EXPECT_EQ(p.output, "\xEF\xBB\xBF" "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\n");
}

TEST(ProcessList, Windows1252IsRecognisedAndWrittenBack)
{
    // ASCII rows first: read from a pipe, the encoding shows only in the third row.
    for (Source source : {Source::File, Source::Pipe}) {
        const Processed p = Process(std::string(kHeader) + "Meier;Li;01.02.80\nMeier;;01.02.80\nM\xFCller;J\xFCrgen;03.07.61\n",
                                    Options(), source);
        EXPECT_EQ(p.output,
                  "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n"
                  "Meier;Li;01.02.80;MREILIXX80B01Z;\n"
                  "Meier;;01.02.80;;Vorname fehlt\n"
                  "M\xFCller;J\xFCrgen;03.07.61;MLLRJRGN61G03Y;\n");
    }

    ListOptions options = Options();
    options.inputEncoding = Encoding::Windows1252;
    options.outputEncoding = Encoding::Utf8;
    EXPECT_EQ(Process(std::string(kHeader) + "M\xFCller;\x80;01.02.80\n", options).output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMüller;€;01.02.80;MLLR€XXX80B01I;\n");
}

TEST(ProcessList, Utf8ToWindows1252Output)
{
    ListOptions options = Options();
    options.outputEncoding = Encoding::Windows1252;
    const Processed p = Process("Familienname;Vorname;Geburtsdatum;Ort\n"
                                "Łukasiewicz;Zoë;01.02.80;Kraków\n"
                                "Wang;Li;01.02.80;北京\n"
                                "Wang;;01.02.80;北京\n",
                                options);
    EXPECT_EQ(p.output,
              "Familienname;Vorname;Geburtsdatum;Ort;eTIN;Fehler\n"
              "Lukasiewicz;Zo\xEB;01.02.80;Krak\xF3w;LKSWZEOX80B01A;\n"
              // The eTIN is right; the row is marked since its place lost characters.
              "Wang;Li;01.02.80;;WNGALIXX80B01X;Spalte \x84Ort\x93 enth\xE4lt Zeichen, die Windows-1252 nicht "
              "darstellen kann\n"
              "Wang;;01.02.80;;;Vorname fehlt\n");
    EXPECT_EQ(p.summary.failedRows, 2u);
}

TEST(ProcessList, InvalidUtf8InAUtf8ListIsAnErrorOfItsRow)
{
    ListOptions options = Options();
    options.inputEncoding = Encoding::Utf8;
    EXPECT_EQ(Process(std::string(kHeader) + "M\xFCller;Hans;01.02.80\n", options).output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nM\xFCller;Hans;01.02.80;;Name enthält nicht "
              "darstellbare Zeichen\n");
}

// A file is judged as a whole: one byte that is no UTF-8 makes it Windows-1252.
TEST(ProcessList, AFileWithOneNonUtf8ByteIsWindows1252)
{
    ListOptions utf8 = Options(), windows1252 = Options();
    utf8.inputEncoding = Encoding::Utf8;
    windows1252.inputEncoding = Encoding::Windows1252;
    const std::string_view row = "Łẞukas;Hans;01.02.80;\n";  // Ł has two bytes, ẞ three
    // Beyond the first chunk read, and shifted through every offset, so that
    // each place of a character's bytes falls on the chunk's end once.
    for (std::size_t shift = 0; shift < row.size(); ++shift) {
        std::string input = "Familienname;Vorname;Geburtsdatum;Notiz\n;;;" + std::string(shift, 'x') + "\n";
        for (int i = 0; i < 4000; ++i)
            input += row;
        ASSERT_NE(Process(input, utf8).output, Process(input, windows1252).output);
        EXPECT_EQ(Process(input).output, Process(input, utf8).output) << shift;
        input += "M\xFCller;Hans;01.02.80;\n";
        EXPECT_EQ(Process(input).output, Process(input, windows1252).output) << shift;
    }
}

// From a pipe the first row with a byte above 127 decides, and a later row
// that contradicts it stops the run.
TEST(ProcessList, AutoDetectionFromAPipeThatTurnsOutWrongStopsWithTheLine)
{
    const ListError e =
        FailureOf(std::string(kHeader) + "Müller;Hans;01.02.80\n\nM\xFCller;Hans;01.02.80\n", Options(), Source::Pipe);
    EXPECT_EQ(e.line(), 4u);
    EXPECT_NE(std::string(e.what()).find("--encoding windows-1252"), std::string::npos) << e.what();
}

struct BrokenListCase {
    std::string_view comment;
    std::string_view input;
    std::size_t line;
    std::string_view text;  // part of the message
};

constexpr BrokenListCase kBrokenLists[] = {
    {"empty input", "", 0, "Die Eingabe ist leer"},
    {"blank lines only", "\r\n\n", 0, "Die Eingabe ist leer"},
    {"header without the needed columns", "Name;Vorname;Geburtstag\nMeier;Li;01.02.80\n", 1,
     "fehlen die Spalten „Familienname“ und „Geburtsdatum“ (gefunden: „Name“, „Vorname“, „Geburtstag“)"},
    {"wrong delimiter", "Familienname,Vorname,Geburtsdatum\n", 1, "fehlen die Spalten"},
    {"header after blank lines", "\n\nVorname\n", 3, "fehlen die Spalten"},
    {"column twice", "Familienname;Vorname;vorname;Geburtsdatum\n", 1, "„Vorname“ kommt in der Kopfzeile mehrmals vor"},
    {"quote left open at the end", "Familienname;Vorname;Geburtsdatum\nMeier;Li;01.02.80\n\"Meier;Li;01.02.80\nx\n", 3,
     "bis zum Ende der Datei nicht geschlossen"},
    {"quote inside an unquoted cell", "Familienname;Vorname;Geburtsdatum\nMeier;L\"i;01.02.80\n", 2,
     "Anführungszeichen stehen falsch"},
    {"text after a closing quote", "Familienname;Vorname;Geburtsdatum\n\"a\nb\"c;Li;01.02.80\n", 3,
     "Anführungszeichen stehen falsch"},
};

TEST(ProcessList, BrokenListsStopWithTheLine)
{
    for (const BrokenListCase& c : kBrokenLists) {
        const ListError e = FailureOf(c.input);
        EXPECT_EQ(e.line(), c.line) << c.comment;
        EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << c.comment << ": " << e.what();
        if (c.line != 0) {
            EXPECT_TRUE(std::string(e.what()).starts_with("Zeile " + std::to_string(c.line) + ": ")) << e.what();
        }
    }
}

TEST(ProcessList, HeaderOnlyGivesHeaderOnly)
{
    const Processed p = Process("Familienname;Vorname;Geburtsdatum");
    EXPECT_EQ(p.output, "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n");
    EXPECT_EQ(p.summary.rows, 0u);
}

// Lists of random cells, quoted as a spreadsheet quotes them: every row comes
// out once, and running the result again changes nothing.
TEST(ProcessList, RandomListsKeepEveryRow)
{
    const std::string_view alphabet[] = {"a", "Z", " ", ";", "\"", "\n", "\r\n", "ä", "Ł", "王", "-", "0", "1",
                                         ".", "29.02.00", "01.13.80", "'", "\t", "€"};
    std::mt19937 random(7);
    for (int list = 0; list < 200; ++list) {
        std::string input = "Nr;Familienname;Vorname;Geburtsdatum;Notiz\n";
        const int rows = static_cast<int>(random() % 30);
        for (int r = 0; r < rows; ++r) {
            input += std::to_string(r);
            for (int c = 0; c < 4; ++c) {
                std::string cell;
                for (unsigned n = random() % 6; n > 0; --n)
                    cell += alphabet[random() % std::size(alphabet)];
                std::string quoted = "\"";
                for (char ch : cell)
                    quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
                input += ";" + quoted + "\"";
            }
            input += random() % 2 ? "\r\n" : "\n";
        }
        const Processed once = Process(input);
        EXPECT_EQ(once.summary.rows, static_cast<std::size_t>(rows)) << input;
        const Processed twice = Process(once.output);
        EXPECT_EQ(twice.output, once.output) << input;
        EXPECT_EQ(twice.summary.rows, once.summary.rows);
    }
}

// Arbitrary bytes: either a ListError or a list whose rows all come out.
TEST(ProcessList, ArbitraryBytesFailCleanlyOrKeepEveryRow)
{
    std::mt19937 random(11);
    const char bytes[] = {';', '"', '\n', '\r', 'a', 'x', '\xC3', '\xBC', '\xFC', ' ', '1', '.'};
    for (int list = 0; list < 500; ++list) {
        std::string input(kHeader);
        for (unsigned n = random() % 120; n > 0; --n)
            input += bytes[random() % std::size(bytes)];
        for (Source source : {Source::File, Source::Pipe}) {
            try {
                const Processed once = Process(input, Options(), source);
                EXPECT_EQ(Process(once.output).summary.rows, once.summary.rows) << input;
            } catch (const ListError& e) {
                EXPECT_NE(std::string(e.what()), "") << input;
            }
        }
    }
}

}  // namespace
}  // namespace kennfix::batch
