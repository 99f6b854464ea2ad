#pragma once

// The four-character code of one normalised name: its first four consonants,
// filled up with its vowels taken from the end and then with "X".
// HANS gives HNSA, ANNA gives NNAA, EVA gives VAEX, the empty name XXXX.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/cp1252.h"

namespace kennfix {

// True exactly for A, E, I, O and U; everything else counts as a consonant.
constexpr bool IsVowel(unsigned char c)
{
    return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U';
}

// Builds the code while the name is read once from its first byte to its
// last, so that neither the expanded name nor a copy of it is ever made.
// The member functions are small and run once a byte, hence inline here.
class NameCodeBuilder {
public:
    static constexpr std::size_t kLength = 4;

    // Takes the next byte of the normalised name. Umlauts and ligatures are
    // written out, × is dropped, every other byte stands for itself. Byte
    // values are Windows-1252; 188 and 189 are Œ and œ in ISO 8859-15,
    // which older data uses.
    void Add(unsigned char c)
    {
        switch (c) {
        case 196: case 198: case 228: case 230: AddLetter('A'), AddLetter('E'); break;  // Ä Æ ä æ
        case 188: case 189: case 214: case 246: AddLetter('O'), AddLetter('E'); break;  // Œ œ (8859-15), Ö ö
        case 220: case 252: AddLetter('U'), AddLetter('E'); break;                      // Ü ü
        case 223: AddLetter('S'), AddLetter('S'); break;                                // ß
        case 215: break;                                                                // ×
        default: AddLetter(c); break;
        }
    }

    // Four consonants are in: whatever follows cannot change the code.
    bool IsComplete() const { return m_consonants == kLength; }

    // Writes the four characters of the code to out.
    void WriteTo(char* out) const
    {
        std::memcpy(out, m_code, kLength);  // all four at once; the places after the consonants are filled below
        std::size_t n = m_consonants;
        // The vowels read backwards from the end of the name: the latest first.
        for (std::uint32_t vowels = m_lastVowels; n < kLength && vowels != 0; vowels >>= 8)
            out[n++] = static_cast<char>(vowels & 0xFF);
        for (; n < kLength; ++n)
            out[n] = 'X';
    }

private:
    void AddLetter(unsigned char c)
    {
        if (IsVowel(c))
            m_lastVowels = m_lastVowels << 8 | c;
        else if (m_consonants < kLength)
            m_code[m_consonants++] = static_cast<char>(c);
    }

    char m_code[kLength] = {};
    std::size_t m_consonants = 0;
    // The last four vowels so far, the latest in the lowest byte; a zero
    // byte means there were fewer (no vowel is zero).
    std::uint32_t m_lastVowels = 0;
};

// The code of a whole name, normalised already.
AnsiText MakeNameCode(std::string_view normalisedName);

}  // namespace kennfix
