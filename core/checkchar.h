#pragma once

// The fourteenth character of an eTIN, computed over the first thirteen: each
// character gets a value by its position (odd or even), and the sum modulo 26
// picks a letter. MLLRHNSA80B01 gives H.

#include <string_view>

namespace kennfix {

inline constexpr std::size_t kEtinBodyLength = 13;

// The value of character c at position 1-13.
unsigned char CheckValue(unsigned char c, int position);

// Always A-Z. Reads exactly the first 13 characters of body, which must have them.
char CheckCharacter(std::string_view body);

}  // namespace kennfix
