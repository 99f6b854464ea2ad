#include "namecode.h"

namespace kennfix {
namespace {

constexpr std::size_t kCodeLength = 4;

// What a byte stands for in the name code: umlauts and ligatures are written
// out, × is dropped, every other byte stands for itself. Byte values are
// Windows-1252; 188 and 189 are Œ and œ in ISO 8859-15, which older data uses.
std::string_view Expansion(const char& c)
{
    switch (static_cast<unsigned char>(c)) {
    case 196: case 198: case 228: case 230: return "AE";  // Ä Æ ä æ
    case 188: case 189: case 214: case 246: return "OE";  // Œ œ (8859-15), Ö ö
    case 220: case 252: return "UE";                      // Ü ü
    case 223: return "SS";                                // ß
    case 215: return {};                                  // ×
    default: return {&c, 1};
    }
}

}  // namespace

bool IsVowel(unsigned char c)
{
    return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U';
}

// Works on the expanded name without building it: consonants are taken from
// the front, vowels from the back.
AnsiText MakeNameCode(std::string_view name)
{
    AnsiText code;
    code.reserve(kCodeLength);

    for (auto it = name.begin(); it != name.end() && code.size() < kCodeLength; ++it) {
        for (char e : Expansion(*it)) {
            if (!IsVowel(static_cast<unsigned char>(e)) && code.size() < kCodeLength)
                code += e;
        }
    }
    if (code.size() == kCodeLength)
        return code;

    for (auto it = name.rbegin(); it != name.rend() && code.size() < kCodeLength; ++it) {
        const std::string_view expanded = Expansion(*it);
        for (auto e = expanded.rbegin(); e != expanded.rend() && code.size() < kCodeLength; ++e) {
            if (IsVowel(static_cast<unsigned char>(*e)))
                code += *e;
        }
    }

    code.resize(kCodeLength, 'X');
    return code;
}

}  // namespace kennfix
