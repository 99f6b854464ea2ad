#include "core/namecode.h"

#include <gtest/gtest.h>

#include "core/cp1252.h"

namespace kennfix {
namespace {

struct NameCodeCase {
    std::string_view name;  // normalised, UTF-8 here
    std::string_view code;
};

constexpr NameCodeCase kNameCodeCases[] = {
    {"MUELLER", "MLLR"},
    {"MÜLLER", "MLLR"},
    {"HANS", "HNSA"},
    {"MEIER", "MREI"},
    {"OTTO", "TTOO"},
    {"ANNA", "NNAA"},        // vowels come from the end
    {"YMIDT", "YMDT"},       // Y is a consonant
    {"EVA", "VAEX"},
    {"UTE", "TEUX"},
    {"IO", "OIXX"},          // no consonant at all
    {"AEIOU", "UOIE"},
    {"X", "XXXX"},
    {"", "XXXX"},
    {"ÆRO", "ROEA"},         // Æ writes out as AE
    {"YÖNYULZE", "YNYL"},
    {"WEIß", "WSSI"},
    {"KRNß", "KRNS"},        // the second S of ß would be a fifth consonant
    {"O'NEILL", "'NLL"},     // the apostrophe counts as a consonant
    {"A×B", "BAXX"},         // × is dropped
    {"BÄ", "BEAX"},          // Ä gives its E before its A when read backwards
    {"äöü", "EUEO"},         // small forms write out as well
};

TEST(MakeNameCode, Table)
{
    for (const NameCodeCase& c : kNameCodeCases)
        EXPECT_EQ(MakeNameCode(Utf8ToWindows1252(c.name).text), Utf8ToWindows1252(c.code).text) << c.name;
}

TEST(MakeNameCode, Iso885915Ligatures)
{
    EXPECT_EQ(MakeNameCode("\xBC" "B"), "BEOX");  // Œ at 188 in ISO 8859-15
    EXPECT_EQ(MakeNameCode("\xBD" "B"), "BEOX");
}

TEST(IsVowel, OnlyTheFiveCapitals)
{
    int vowels = 0;
    for (int b = 0; b < 256; ++b)
        vowels += IsVowel(static_cast<unsigned char>(b));
    EXPECT_EQ(vowels, 5);
    for (char c : {'A', 'E', 'I', 'O', 'U'})
        EXPECT_TRUE(IsVowel(static_cast<unsigned char>(c)));
}

}  // namespace
}  // namespace kennfix
