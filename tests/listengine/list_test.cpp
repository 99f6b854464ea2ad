#include "listengine/list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <span>
#include <sstream>
#include <utility>

#include "listengine/internal/rowqueue.h"
#include "listengine/messagetext.h"
#include "listengine/summary.h"
#include "tests/data/referencecases.h"

namespace kennfix::listengine {
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

Processed Process(std::string_view input, const ListOptions& options = Options(), Source source = Source::File,
                  const ListCallbacks& callbacks = {})
{
    std::istringstream file{std::string(input)};
    OnePassBuffer pipeBuffer{std::string(input)};
    std::istream pipe(&pipeBuffer);
    std::ostringstream out;
    const ListSummary summary = ProcessList(source == Source::File ? file : pipe, out, options, callbacks);
    return {out.str(), summary};
}

// The same from a file and through a pipe, as it must be.
Processed ProcessBoth(std::string_view input, const ListOptions& options = Options())
{
    const Processed file = Process(input, options, Source::File);
    const Processed pipe = Process(input, options, Source::Pipe);
    EXPECT_EQ(file.output, pipe.output) << "file and pipe differ for: " << input;
    return file;
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

// Compares line by line, so that a failure shows the row.
void ExpectLines(const std::string& actual, const std::string& expected)
{
    std::istringstream actualLines(actual), expectedLines(expected);
    std::string got, wanted;
    while (std::getline(expectedLines, wanted)) {
        ASSERT_TRUE(std::getline(actualLines, got)) << "missing row: " << wanted;
        EXPECT_EQ(got, wanted);
    }
    EXPECT_FALSE(std::getline(actualLines, got)) << "extra row: " << got;
}

struct RowCase {
    std::string_view family;
    std::string_view first;
    std::string_view date;
    std::string_view etin;
    std::string_view error;
};

// What lists refuse and what they read beyond the window's reference cases
// (ReferenceCasesGiveTheWindowsEtin), one row each, in UTF-8, in 2026.
constexpr RowCase kRowCases[] = {
    {"Lüdtke", "Jürgen", "03.07.1961", "LDTKJRGN61G03F", ""},  // four-digit year as spreadsheets write it
    {"Meier", "Li", "29.02.2000", "MREILIXX00B29E", ""},
    {"", "", "01.02.80", "", "Name fehlt"},
    {"Meier", "", "31.02.80", "", "Vorname fehlt"},
    {"  ", "Eva", "01.02.80", "", "Name fehlt"},  // blanks only: a missing value in a list
    {"\u00A0", "Eva", "01.02.80", "", "Name fehlt"},
    {"Meier", "Li", "29.02.01", "", "Geburtsdatum ungültig: „29.02.01“"},
    {"Meier", "Li", "29.02.1900", "", "Geburtsdatum ungültig: „29.02.1900“"},
    {"Meier", "Li", "", "", "Geburtsdatum fehlt"},  // the window would take 01.01.00
    {"Otto", "Ute", "  .  .  ", "", "Geburtsdatum fehlt"},
    {"王", "Li", "01.02.80", "", "Name enthält nicht darstellbare Zeichen"},
    {"Li", "王", "01.02.80", "", "Vorname enthält nicht darstellbare Zeichen"},
    {"Mu\u0308ller", "Hans", "01.02.80", "", "Name enthält nicht darstellbare Zeichen"},  // a lone combining mark
    {"Meier", "Li", "01.02.8Ω", "", "Geburtsdatum ungültig: „01.02.8Ω“"},
    // Names hold letters, blanks, hyphens and apostrophes (the reference
    // cases two-words, double-name, apostrophe); Unicode blanks and dashes
    // count as blank and hyphen.
    {"Meier\u00A0Schulz", "Hans", "01.02.80", "MRYLHNSA80B01B", ""},  // no-break space
    {"Meier\u2009Schulz", "Hans", "01.02.80", "MRYLHNSA80B01B", ""},  // thin space
    {"Meier\u2013Schulz", "Hans", "01.02.80", "MRYLHNSA80B01B", ""},  // en dash
    {"Meier\u2011Schulz", "Hans", "01.02.80", "MRYLHNSA80B01B", ""},  // non-breaking hyphen
    {"Dr. Meier", "Hans", "01.02.80", "", "Name enthält unzulässige Zeichen: „.“"},
    {"Meier2", "Hans", "01.02.80", "", "Name enthält unzulässige Zeichen: „2“"},
    {"=HYPERLINK(x)", "Hans", "01.02.80", "", "Name enthält unzulässige Zeichen: „=“"},
    {"Meier", "+Hans", "01.02.80", "", "Vorname enthält unzulässige Zeichen: „+“"},
    {"Meier", "hans@example", "01.02.80", "", "Vorname enthält unzulässige Zeichen: „@“"},
    {"O\u00B4Neill", "Hans", "01.02.80", "", "Name enthält unzulässige Zeichen: „\u00B4“"},  // acute accent for '
    {"\u200BMeier", "Hans", "01.02.80", "", "Name enthält unzulässige Zeichen: „\\u200B“"},  // shown escaped
    {"Li", "😀", "01.02.80", "", "Vorname enthält unzulässige Zeichen: „😀“"},
    {"王 2", "Li", "01.02.80", "", "Name enthält unzulässige Zeichen: „2“"},  // unzulässig before nicht darstellbar
    {"", "Li2", "01.02.80", "", "Name fehlt"},  // a missing name first
    // A name needs a letter: "-" is typed for "unknown" (the window takes it).
    {"-", "X", "10.10.10", "", "Familienname enthält keinen Buchstaben"},
    {"–", "Li", "01.02.80", "", "Familienname enthält keinen Buchstaben"},
    {"Meier", "--", "01.02.80", "", "Vorname enthält keinen Buchstaben"},
    {"Meier", " ' ", "01.02.80", "", "Vorname enthält keinen Buchstaben"},
    {"-", "Li2", "01.02.80", "", "Familienname enthält keinen Buchstaben"},  // as a missing name, first
    // Years: two or four digits, and not after this one.
    {"Meier", "Li", "01.02.198", "", "Geburtsdatum ungültig: „01.02.198“"},
    {"Meier", "Li", "01.02.8", "", "Geburtsdatum ungültig: „01.02.8“"},
    {"Meier", "Li", "01.02", "", "Geburtsdatum ungültig: „01.02“"},  // the window would take this year
    {"Meier", "Li", "01.02.2026", "MREILIXX26B01R", ""},
    {"Meier", "Li", "01.02.2027", "", "Geburtsdatum liegt in der Zukunft"},
    {"Meier", "Li", "01.02.2031", "", "Geburtsdatum liegt in der Zukunft"},
    // Blanks around a date do not count, a no-break space and a tab neither.
    {"Meier", "Li", " 01.02.80 ", "MREILIXX80B01Z", ""},
    {"Meier", "Li", "\t01.02.1980 ", "MREILIXX80B01Z", ""},
    {"Meier", "Li", " ", "", "Geburtsdatum fehlt"},
    {"Meier", "Li", "01. 02.80", "", "Geburtsdatum ungültig: „01. 02.80“"},  // only around it
    {"Meier", "Li", "01.02.\x1B[31m80", "", "Geburtsdatum ungültig: „01.02.\\u001B[31m80“"},
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
    const Processed p = ProcessBoth(input);
    EXPECT_EQ(p.summary.rows, std::size(kRowCases));
    EXPECT_EQ(p.summary.failedRows, failed);
    ExpectLines(p.output, expected);
}

// Every reference case as a row of a list: the window's eTIN, or the
// message a list gives for a row the window takes.
TEST(ProcessList, ReferenceCasesGiveTheWindowsEtin)
{
    ASSERT_EQ(Options().currentYear, test::kReferenceYear);
    std::string input(kHeader);
    std::string expected = "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n";
    for (const test::ReferenceCase& c : test::ReferenceCases()) {
        const std::string cells = c.familyName + ";" + c.firstName + ";" + c.date;
        input += cells + "\n";
        expected += cells + ";" + (c.listMessage.empty() ? c.etin : "") + ";" + c.listMessage + "\n";
    }
    ExpectLines(ProcessBoth(input).output, expected);
}

struct StoredEtinCase {
    std::string_view comment;
    std::string_view stored;  // the cell in the column eTIN
    std::string_view etin;    // what the column holds afterwards
    std::string_view check;   // the column Prüfung
};

// Müller, Hans, 01.02.80 gives MLLRHNSA80B01H.
constexpr StoredEtinCase kStoredEtinCases[] = {
    {"the same", "MLLRHNSA80B01H", "MLLRHNSA80B01H", "stimmt"},
    {"empty: filled in", "", "MLLRHNSA80B01H", "ergänzt"},
    {"blanks only count as empty", "  ", "MLLRHNSA80B01H", "ergänzt"},
    {"blanks around it do not count", " MLLRHNSA80B01H\u00A0", " MLLRHNSA80B01H\u00A0", "stimmt"},
    {"another person's eTIN", "MLLRNNAA99L31R", "MLLRNNAA99L31R",
     "weicht ab (Vorname, Geburtsdatum), berechnet: MLLRHNSA80B01H"},
    {"another person's, its check character wrong too", "MREILIXX80B01A", "MREILIXX80B01A",
     "weicht ab (Familienname, Vorname), berechnet: MLLRHNSA80B01H"},
    {"a typing error in the check character", "MLLRHNSA80B01A", "MLLRHNSA80B01A",
     "Prüfzeichen falsch, berechnet: MLLRHNSA80B01H"},
    {"another birth year, whose check character fits it", "MLLRHNSA81B01H", "MLLRHNSA81B01H",
     "weicht ab (Geburtsdatum), berechnet: MLLRHNSA80B01H"},
    {"small letters are not the same eTIN", "mllrhnsa80b01h", "mllrhnsa80b01h",
     "weicht ab (Familienname, Vorname, Geburtsdatum), berechnet: MLLRHNSA80B01H"},
    {"a character short", "MLLRHNSA80B01", "MLLRHNSA80B01", "weicht ab (13 statt 14 Zeichen), berechnet: MLLRHNSA80B01H"},
    {"no eTIN at all", "alt", "alt", "weicht ab (3 statt 14 Zeichen), berechnet: MLLRHNSA80B01H"},
    {"a base letter is not the letter", "MŁLRHNSA80B01H", "MŁLRHNSA80B01H",
     "weicht ab (Familienname), berechnet: MLLRHNSA80B01H"},
};

TEST(ProcessList, StoredEtinsAreCheckedNeverChanged)
{
    std::string input = "Nr;Familienname;Vorname;Geburtsdatum;eTIN;Ort\n";
    std::string expected = "Nr;Familienname;Vorname;Geburtsdatum;eTIN;Prüfung;Ort;Fehler\n";
    std::size_t deviating = 0;
    for (const StoredEtinCase& c : kStoredEtinCases) {
        input += "1;Müller;Hans;01.02.80;" + std::string(c.stored) + ";Köln\n";
        expected += "1;Müller;Hans;01.02.80;" + std::string(c.etin) + ";" + std::string(c.check) + ";Köln;\n";
        deviating += c.check.starts_with("weicht") || c.check.starts_with("Prüf");
    }
    // A row without an eTIN of its own keeps its stored one and says nothing in Prüfung.
    input += "2;Meier;;01.02.80;MLLRHNSA80B01H;Bonn\n";
    expected += "2;Meier;;01.02.80;MLLRHNSA80B01H;;Bonn;Vorname fehlt\n";
    const Processed p = ProcessBoth(input);
    ExpectLines(p.output, expected);
    EXPECT_EQ(p.summary.deviatingRows, deviating);
    EXPECT_EQ(p.summary.filledRows, 2u);
    EXPECT_EQ(p.summary.failedRows, 1u);
    EXPECT_TRUE(p.summary.needsAttention());

    // A list whose eTINs all match needs nobody's attention.
    const Processed good = ProcessBoth("Familienname;Vorname;Geburtsdatum;eTIN\nMüller;Hans;01.02.80;MLLRHNSA80B01H\n");
    EXPECT_FALSE(good.summary.needsAttention());
}

// A list, the options in which it differs from Options(), and the output it
// gives, from a file and through a pipe.
struct OutputCase {
    std::string_view comment;
    std::string_view input;
    std::string_view output;
    std::optional<char> delimiter = std::nullopt;
    // Empty: the default name.
    std::string_view familyNameColumn = {};
    std::string_view firstNameColumn = {};
    std::string_view birthDateColumn = {};
};

void ExpectOutputs(std::span<const OutputCase> cases)
{
    for (const OutputCase& c : cases) {
        ListOptions options = Options();
        options.delimiter = c.delimiter;
        for (auto [name, column] : {std::pair{c.familyNameColumn, &options.familyNameColumn},
                                    std::pair{c.firstNameColumn, &options.firstNameColumn},
                                    std::pair{c.birthDateColumn, &options.birthDateColumn}}) {
            if (!name.empty())
                *column = name;
        }
        EXPECT_EQ(ProcessBoth(c.input, options).output, c.output) << c.comment << ": " << c.input;
    }
}

// A list run once, again and a third time: the Fehler and Prüfung of the
// runs before are cells it keeps, ours come beside them under names of their
// own, and the eTINs it holds now are found right.
constexpr std::string_view kRunOnce = "Nr;Familienname;Vorname;Geburtsdatum\n1;Müller;Hans;01.02.80\n2;;Li;x\n";
constexpr std::string_view kRunTwice = "Nr;Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n"
                                       "1;Müller;Hans;01.02.80;MLLRHNSA80B01H;\n"
                                       "2;;Li;x;;Name fehlt\n";
constexpr std::string_view kRunThrice = "Nr;Familienname;Vorname;Geburtsdatum;eTIN;Prüfung;Fehler;Fehler 2\n"
                                        "1;Müller;Hans;01.02.80;MLLRHNSA80B01H;stimmt;;\n"
                                        "2;;Li;x;;;Name fehlt;Name fehlt\n";

constexpr OutputCase kRunAgainCases[] = {
    {"the first run", kRunOnce, kRunTwice},
    {"the second: ours are Prüfung and Fehler 2", kRunTwice, kRunThrice},
    {"the third: Prüfung 2 goes beside the eTIN, Fehler 3 last", kRunThrice,
     "Nr;Familienname;Vorname;Geburtsdatum;eTIN;Prüfung 2;Prüfung;Fehler;Fehler 2;Fehler 3\n"
     "1;Müller;Hans;01.02.80;MLLRHNSA80B01H;stimmt;stimmt;;;\n"
     "2;;Li;x;;;;Name fehlt;Name fehlt;Name fehlt\n"},
    // As an HR list has them too: found ignoring case and blanks.
    {"fehler, ETIN and prüfung of the list's own; its empty eTIN cell takes the computed one",
     "fehler;Familienname;Vorname;Geburtsdatum;ETIN; prüfung\nalt;Müller;Hans;01.02.80;;bestanden\n",
     "fehler;Familienname;Vorname;Geburtsdatum;ETIN;Prüfung 2; prüfung;Fehler 2\n"
     "alt;Müller;Hans;01.02.80;MLLRHNSA80B01H;ergänzt;bestanden;\n"},
    {"FEHLER 2 taken too: ours is Fehler 3",
     "Familienname;Vorname;Geburtsdatum;Prüfung;FEHLER 2;Fehler\nMüller;Hans;01.02.80;bestanden;;alt\n",
     "Familienname;Vorname;Geburtsdatum;Prüfung;FEHLER 2;Fehler;eTIN;Fehler 3\n"
     "Müller;Hans;01.02.80;bestanden;;alt;MLLRHNSA80B01H;\n"},
};

TEST(ProcessList, AListCanBeRunAgain)
{
    ExpectOutputs(kRunAgainCases);
}

TEST(ProcessList, QuotedCellsPassThroughUnchanged)
{
    const Processed p = ProcessBoth(
        "Nr;Familienname;Vorname;Geburtsdatum;Notiz\r\n"
        "1;\"Müller\";Hans;01.02.80;\"Straße 1; 2. Stock\"\r\n"
        "2;Meier;Li;01.02.80;\"sagt \"\"Hallo\"\"\"\r\n"
        "3;Meier;Li;01.02.80;\"zwei\r\nZeilen\"\r\n"
        "4;Meier;Li;01.02.80; Blanks bleiben \r\n"
        "5;Meier;Li;01.02.80;Monitor 24\"\r\n"  // a quote inside an unquoted cell is a character
        "6;Meier;Li;01.02.80;Hans \"Hansi\" M.\r\n");
    EXPECT_EQ(p.output,
              "Nr;Familienname;Vorname;Geburtsdatum;Notiz;eTIN;Fehler\r\n"
              "1;Müller;Hans;01.02.80;\"Straße 1; 2. Stock\";MLLRHNSA80B01H;\r\n"
              "2;Meier;Li;01.02.80;\"sagt \"\"Hallo\"\"\";MREILIXX80B01Z;\r\n"
              "3;Meier;Li;01.02.80;\"zwei\r\nZeilen\";MREILIXX80B01Z;\r\n"
              "4;Meier;Li;01.02.80; Blanks bleiben ;MREILIXX80B01Z;\r\n"
              "5;Meier;Li;01.02.80;\"Monitor 24\"\"\";MREILIXX80B01Z;\r\n"
              "6;Meier;Li;01.02.80;\"Hans \"\"Hansi\"\" M.\";MREILIXX80B01Z;\r\n");
    EXPECT_EQ(p.summary.rows, 6u);
}

constexpr OutputCase kDelimiterCases[] = {
    {"commas, found from the header", "Familienname,Vorname,Geburtsdatum,Ort\nMüller,Hans,01.02.80,\"Bonn, Rhein\"\n",
     "Familienname,Vorname,Geburtsdatum,Ort,eTIN,Fehler\nMüller,Hans,01.02.80,\"Bonn, Rhein\",MLLRHNSA80B01H,\n"},
    {"commas, as given", "Familienname,Vorname,Geburtsdatum,Ort\nMüller,Hans,01.02.80,\"Bonn, Rhein\"\n",
     "Familienname,Vorname,Geburtsdatum,Ort,eTIN,Fehler\nMüller,Hans,01.02.80,\"Bonn, Rhein\",MLLRHNSA80B01H,\n", ','},
    {"tabs, without a line end at the end", "Familienname\tVorname\tGeburtsdatum\nMüller\tHans\t01.02.80",
     "Familienname\tVorname\tGeburtsdatum\teTIN\tFehler\nMüller\tHans\t01.02.80\tMLLRHNSA80B01H\t\n"},
    {"the columns decide before the count: more commas than semicolons",
     "Familienname;Vorname;Geburtsdatum;a, b, c, d, e\nMeier;Li;01.02.80;x\n",
     "Familienname;Vorname;Geburtsdatum;a, b, c, d, e;eTIN;Fehler\nMeier;Li;01.02.80;x;MREILIXX80B01Z;\n"},
    {"after blank lines, which come back too",
     "\r\n\r\nFamilienname\tVorname\tGeburtsdatum\r\nMeier\tLi\t01.02.80\r\n",
     "\r\n\r\nFamilienname\tVorname\tGeburtsdatum\teTIN\tFehler\r\nMeier\tLi\t01.02.80\tMREILIXX80B01Z\t\r\n"},
};

TEST(ProcessList, DelimiterFromTheHeaderOrAsGiven)
{
    ExpectOutputs(kDelimiterCases);
}

// Every input row gives one output row, blank ones too, and every cell comes
// back, empty ones at the end too.
TEST(ProcessList, NothingIsLost)
{
    const Processed p = ProcessBoth(std::string(kHeader) +
                                    "Meier;Li\n"
                                    "\n"
                                    "Meier;Li;01.02.80;;\n"  // empty cells beyond the header come back
                                    ";;\n"                   // a row of empty cells: nobody
                                    "Meier;Li;01.02.80;Hamburg\n"
                                    "\n\n");
    EXPECT_EQ(p.output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n"
              "Meier;Li;;;Geburtsdatum fehlt\n"
              "\n"
              "Meier;Li;01.02.80;MREILIXX80B01Z;;;\n"
              ";;;;\n"
              "Meier;Li;01.02.80;;Zeile hat mehr Spalten als die Kopfzeile;Hamburg\n"
              "\n\n");
    EXPECT_EQ(p.summary.rows, 3u);
    EXPECT_EQ(p.summary.blankRows, 4u);
    EXPECT_EQ(p.summary.failedRows, 2u);
    // A row of one empty cell stays one: as an empty line it would have none.
    EXPECT_EQ(ProcessBoth("\"\"\r\n" + std::string(kHeader)).output,
              "\"\"\r\nFamilienname;Vorname;Geburtsdatum;eTIN;Fehler\r\n");
}

// Rows wait for the output's encoding in little memory, whatever the list:
// blank lines count towards the hold-back like any row, and empty lines
// before the header are only counted (bench/list_vs_cp.py measures it).
TEST(ProcessList, BlankLinesCountTowardsTheHoldBack)
{
    // They fill it before the first umlaut comes: the list is taken as
    // UTF-8, and the Windows-1252 row is converted.
    const Processed p = ProcessBoth(std::string(kHeader) + std::string(200'000, '\n') + "M\xFCller;Hans;01.02.80\n");
    EXPECT_EQ(p.summary.outputEncoding, Encoding::Utf8);
    EXPECT_EQ(p.summary.blankRows, 200'000u);
    EXPECT_TRUE(p.output.ends_with("\n\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\n"));
    EXPECT_EQ(p.summary.otherEncodingRows.rows(), 1u);

    // Far more empty lines before the header than the look for it takes in:
    // the header still chooses the delimiter, and lines keep their numbers.
    const std::string before(100'000, '\n');
    EXPECT_EQ(ProcessBoth(before + "Familienname,Vorname,Geburtsdatum\nMeier,Li,01.02.80\n").output,
              before + "Familienname,Vorname,Geburtsdatum,eTIN,Fehler\nMeier,Li,01.02.80,MREILIXX80B01Z,\n");
    EXPECT_EQ(FailureOf(before + "Name,Vorname\n").line(), 100'001u);
    // CR LF, cut between CR and LF where a chunk read ends (after the mark).
    std::string crlf;
    for (int i = 0; i < 100'000; ++i)
        crlf += "\r\n";
    EXPECT_EQ(ProcessBoth("\xEF\xBB\xBF" + crlf + "Familienname,Vorname,Geburtsdatum\r\nMeier,Li,01.02.80\r\n").output,
              "\xEF\xBB\xBF" + crlf + "Familienname,Vorname,Geburtsdatum,eTIN,Fehler\r\nMeier,Li,01.02.80,MREILIXX80B01Z,\r\n");
}

// A list that is plain ASCII for longer than rows are held back is taken as
// UTF-8; a Windows-1252 row after that is converted, and the summary names it.
TEST(ProcessList, AWindows1252RowAfterTheHoldBackIsConverted)
{
    constexpr std::string_view kAsciiRow = "Meier;Li;01.02.80\n";
    // The rows' bytes alone outgrow the hold-back.
    const std::size_t asciiRows = internal::kDecisionWindow / kAsciiRow.size() + 1;
    std::string input(kHeader);
    for (std::size_t i = 0; i < asciiRows; ++i)
        input += kAsciiRow;
    input += "M\xFCller;Hans;01.02.80\n";

    const Processed p = ProcessBoth(input);
    EXPECT_EQ(p.summary.mainEncoding, Encoding::Utf8);
    EXPECT_EQ(p.summary.outputEncoding, Encoding::Utf8);
    EXPECT_TRUE(p.output.ends_with("\nMeier;Li;01.02.80;MREILIXX80B01Z;\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\n"));
    const std::size_t line = asciiRows + 2;  // after the header and the ASCII rows
    ASSERT_EQ(p.summary.otherEncodingRows.rows(), 1u);
    EXPECT_EQ(p.summary.otherEncodingRows.ranges()[0].first, line);
    const std::vector<std::string> messages = SummaryMessages(p.summary);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "1 Zeile ist in Windows-1252 geschrieben, die übrigen in UTF-8 (Zeile " + GroupedNumber(line) +
                               "). Jede Zeile wurde in ihrer Kodierung gelesen und in UTF-8 ausgegeben.");
}

TEST(ProcessList, BadRowsKeepCountAndOrder)
{
    std::string input = "Nr;Familienname;Vorname;Geburtsdatum\n";
    for (int i = 1; i <= 20; ++i) {
        const bool bad = i % 3 == 0;
        input += std::to_string(i) + (bad ? ";Meier;Li;31.02.80\n" : ";Meier;Li;01.02.80\n");
    }
    const Processed p = Process(input);
    EXPECT_EQ(p.summary.rows, 20u);
    EXPECT_EQ(p.summary.failedRows, 6u);
    std::istringstream lines(p.output);
    std::string line;
    std::getline(lines, line);
    for (int i = 1; i <= 20; ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_TRUE(line.starts_with(std::to_string(i) + ";Meier")) << line;
        EXPECT_EQ(line.ends_with("Geburtsdatum ungültig: „31.02.80“"), i % 3 == 0) << line;
    }
    EXPECT_FALSE(std::getline(lines, line));
}

constexpr OutputCase kColumnNameCases[] = {
    {"in any order and case, blanks around them aside", "geburtsdatum; VORNAME ;FamilienName\n01.02.80;Hans;Müller\n",
     "geburtsdatum; VORNAME ;FamilienName;eTIN;Fehler\n01.02.80;Hans;Müller;MLLRHNSA80B01H;\n"},
    {"under the names the options give", "NACHNAME;Rufname;Geb.-Datum\nMüller;Hans;01.02.80\n",
     "NACHNAME;Rufname;Geb.-Datum;eTIN;Fehler\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\n", std::nullopt, "Nachname",
     "Rufname", "Geb.-Datum"},
};

TEST(ProcessList, ColumnsAreFoundByNameIgnoringCase)
{
    ExpectOutputs(kColumnNameCases);
}

// One column for two jobs is refused before anything is read.
TEST(ProcessList, AColumnHasOneJob)
{
    const auto problem = [](auto set) {
        ListOptions options = Options();
        set(options);
        try {
            CheckColumnOptions(options);
        } catch (const ListError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(problem([](ListOptions& o) { o.firstNameColumn = "familienname"; }).find("zugleich"), std::string::npos);
    EXPECT_NE(problem([](ListOptions& o) { o.birthDateColumn = " Vorname"; }).find("zugleich"), std::string::npos);
    EXPECT_NE(problem([](ListOptions& o) { o.familyNameColumn = " ETIN"; }).find("gespeicherte eTINs"),
              std::string::npos);
    EXPECT_EQ(problem([](ListOptions&) {}), "");
    // Columns of the list called Fehler or Prüfung are ordinary ones.
    ListOptions fehler = Options();
    fehler.familyNameColumn = "Fehler";
    fehler.firstNameColumn = "PRÜFUNG";
    EXPECT_EQ(Process("Fehler;Prüfung;Geburtsdatum\nMüller;Hans;01.02.80\n", fehler).output,
              "Fehler;Prüfung;Geburtsdatum;eTIN;Fehler 2\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\n");
    ListOptions twice = Options();
    twice.firstNameColumn = "Familienname";
    EXPECT_THROW(Process(kHeader, twice), ListError);
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
    // The future begins after the year given.
    options.currentYear = 2030;
    EXPECT_EQ(Process(std::string(kHeader) + "Meier;Li;01.02.2030\n", options).summary.failedRows, 0u);
}

TEST(ProcessList, Utf8WithByteOrderMarkStaysSo)
{
    const Processed p = ProcessBoth("\xEF\xBB\xBF" "Familienname;Vorname;Geburtsdatum\nMüller;Hans;01.02.80\n");
    EXPECT_EQ(p.output, "\xEF\xBB\xBF" "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\n");
}

TEST(ProcessList, Windows1252IsRecognisedAndWrittenBack)
{
    // ASCII rows first: the encoding shows only in the third row, and the
    // texts of the first rows follow it.
    const Processed p = ProcessBoth(std::string(kHeader) + "Meier;Li2;01.02.80\nMeier;;01.02.80\nM\xFCller;J\xFCrgen;03.07.61\n");
    EXPECT_EQ(p.output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n"
              "Meier;Li2;01.02.80;;Vorname enth\xE4lt unzul\xE4ssige Zeichen: \x84" "2\x93\n"
              "Meier;;01.02.80;;Vorname fehlt\n"
              "M\xFCller;J\xFCrgen;03.07.61;MLLRJRGN61G03Y;\n");
    EXPECT_EQ(p.summary.mainEncoding, Encoding::Windows1252);

    ListOptions options = Options();
    options.inputEncoding = Encoding::Windows1252;
    options.outputEncoding = Encoding::Utf8;
    EXPECT_EQ(Process(std::string(kHeader) + "M\xFCller;\x8A" "arka;01.02.80\n", options).output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMüller;Šarka;01.02.80;MLLRŠRKA80B01K;\n");
}

// A cell is never written empty: what Windows-1252 cannot hold becomes its
// base letter or "?", and Fehler names the column.
TEST(ProcessList, Utf8ToWindows1252Output)
{
    ListOptions options = Options();
    options.outputEncoding = Encoding::Windows1252;
    const Processed p = ProcessBoth("Familienname;Vorname;Geburtsdatum;Ort\n"
                                    "Nowak;Zoë;01.02.80;Kraków\n"
                                    "Łukasiewicz;Ewa;01.02.80;Łódź\n"
                                    "Wang;Li;01.02.80;北京\n"
                                    "Wang;;01.02.80;北京\n",
                                    options);
    EXPECT_EQ(p.output,
              "Familienname;Vorname;Geburtsdatum;Ort;eTIN;Fehler\n"
              "Nowak;Zo\xEB;01.02.80;Krak\xF3w;NWKAZEOX80B01W;\n"
              "Lukasiewicz;Ewa;01.02.80;L\xF3" "dz;LKSWWAEX80B01R;Spalten \x84" "Familienname\x93 und \x84Ort\x93 "
              "enthalten Zeichen, die Windows-1252 nicht darstellen kann\n"
              // The eTIN is right; the row is marked since its place lost characters.
              "Wang;Li;01.02.80;??;WNGALIXX80B01X;Spalte \x84Ort\x93 enth\xE4lt Zeichen, die Windows-1252 nicht "
              "darstellen kann\n"
              "Wang;;01.02.80;??;;\"Vorname fehlt; Spalte \x84Ort\x93 enth\xE4lt Zeichen, die Windows-1252 nicht "
              "darstellen kann\"\n");
    EXPECT_EQ(p.summary.failedRows, 1u);
    EXPECT_EQ(p.summary.lossyRows, 3u);
    // Our own texts hold input characters escaped where the code page lacks them.
    EXPECT_EQ(Process("Familienname;Vorname;Geburtsdatum\nMeier;Li;01.02.8Ω\n", options).output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMeier;Li;01.02.8?;;\"Geburtsdatum ung\xFCltig: \x84"
              "01.02.8\\u03A9\x93; Spalte \x84Geburtsdatum\x93 enth\xE4lt Zeichen, die Windows-1252 nicht darstellen "
              "kann\"\n");
}

TEST(ProcessList, InvalidUtf8InAUtf8ListIsAnErrorOfItsRow)
{
    ListOptions options = Options();
    options.inputEncoding = Encoding::Utf8;
    EXPECT_EQ(Process(std::string(kHeader) + "M\xFCller;Hans;01.02.80\n", options).output,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nM\xFCller;Hans;01.02.80;;Name enthält nicht "
              "darstellbare Zeichen\n");
}

// A UTF-8 list with rows pasted in from a Windows-1252 list: every row gets
// the eTIN it gets alone, from a file and through a pipe, and the output is
// all UTF-8.
TEST(ProcessList, EachRowIsReadInItsOwnEncoding)
{
    const std::string_view utf8Row = "Schön-Schulze;José María;28.02.52\n";
    const std::string_view windows1252Row = "Sch\xF6n-Schulze;Jos\xE9 Mar\xED" "a;28.02.52\n";
    const std::string expectedRow = "Schön-Schulze;José María;28.02.52;;YNYLJSMR52B28A;\n";
    // Rows shifted through every offset of the chunks read.
    for (std::size_t shift = 0; shift < 8; ++shift) {
        const std::string note(shift, 'x');
        std::string input = "Familienname;Vorname;Geburtsdatum;Notiz\nMeier;Li;01.02.80;" + note + "\n";
        std::string expected =
            "Familienname;Vorname;Geburtsdatum;Notiz;eTIN;Fehler\nMeier;Li;01.02.80;" + note + ";MREILIXX80B01Z;\n";
        for (int i = 0; i < 3000; ++i) {
            const bool other = i == 1 || i == 2 || i == 2000;
            input += other ? std::string(windows1252Row) : std::string(utf8Row);
            expected += expectedRow;
        }
        const Processed p = ProcessBoth(input);
        ASSERT_EQ(p.output, expected) << shift;
        EXPECT_EQ(p.summary.mainEncoding, Encoding::Utf8);
        EXPECT_EQ(p.summary.failedRows, 0u);
        ASSERT_EQ(p.summary.otherEncodingRows.rows(), 3u);
        ASSERT_EQ(p.summary.otherEncodingRows.ranges().size(), 2u);
        EXPECT_EQ(p.summary.otherEncodingRows.ranges()[0].first, 4u);
        EXPECT_EQ(p.summary.otherEncodingRows.ranges()[0].last, 5u);
        EXPECT_EQ(p.summary.otherEncodingRows.ranges()[1].first, 2003u);
    }
    // The first row with a byte above 127 decides; a UTF-8 row after it in a
    // Windows-1252 list is converted.
    const Processed p = ProcessBoth(std::string(kHeader) + std::string(windows1252Row) + std::string(utf8Row));
    EXPECT_EQ(p.output, "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n"
                        "Sch\xF6n-Schulze;Jos\xE9 Mar\xED" "a;28.02.52;YNYLJSMR52B28A;\n"
                        "Sch\xF6n-Schulze;Jos\xE9 Mar\xED" "a;28.02.52;YNYLJSMR52B28A;\n");
}

// The warning names the lines compactly, however many there are.
TEST(ProcessList, ManyRowsInTheOtherEncodingAreNamedCompactly)
{
    std::string input = std::string(kHeader) + "Müller;Hans;01.02.80\n";
    for (int i = 0; i < 30000; ++i)
        input += i % 2 ? "M\xFCller;Hans;01.02.80\n" : "Müller;Hans;01.02.80\n";
    const Processed p = ProcessBoth(input);
    const std::vector<std::string> messages = SummaryMessages(p.summary);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "15.000 Zeilen sind in Windows-1252 geschrieben, die übrigen in UTF-8 (Zeilen 4, 6, 8, 10, "
                           "12, 14, 16, 18, 20, 22 und weitere). Jede Zeile wurde in ihrer Kodierung gelesen und in "
                           "UTF-8 ausgegeben.");
}

std::string Utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// "Unicode text" as spreadsheets save it: UTF-16 with a byte order mark,
// tab-separated; it comes back so, or as asked for.
TEST(ProcessList, Utf16WithByteOrderMark)
{
    for (bool bigEndian : {false, true}) {
        const std::string input =
            Utf16(u"Familienname\tVorname\tGeburtsdatum\r\nMüller\tHans\t01.02.80\r\nWang\t😀\t01.02.80\r\n", bigEndian);
        const Processed p = ProcessBoth(input);
        EXPECT_EQ(p.output, Utf16(u"Familienname\tVorname\tGeburtsdatum\teTIN\tFehler\r\n"
                                  u"Müller\tHans\t01.02.80\tMLLRHNSA80B01H\t\r\n"
                                  u"Wang\t😀\t01.02.80\t\tVorname enthält unzulässige Zeichen: „😀“\r\n",
                                  bigEndian));
        EXPECT_EQ(p.summary.mainEncoding, bigEndian ? Encoding::Utf16BE : Encoding::Utf16LE);

        ListOptions options = Options();
        options.outputEncoding = Encoding::Utf8;
        EXPECT_EQ(Process(input, options).output,
                  "\xEF\xBB\xBF" "Familienname\tVorname\tGeburtsdatum\teTIN\tFehler\r\n"
                  "Müller\tHans\t01.02.80\tMLLRHNSA80B01H\t\r\n"
                  "Wang\t😀\t01.02.80\t\tVorname enthält unzulässige Zeichen: „😀“\r\n");
    }
    // A lone surrogate or a byte left over is no UTF-16.
    EXPECT_EQ(FailureOf(Utf16(u"Familienname\tVorname\tGeburtsdatum\n\xD800x\t\t\n", false)).line(), 2u);
    EXPECT_NE(std::string(FailureOf(Utf16(u"Familienname\tVorname\tGeburtsdatum\n", false) + "x").what())
                  .find("UTF-16"),
              std::string::npos);
}

// What a window needs: the layout, every row as written, progress and a way to stop.
TEST(ProcessList, CallbacksSeeEveryRowAsWritten)
{
    std::vector<std::string> rows;
    ListLayout layout;
    std::vector<StoredEtinCheck> checks;
    ListCallbacks callbacks;
    callbacks.onHeader = [&](const ListLayout& l) { layout = l; };
    callbacks.onRow = [&](const RowResult& r) {
        std::string row = std::to_string(r.line) + (r.blank ? " blank" : "") + ":";
        for (std::string_view cell : r.cells)
            row += std::string(cell) + "|";
        rows.push_back(row + " etin=" + std::string(r.etin) + " error=" + std::string(r.error));
        checks.push_back(r.check);
    };
    const std::string input = "Nr;Familienname;Vorname;Geburtsdatum;eTIN\n1;Müller;Hans;01.02.80;\n\n"
                              "2;Meier;;01.02.80;MREILIXX80B01Z\n";
    const Processed p = Process(input, Options(), Source::Pipe, callbacks);
    EXPECT_EQ(layout.columnNames,
              (std::vector<std::string>{"Nr", "Familienname", "Vorname", "Geburtsdatum", "eTIN", "Prüfung", "Fehler"}));
    EXPECT_EQ(layout.etinColumn, 4u);
    EXPECT_EQ(layout.checkColumn, 5u);
    EXPECT_EQ(layout.errorColumn, 6u);
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "2:1|Müller|Hans|01.02.80|MLLRHNSA80B01H|ergänzt|| etin=MLLRHNSA80B01H error=",
                        "3 blank: etin= error=",
                        "4:2|Meier||01.02.80|MREILIXX80B01Z||Vorname fehlt| etin=MREILIXX80B01Z error=Vorname fehlt",
                    }));
    EXPECT_EQ(checks, (std::vector<StoredEtinCheck>{StoredEtinCheck::Filled, StoredEtinCheck::None,
                                                    StoredEtinCheck::None}));

    // Rows written as they were read, and a blank line after one.
    rows.clear();
    Process("Familienname;Vorname;Geburtsdatum\nMüller;Hans;01.02.80\n\nMeier;\"Li\";01.02.80\n", Options(),
            Source::File, callbacks);
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "2:Müller|Hans|01.02.80|MLLRHNSA80B01H|| etin=MLLRHNSA80B01H error=",
                        "3 blank: etin= error=",
                        "4:Meier|Li|01.02.80|MREILIXX80B01Z|| etin=MREILIXX80B01Z error=",
                    }));

    // Progress comes between chunks of the input with the rows written so
    // far, and false stops the run.
    std::string big(kHeader);
    big += "Müller;Hans;01.02.80\n";  // the output's encoding is known at once: rows are written as they come
    for (int i = 0; i < 20000; ++i)
        big += "Meier;Li;01.02.80\n";
    std::vector<ListProgress> progress;
    ListCallbacks stop;
    stop.onProgress = [&](const ListProgress& p) {
        progress.push_back(p);
        return progress.size() < 2;
    };
    EXPECT_THROW(Process(big, Options(), Source::File, stop), ListCancelled);
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[0].bytesRead, 65536u);
    EXPECT_EQ(progress[0].totalBytes, 0u);  // not known to ProcessList
    EXPECT_GT(progress[0].rows, 3000u);
    EXPECT_GT(progress[1].rows, progress[0].rows);
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
    {"header after blank lines", "\n\nVorname\n", 3, "fehlen die Spalten"},
    {"column twice", "Familienname;Vorname;vorname;Geburtsdatum\n", 1, "„Vorname“ kommt in der Kopfzeile mehrmals vor"},
    {"eTIN twice", "Familienname;Vorname;Geburtsdatum;eTIN;ETIN\n", 1, "„eTIN“ kommt in der Kopfzeile mehrmals vor"},
    {"control characters in a column name", "Name\x1B[2J;Vorname;Geburtsdatum\n", 1, "„Name\\u001B[2J“"},
    {"quote left open at the end", "Familienname;Vorname;Geburtsdatum\nMeier;Li;01.02.80\n\"Meier;Li;01.02.80\nx\n", 3,
     "bis zum Ende der Datei nicht geschlossen"},
    {"text after a closing quote", "Familienname;Vorname;Geburtsdatum\n\"a\nb\"c;Li;01.02.80\n", 3,
     "Anführungszeichen stehen falsch"},
};

TEST(ProcessList, BrokenListsStopWithTheLine)
{
    for (const BrokenListCase& c : kBrokenLists) {
        for (Source source : {Source::File, Source::Pipe}) {
            const ListError e = FailureOf(c.input, Options(), source);
            EXPECT_EQ(e.line(), c.line) << c.comment;
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << c.comment << ": " << e.what();
            if (c.line != 0) {
                EXPECT_TRUE(std::string(e.what()).starts_with("Zeile " + std::to_string(c.line) + ": ")) << e.what();
            }
        }
    }
    // With the delimiter given, a list in another one misses its columns.
    ListOptions semicolon = Options();
    semicolon.delimiter = ';';
    EXPECT_NE(std::string(FailureOf("Familienname,Vorname,Geburtsdatum\n", semicolon).what()).find("fehlen die Spalten"),
              std::string::npos);
}

// A front end that lets the user choose the columns learns what the header
// offers: its names as read, and under the other delimiters when the
// delimiter was a guess; the message stays that of kennfix-batch.
TEST(ProcessList, MissingColumnsTellWhatTheHeaderOffers)
{
    const auto failure = [](std::string_view input, const ListOptions& options) {
        try {
            Process(input, options);
        } catch (const MissingColumnsError& e) {
            return e;
        }
        ADD_FAILURE() << "no MissingColumnsError for " << input;
        return MissingColumnsError(0, {"?"}, {{}}, false);
    };
    using Header = MissingColumnsError::Header;
    const auto equal = [](const Header& a, const Header& b) { return a.delimiter == b.delimiter && a.names == b.names; };

    // Windows-1252, commas.
    const MissingColumnsError guessed = failure("Nachname,Stra\xDF" "e,Vorname,Geb.-Datum\nMeier,,Li,01.02.80\n", Options());
    EXPECT_EQ(guessed.line(), 1u);
    EXPECT_TRUE(guessed.delimiterGuessed());
    EXPECT_EQ(guessed.missingText(), "In der Kopfzeile fehlen die Spalten „Familienname“ und „Geburtsdatum“");
    EXPECT_EQ(std::string(guessed.what()),
              "Zeile 1: In der Kopfzeile fehlen die Spalten „Familienname“ und „Geburtsdatum“ (gefunden: „Nachname“, "
              "„Straße“, „Vorname“, „Geb.-Datum“). Andere Spaltennamen geben --family-name-column, --first-name-column "
              "und --birth-date-column an; das Trennzeichen gibt --delimiter an.");
    ASSERT_EQ(guessed.headers().size(), 3u);
    EXPECT_TRUE(equal(guessed.headers()[0], {',', {"Nachname", "Straße", "Vorname", "Geb.-Datum"}}));
    EXPECT_TRUE(equal(guessed.headers()[1], {';', {"Nachname,Straße,Vorname,Geb.-Datum"}}));
    EXPECT_TRUE(equal(guessed.headers()[2], {'\t', {"Nachname,Straße,Vorname,Geb.-Datum"}}));

    // UTF-16 is taken as tab-separated; split by ";" it has every column.
    const MissingColumnsError utf16 = failure(Utf16(u"Familienname;Vorname;Geburtsdatum\r\nMüller;Hans;01.02.80\r\n", false), Options());
    ASSERT_EQ(utf16.headers().size(), 3u);
    EXPECT_TRUE(equal(utf16.headers()[0], {'\t', {"Familienname;Vorname;Geburtsdatum"}}));
    EXPECT_TRUE(equal(utf16.headers()[1], {';', {"Familienname", "Vorname", "Geburtsdatum"}}));

    // A delimiter given is no guess.
    ListOptions comma = Options();
    comma.delimiter = ',';
    const MissingColumnsError given = failure("Nachname,Vorname,Geburtsdatum\n", comma);
    EXPECT_FALSE(given.delimiterGuessed());
    ASSERT_EQ(given.headers().size(), 1u);
    EXPECT_EQ(given.missingText(), "In der Kopfzeile fehlt die Spalte „Familienname“");
}

// With its delimiter given, a UTF-16 list separated by ";" is read and
// written back so.
TEST(ProcessList, Utf16WithAnotherDelimiter)
{
    ListOptions semicolon = Options();
    semicolon.delimiter = ';';
    EXPECT_EQ(ProcessBoth(Utf16(u"Familienname;Vorname;Geburtsdatum\r\nMüller;Hans;01.02.80\r\n", false), semicolon).output,
              Utf16(u"Familienname;Vorname;Geburtsdatum;eTIN;Fehler\r\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\r\n", false));
}

TEST(ProcessList, HeaderOnlyGivesHeaderOnly)
{
    const Processed p = ProcessBoth("Familienname;Vorname;Geburtsdatum");
    EXPECT_EQ(p.output, "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\n");
    EXPECT_EQ(p.summary.rows, 0u);
}

// A list with the cells of every row as the callbacks hand them over.
struct WrittenList {
    Processed processed;
    ListLayout layout;
    std::vector<std::vector<std::string>> rows;  // after the header
};

WrittenList ProcessKeepingRows(std::string_view input)
{
    WrittenList list;
    ListCallbacks callbacks;
    callbacks.onHeader = [&](const ListLayout& layout) { list.layout = layout; };
    callbacks.onRow = [&](const RowResult& row) { list.rows.emplace_back(row.cells.begin(), row.cells.end()); };
    list.processed = Process(input, Options(), Source::File, callbacks);
    return list;
}

// Lists of random cells, quoted as a spreadsheet quotes them: every row comes
// out once, and run again, every cell written comes back where the layout
// says, the eTINs all "stimmt".
TEST(ProcessList, RandomListsKeepEveryRow)
{
    const std::string_view alphabet[] = {"a", "Z", " ", ";", "\"", "\n", "\r\n", "ä", "Ł", "王", "-", "0", "1",
                                         ".", "29.02.00", "01.13.80", "'", "\t", "€", "\u00A0", "\u2013"};
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
        const Processed once = ProcessBoth(input);
        EXPECT_EQ(once.summary.rows + once.summary.blankRows, static_cast<std::size_t>(rows)) << input;
        const WrittenList first = ProcessKeepingRows(input);
        const WrittenList again = ProcessKeepingRows(once.output);
        ASSERT_EQ(again.rows.size(), first.rows.size()) << input;
        const std::size_t columns = again.layout.outputColumnOf.size();
        for (std::size_t r = 0; r < first.rows.size(); ++r) {
            for (std::size_t i = 0; i < first.rows[r].size(); ++i) {
                const std::size_t at =
                    i < columns ? again.layout.outputColumnOf[i] : again.layout.columnNames.size() + i - columns;
                ASSERT_LT(at, again.rows[r].size()) << input;
                EXPECT_EQ(again.rows[r][at], first.rows[r][i]) << input;
            }
        }
        EXPECT_EQ(again.processed.summary.rows, once.summary.rows);
        EXPECT_EQ(again.processed.summary.failedRows, once.summary.failedRows);
        EXPECT_EQ(again.processed.summary.deviatingRows + again.processed.summary.filledRows, 0u) << input;
    }
}

// Arbitrary bytes: either a ListError or a list whose rows all come out.
TEST(ProcessList, ArbitraryBytesFailCleanlyOrKeepEveryRow)
{
    std::mt19937 random(11);
    const char bytes[] = {';', '"', '\n', '\r', 'a', 'x', '\xC3', '\xBC', '\xFC', ' ', '1', '.', '\t', ','};
    for (int list = 0; list < 500; ++list) {
        std::string input(kHeader);
        for (unsigned n = random() % 120; n > 0; --n)
            input += bytes[random() % std::size(bytes)];
        for (Source source : {Source::File, Source::Pipe}) {
            try {
                const Processed once = Process(input, Options(), source);
                const Processed again = Process(once.output);
                EXPECT_EQ(again.summary.rows + again.summary.blankRows, once.summary.rows + once.summary.blankRows)
                    << input;
            } catch (const ListError& e) {
                // Broken quoting after the header: a line of the input, named first in the message.
                const auto lines = static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n')) + 1;
                EXPECT_GE(e.line(), 2u) << input;
                EXPECT_LE(e.line(), lines) << input;
                EXPECT_TRUE(std::string(e.what()).starts_with("Zeile " + std::to_string(e.line()) + ": "))
                    << e.what();
            }
        }
    }
}

}  // namespace
}  // namespace kennfix::listengine
