#include "core/etinform.h"

#include <gtest/gtest.h>

#include "core/etin.h"

namespace kennfix {
namespace {

struct FormCase {
    std::string_view etin;  // Windows-1252
    EtinForm form;
};

constexpr FormCase kFormCases[] = {
    {"MLLRHNSA80B01H", EtinForm::Valid},
    {"YNYLJSMR52B28A", EtinForm::Valid},
    {"XXXXXXXX10J10Z", EtinForm::Valid},
    {"MREILIXX00B29E", EtinForm::Valid},                 // 29 February
    {"\x8AMCINAAX80B01K", EtinForm::Valid},              // Š stays in the name code
    {"MLLRHNSA80B01A", EtinForm::WrongCheckCharacter},
    {"MLLRHNSA81B01H", EtinForm::WrongCheckCharacter},   // a typing error in the year
    {"MLRLHNSA80B01H", EtinForm::WrongCheckCharacter},   // two letters swapped
    {"mllrhnsa80b01h", EtinForm::Malformed},             // small letters
    {" MLLRHNSA80B01H", EtinForm::Malformed},            // a blank in front
    {"MLLRHNSA80B01H ", EtinForm::Malformed},
    {"MLLRHNSA80B01", EtinForm::Malformed},              // too short
    {"MLLRHNSA80B01HH", EtinForm::Malformed},
    {"", EtinForm::Malformed},
    {"MLLRHNSA80M01H", EtinForm::Malformed},             // no 13th month
    {"MLLRHNSA80B30H", EtinForm::Malformed},             // no 30 February
    {"MLLRHNSA80D31H", EtinForm::Malformed},             // no 31 April
    {"MLLRHNSA80B00H", EtinForm::Malformed},
    {"MLLRHNSA8OB01H", EtinForm::Malformed},             // letter O for the digit 0
    {"MLLRHNSA80B01h", EtinForm::Malformed},
    {"MLLRHNSA80B011", EtinForm::Malformed},
    {"M\xDCLRHNSA80B01H", EtinForm::Malformed},          // Ü is written out as UE in a name code
    {"M-LRHNSA80B01H", EtinForm::Malformed},             // hyphens are removed from names
    {"M\xC9LRHNSA80B01H", EtinForm::Malformed},          // É folds to E
    {std::string_view("MLLR\0NSA80B01H", 14), EtinForm::Malformed},
};

TEST(CheckEtinForm, Table)
{
    for (const FormCase& c : kFormCases)
        EXPECT_EQ(CheckEtinForm(c.etin), c.form) << "'" << c.etin << "'";
}

// Whatever ComputeEtin makes passes, and changing any one of its first 13
// characters to another character of the same kind is caught.
TEST(CheckEtinForm, EveryComputedEtinIsValidAndOneTypoIsCaught)
{
    const char* names[] = {"M\xFC" "ller", "Sch\xF6n-Schulze", "O'Neill", "\x8Aimi\xE6", "Li", "-", "Wei\xDF"};
    for (const char* family : names) {
        for (const char* first : names) {
            const AnsiText etin = ComputeEtin(family, first, "28.02.52", DateSettings{}, 2026).etin;
            ASSERT_EQ(CheckEtinForm(etin), EtinForm::Valid) << etin;
            AnsiText typo = etin;
            typo[9] = typo[9] == '9' ? '0' : static_cast<char>(typo[9] + 1);
            EXPECT_EQ(CheckEtinForm(typo), EtinForm::WrongCheckCharacter) << typo;
        }
    }
}

}  // namespace
}  // namespace kennfix
