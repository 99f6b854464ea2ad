#pragma once

// The four-character code of one normalised name: its first four consonants,
// filled up with its vowels taken from the end and then with "X".
// HANS gives HNSA, ANNA gives NNAA, EVA gives VAEX, the empty name XXXX.

#include <string_view>

#include "etin.h"

namespace kennfix {

// True exactly for A, E, I, O and U; everything else counts as a consonant.
bool IsVowel(unsigned char c);

AnsiText MakeNameCode(std::string_view normalisedName);

}  // namespace kennfix
