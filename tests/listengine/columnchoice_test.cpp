// Choosing the columns of a list whose header lacks one: the names offered
// under each delimiter, the ones that fit, the options the choice gives, and
// the message for a file that offers nothing to choose from.

#include "listengine/columnchoice.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kennfix::listengine {
namespace {

MissingColumnsError HeaderFailure(std::string_view list, const ListOptions& options = {})
{
    std::istringstream in{std::string(list)};
    std::ostringstream out;
    try {
        ProcessList(in, out, options);
    } catch (const MissingColumnsError& e) {
        return e;
    }
    ADD_FAILURE() << "the engine found every column in " << list;
    return MissingColumnsError(0, {"?"}, {{}}, false);
}

std::string Utf16LE(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

constexpr std::size_t kNone = SIZE_MAX;

struct ChoiceCase {
    std::string_view comment;
    std::string list;
    char delimiter;                     // of the header shown first
    std::vector<std::string> names;     // offered there
    std::array<std::size_t, 3> fitting;  // family name, first name, date of birth; kNone: nothing fits
};

const ChoiceCase kChoices[] = {
    {"usual German names", "Nachname;Vorname;Geb.-Datum\nMeier;Li;01.02.80\n", ';',
     {"Nachname", "Vorname", "Geb.-Datum"}, {0, 1, 2}},
    {"eTIN holds stored eTINs, not to be chosen", "Name;Rufname;eTIN;Geburtstag\n", ';',
     {"Name", "Rufname", "Geburtstag"}, {0, 1, 2}},
    {"among other columns, case and blanks aside", "Personalnr, ZUNAME , vorname,Geboren am,Abteilung\n", ',',
     {"Personalnr", " ZUNAME ", " vorname", "Geboren am", "Abteilung"}, {1, 2, 3}},
    {"names nobody uses: offered, nothing chosen", "A;B;C\n", ';', {"A", "B", "C"}, {kNone, kNone, kNone}},
    {"UTF-16 taken as tab-separated is shown split by ;", Utf16LE(u"Familienname;Vorname;Geburtsdatum\r\n"), ';',
     {"Familienname", "Vorname", "Geburtsdatum"}, {0, 1, 2}},
};

TEST(ColumnChoice, OffersTheHeadersNamesAndPicksThoseThatFit)
{
    for (const ChoiceCase& c : kChoices) {
        const std::optional<ColumnChoice> choice = ColumnChoice::From(HeaderFailure(c.list), {});
        ASSERT_TRUE(choice) << c.comment;
        EXPECT_TRUE(choice->delimiterChoosable()) << c.comment;
        const std::size_t shown = choice->preferredHeader();
        EXPECT_EQ(choice->headers()[shown].delimiter, c.delimiter) << c.comment;
        EXPECT_EQ(choice->headers()[shown].names, c.names) << c.comment;
        for (std::size_t role = 0; role < kPersonColumns.size(); ++role)
            EXPECT_EQ(choice->fitting(shown, kPersonColumns[role]).value_or(kNone), c.fitting[role]) << c.comment;
    }
}

// The column the options name fits first; the choice reads the list with
// the names and the delimiter chosen, the other options kept.
TEST(ColumnChoice, OptionsReadTheListAsChosen)
{
    ListOptions options;
    options.firstNameColumn = "Ruf";
    options.currentYear = 2026;
    options.inputEncoding = Encoding::Windows1252;
    const std::string list = "Vorname,Ruf,Nachname,Tag\nMeier,Li,M\xFC" "ller,15.05.1991\n";
    const std::optional<ColumnChoice> choice = ColumnChoice::From(HeaderFailure(list, options), options);
    ASSERT_TRUE(choice);
    const std::size_t shown = choice->preferredHeader();
    EXPECT_EQ(choice->fitting(shown, PersonColumn::FirstName), std::optional<std::size_t>(1));
    const ListOptions chosen = choice->options(shown, {0, 1, 3});
    EXPECT_EQ(chosen.delimiter, std::optional<char>(','));
    EXPECT_EQ(chosen.familyNameColumn, "Vorname");
    EXPECT_EQ(chosen.firstNameColumn, "Ruf");
    EXPECT_EQ(chosen.birthDateColumn, "Tag");
    EXPECT_EQ(chosen.currentYear, 2026);
    EXPECT_EQ(chosen.inputEncoding, Encoding::Windows1252);

    std::istringstream in(list);
    std::ostringstream out;
    ProcessList(in, out, chosen);
    EXPECT_EQ(out.str(), "Vorname,Ruf,Nachname,Tag,eTIN,Fehler\nMeier,Li,M\xFCller,15.05.1991,MREILIXX91E15Z,\n");
}

// No dialog for what offers no three names to choose: a binary file, a
// header whose names repeat.
TEST(ColumnChoice, NothingToChooseFrom)
{
    for (const std::string_view list : {std::string_view("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x01", 20),
                                        std::string_view("Name;Name;Vorname\n"),
                                        std::string_view("Familienname\n")}) {
        EXPECT_FALSE(ColumnChoice::From(HeaderFailure(list), {})) << list;
    }
}

// What is quoted of a file is cut short: no line of escapes runs past the
// box, and nothing tells a clerk to use options of a command line.
TEST(ColumnChoice, MessageForAFileThatIsNoList)
{
    std::string binary(4000, '\0');
    for (int i = 0; i < 8; ++i)
        binary[100 * i + 50] = ',';
    const std::string message = MissingColumnsMessage(HeaderFailure(binary));
    const std::string zeros = "„\\u0000\\u0000\\u0000\\u0000\\u0000…“";
    EXPECT_EQ(message, "Zeile 1: In der Kopfzeile fehlen die Spalten „Familienname“, „Vorname“ und „Geburtsdatum“ "
                       "(gefunden: " + zeros + ", " + zeros + ", " + zeros + ", " + zeros + ", " + zeros +
                           " und 4 weitere). Ist die Datei eine Liste im CSV-Format mit einer Kopfzeile?");
    // Names that fit are quoted whole.
    EXPECT_NE(MissingColumnsMessage(HeaderFailure("Name;Tag\n")).find("(gefunden: „Name“, „Tag“)"), std::string::npos);
}

}  // namespace
}  // namespace kennfix::listengine
