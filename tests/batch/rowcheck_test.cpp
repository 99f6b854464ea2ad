#include "rowcheck.h"

#include <gtest/gtest.h>

namespace kennfix::batch {
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
    {"-", RowEncoding::Ascii, NameVerdict::Ok, "-", ""},
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

// A stored eTIN in a Windows-1252 row, and characters that are not in the
// code page as they stand.
TEST(JudgeStoredEtin, InTheEncodingOfItsRow)
{
    const AnsiText computed = "\x8AMCINAAX80B01K";  // Šimić, Ana, 01.02.80
    EXPECT_EQ(JudgeStoredEtin("\x8AMCINAAX80B01K", RowEncoding::Windows1252, computed), StoredEtinCheck::Matches);
    EXPECT_EQ(JudgeStoredEtin("ŠMCINAAX80B01K", RowEncoding::Utf8, computed), StoredEtinCheck::Matches);
    EXPECT_EQ(JudgeStoredEtin("SMCINAAX80B01K", RowEncoding::Ascii, computed), StoredEtinCheck::WrongCheckCharacter);
    EXPECT_EQ(JudgeStoredEtin("\xC5\x9AMCINAAX80B01K", RowEncoding::Utf8, computed), StoredEtinCheck::Differs);  // Ś
    EXPECT_EQ(JudgeStoredEtin("\xA0\t", RowEncoding::Windows1252, computed), StoredEtinCheck::Filled);
    EXPECT_TRUE(IsEmptyEtinCell("\u2009", RowEncoding::Utf8));
    EXPECT_FALSE(IsEmptyEtinCell("-", RowEncoding::Ascii));
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
    check.Check({"Meier", "Li", "\t01.02.80", RowEncoding::Ascii}, result);
    EXPECT_EQ(result.error, "'\\t01.02.80' is not a valid date");
}

}  // namespace
}  // namespace kennfix::batch
