#include "listengine/internal/personcheck.h"

#include <gtest/gtest.h>

namespace kennfix::listengine::internal {
namespace {

struct NameCase {
    std::string_view cell;
    RowEncoding encoding;
    NameVerdict verdict;
    std::string_view converted;  // Windows-1252, for Ok
    std::string_view forbidden;  // for Forbidden
};

constexpr NameCase kNameCases[] = {
    {"Müller", RowEncoding::Utf8, NameVerdict::Ok, "M\xFCller", ""},
    {"M\xFCller", RowEncoding::Windows1252, NameVerdict::Ok, "M\xFCller", ""},
    {"Łukasiewicz", RowEncoding::Utf8, NameVerdict::Ok, "Lukasiewicz", ""},  // the base letter, as the window
    {"Anne\u00A0Marie\tLou", RowEncoding::Utf8, NameVerdict::Ok, "Anne Marie Lou", ""},
    {"Anne\xA0Marie", RowEncoding::Windows1252, NameVerdict::Ok, "Anne Marie", ""},
    {"Meier\u2014Schulz", RowEncoding::Utf8, NameVerdict::Ok, "Meier-Schulz", ""},
    {"Meier\x96Schulz", RowEncoding::Windows1252, NameVerdict::Ok, "Meier-Schulz", ""},  // – in Windows-1252
    {"O\u2019Neill", RowEncoding::Utf8, NameVerdict::Ok, "O\x92Neill", ""},
    {"O\x92Neill", RowEncoding::Windows1252, NameVerdict::Ok, "O\x92Neill", ""},
    {"-", RowEncoding::Ascii, NameVerdict::NoLetter, "", ""},  // typed for "unknown"
    {"' –", RowEncoding::Utf8, NameVerdict::NoLetter, "", ""},
    {"O'Neill", RowEncoding::Ascii, NameVerdict::Ok, "O'Neill", ""},
    {"", RowEncoding::Ascii, NameVerdict::Empty, "", ""},
    {" \t\u3000", RowEncoding::Utf8, NameVerdict::Empty, "", ""},
    {"Meier 3", RowEncoding::Ascii, NameVerdict::Forbidden, "", "3"},
    {"Meier\x80", RowEncoding::Windows1252, NameVerdict::Forbidden, "", "€"},  // as it stands, read in its encoding
    {"Meier\x81", RowEncoding::Windows1252, NameVerdict::Forbidden, "", "\\u0081"},  // undefined: a control
    {"Mei\ner", RowEncoding::Ascii, NameVerdict::Forbidden, "", "\\n"},
    {"Meier\u202E", RowEncoding::Utf8, NameVerdict::Forbidden, "", "\\u202E"},  // a direction override
    {"王", RowEncoding::Utf8, NameVerdict::NotConvertible, "", ""},
    {"M\xFCller", RowEncoding::Utf8, NameVerdict::NotConvertible, "", ""},  // read as UTF-8 when asked to be
};

TEST(ConvertName, Table)
{
    for (const NameCase& c : kNameCases) {
        AnsiText out;
        std::string forbidden;
        EXPECT_EQ(ConvertName(c.cell, c.encoding, out, forbidden), c.verdict) << c.cell;
        if (c.verdict == NameVerdict::Ok) {
            EXPECT_EQ(out, c.converted) << c.cell;
        }
        if (c.verdict == NameVerdict::Forbidden) {
            EXPECT_EQ(forbidden, c.forbidden) << c.cell;
        }
    }
}

struct StoredEtinCase {
    std::string_view comment;
    std::string_view stored;
    RowEncoding encoding;
    StoredEtinCheck check;
    std::uint16_t characters;  // which differ, bit 0 for the first
    std::size_t length;
    std::size_t leadingBlanks;
};

// Šimić, Ana, 01.02.80 gives ŠMCINAAX80B01K.
constexpr StoredEtinCase kStoredEtinCases[] = {
    {"the same in Windows-1252", "\x8AMCINAAX80B01K", RowEncoding::Windows1252, StoredEtinCheck::Matches, 0, 14, 0},
    {"the same in UTF-8, blanks around", "\u00A0 ŠMCINAAX80B01K\t", RowEncoding::Utf8, StoredEtinCheck::Matches, 0, 14, 0},
    {"a base letter is not the letter", "SMCINAAX80B01K", RowEncoding::Ascii, StoredEtinCheck::Differs, 0x0001, 14, 0},
    {"Ś is not Š", "\xC5\x9AMCINAAX80B01K", RowEncoding::Utf8, StoredEtinCheck::Differs, 0x0001, 14, 0},
    {"only the check character", "ŠMCINAAX80B01Z", RowEncoding::Utf8, StoredEtinCheck::WrongCheckCharacter, 0x2000, 14, 0},
    {"the year and the check character", "  ŠMCINAAX81B01Z", RowEncoding::Utf8, StoredEtinCheck::Differs, 0x2200, 14, 2},
    {"a byte that is no UTF-8", "\xFFMCINAAX80B01K", RowEncoding::Utf8, StoredEtinCheck::Differs, 0x0001, 14, 0},
    {"too short: not compared by character", "\u2009ŠMCINAAX80B01", RowEncoding::Utf8, StoredEtinCheck::Differs, 0, 13, 1},
    {"small letters", "šmcinaax80b01k", RowEncoding::Utf8, StoredEtinCheck::Differs, 0x24FF, 14, 0},
    {"blanks only: filled in", "\xA0\t", RowEncoding::Windows1252, StoredEtinCheck::Filled, 0, 14, 0},
};

TEST(JudgeStoredEtin, CharacterByCharacterInTheEncodingOfItsRow)
{
    const AnsiText computed = "\x8AMCINAAX80B01K";
    for (const StoredEtinCase& c : kStoredEtinCases) {
        const StoredEtinVerdict verdict = JudgeStoredEtin(c.stored, c.encoding, computed);
        EXPECT_EQ(verdict.check, c.check) << c.comment;
        if (c.check == StoredEtinCheck::Differs || c.check == StoredEtinCheck::WrongCheckCharacter) {
            EXPECT_EQ(verdict.difference.characters, c.characters) << c.comment;
            EXPECT_EQ(verdict.difference.length, c.length) << c.comment;
            EXPECT_EQ(verdict.difference.leadingBlanks, c.leadingBlanks) << c.comment;
        }
    }
    EXPECT_TRUE(IsEmptyEtinCell("\u2009", RowEncoding::Utf8));
    EXPECT_FALSE(IsEmptyEtinCell("-", RowEncoding::Ascii));
}

TEST(AppendCheckText, NamesWhatDiffers)
{
    const auto text = [](StoredEtinCheck check, std::uint16_t characters, std::size_t length = kEtinLength) {
        std::string out;
        AppendCheckText(out, {check, {characters, length, 0}}, "MLLRHNSA80B01H");
        return out;
    };
    EXPECT_EQ(text(StoredEtinCheck::Matches, 0), "stimmt");
    EXPECT_EQ(text(StoredEtinCheck::Filled, 0), "ergänzt");
    EXPECT_EQ(text(StoredEtinCheck::WrongCheckCharacter, 0x2000), "Prüfzeichen falsch, berechnet: MLLRHNSA80B01H");
    EXPECT_EQ(text(StoredEtinCheck::Differs, 0x2100), "weicht ab (Geburtsdatum), berechnet: MLLRHNSA80B01H");
    EXPECT_EQ(text(StoredEtinCheck::Differs, 0x3FFF),
              "weicht ab (Familienname, Vorname, Geburtsdatum), berechnet: MLLRHNSA80B01H");
    EXPECT_EQ(text(StoredEtinCheck::Differs, 0x0090), "weicht ab (Vorname), berechnet: MLLRHNSA80B01H");
    EXPECT_EQ(text(StoredEtinCheck::Differs, 0, 3), "weicht ab (3 statt 14 Zeichen), berechnet: MLLRHNSA80B01H");
}

TEST(PersonCheck, NamesAreCheckedBeforeTheDate)
{
    PersonCheck check(DateSettings{}, 2026);
    PersonResult result;
    check.Check({"Meier", "Li", "01.02.80", RowEncoding::Ascii}, result);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.etin, "MREILIXX80B01Z");
    EXPECT_EQ(result.error, "");
    check.Check({"Meier.", "Li", "kein Datum", RowEncoding::Ascii}, result);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.etin, "");
    EXPECT_EQ(result.error, "Name enthält unzulässige Zeichen: „.“");
    check.Check({"-", "", "kein Datum", RowEncoding::Ascii}, result);
    EXPECT_EQ(result.error, "Familienname enthält keinen Buchstaben");
    check.Check({"Meier", "'", "kein Datum", RowEncoding::Ascii}, result);
    EXPECT_EQ(result.error, "Vorname enthält keinen Buchstaben");
    check.Check({"Meier", "Li", "\t01.02.8\x1B", RowEncoding::Ascii}, result);
    EXPECT_EQ(result.error, "Geburtsdatum ungültig: „\\t01.02.8\\u001B“");  // as it stands, shown escaped
}

}  // namespace
}  // namespace kennfix::listengine::internal
