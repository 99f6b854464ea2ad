#include "core/etinform.h"

#include <array>

#include "core/checkchar.h"
#include "core/namecode.h"
#include "core/normalise.h"

namespace kennfix {
namespace {

// Bytes that can stand in a name code. A normalised name holds only what
// UpperCase and FoldAccents leave unchanged, minus blanks and hyphens; of
// that, MakeNameCode writes out or drops the bytes its expansion table lists.
const std::array<bool, 256>& NameCodeBytes()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> bytes{};
        for (int b = 0x21; b < 256; ++b) {
            const AnsiText c(1, static_cast<char>(b));
            bytes[b] = b != '-' && b != 0x7F && FoldAccents(UpperCase(c)) == c && MakeNameCode(c) == c + "XXX";
        }
        return bytes;
    }();
    return table;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int MaxDay(int month)
{
    constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1];
}

}  // namespace

EtinForm CheckEtinForm(std::string_view etin)
{
    if (etin.size() != kEtinLength)
        return EtinForm::Malformed;
    for (std::size_t i = 0; i < 8; ++i) {
        if (!NameCodeBytes()[static_cast<unsigned char>(etin[i])])
            return EtinForm::Malformed;
    }
    if (!IsDigit(etin[8]) || !IsDigit(etin[9]) || etin[10] < 'A' || etin[10] > 'L' || !IsDigit(etin[11]) ||
        !IsDigit(etin[12]))
        return EtinForm::Malformed;
    const int month = etin[10] - 'A' + 1;
    const int day = (etin[11] - '0') * 10 + (etin[12] - '0');
    if (day < 1 || day > MaxDay(month))
        return EtinForm::Malformed;
    const char check = etin[13];
    if (check < 'A' || check > 'Z')
        return EtinForm::Malformed;
    return CheckCharacter(etin) == check ? EtinForm::Valid : EtinForm::WrongCheckCharacter;
}

}  // namespace kennfix
