#pragma once

// What a character is worth in a name typed into a list: a letter, a blank,
// a hyphen, an apostrophe, or something no name holds (a digit, a full stop,
// "=", "@", a control character). The classes come from the general
// categories of the Unicode character database (namechars_table.h, generated
// by core/tools/gen_cp1252_table.py --names, which lists the rules).

namespace kennfix {

enum class NameCharacterClass : unsigned char { Other, Letter, Blank, Hyphen, Apostrophe };

// Any code point; one above U+10FFFF is Other.
NameCharacterClass ClassifyNameCharacter(char32_t c);

}  // namespace kennfix
