#include "core/checkchar.h"

#include <array>
#include <stdexcept>

namespace kennfix {
namespace {

// Values of the letters in odd positions. A digit is worth as much as the
// letter at the same place in the alphabet: "0" as "A", "9" as "J".
// clang-format off
constexpr std::array<unsigned char, 26> kOddLetterValue = {
//   A  B  C  D  E   F   G   H   I   J  K  L   M
     1, 0, 5, 7, 9, 13, 15, 17, 19, 21, 2, 4, 18,
//   N   O  P  Q  R   S   T   U   V   W   X   Y   Z
    20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 23, 24, 25,
};
// clang-format on

constexpr unsigned char OddValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return kOddLetterValue[c - '0'];
    if (c >= 'A' && c <= 'Z')
        return kOddLetterValue[c - 'A'];
    return 0;
}

// Digits count 0-9 and capitals 0-25; other bytes wrap around in eight bits,
// which the algorithm relies on ("'" is worth 247).
constexpr unsigned char EvenValue(unsigned char c)
{
    return static_cast<unsigned char>(c <= 'A' - 1 ? c - '0' : c - 'A');
}

// Both rules as tables by byte value, so that a position costs one lookup.
constexpr auto ValueTable(unsigned char (*value)(unsigned char))
{
    std::array<unsigned char, 256> table{};
    for (unsigned c = 0; c < table.size(); ++c)
        table[c] = value(static_cast<unsigned char>(c));
    return table;
}
constexpr auto kOddValue = ValueTable(OddValue);
constexpr auto kEvenValue = ValueTable(EvenValue);

}  // namespace

unsigned char CheckValue(unsigned char c, int position)
{
    return position % 2 == 1 ? kOddValue[c] : kEvenValue[c];
}

char CheckCharacter(std::string_view body)
{
    if (body.size() < kEtinBodyLength)
        throw std::length_error("eTIN body shorter than 13 characters");
    unsigned sum = 0;
    const auto byte = [body](std::size_t i) { return static_cast<unsigned char>(body[i]); };
    for (std::size_t i = 0; i < kEtinBodyLength; i += 2)  // positions 1, 3, ... 13
        sum += kOddValue[byte(i)];
    for (std::size_t i = 1; i < kEtinBodyLength; i += 2)  // positions 2, 4, ... 12
        sum += kEvenValue[byte(i)];
    return static_cast<char>('A' + sum % 26);
}

}  // namespace kennfix
