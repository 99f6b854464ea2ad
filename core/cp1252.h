#pragma once

// Conversion between Unicode text (UTF-8) and the Windows-1252 bytes the core
// works on. Every program on the core converts its texts here, so that a name
// gives the same eTIN wherever it is typed.
//
// A letter outside the code page becomes its base letter where the code page
// has one (Ł -> L, ș -> s, ő -> o, ǟ -> ä); anything else is left out of the
// text and listed as unmapped, never replaced by "?", so the caller can refuse
// the text instead of computing with a character the user never typed.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kennfix {

using AnsiText = std::string;  // bytes in Windows-1252

struct Windows1252Text {
    AnsiText text;                   // the convertible characters, in order
    std::vector<char32_t> unmapped;  // the others, in order; U+FFFD for each byte that is not valid UTF-8
};

Windows1252Text Utf8ToWindows1252(std::string_view utf8);

// One character of UTF-8 text: its code point and its length in bytes.
struct Utf8Character {
    char32_t codePoint;
    std::size_t length;  // 0 when the bytes do not start a well-formed sequence
};

// Reads the character at text[pos], which must exist.
Utf8Character DecodeUtf8(std::string_view text, std::size_t pos);

// Appends a code point as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// Appends the byte or two bytes that Utf8ToWindows1252 makes of one code
// point; false, appending nothing, when it makes none.
bool AppendWindows1252(char32_t codePoint, AnsiText& out);

// The code point of one Windows-1252 byte, as Windows1252ToUtf8 reads it.
char32_t Windows1252CodePoint(unsigned char byte);

// The exact inverse for the 251 defined bytes. The five bytes Windows-1252
// leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) become the C1 controls
// U+0081 ... as Windows has it, and convert back to themselves.
std::string Windows1252ToUtf8(std::string_view ansi);

// True when the whole text is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF, no sequence cut short).
bool IsValidUtf8(std::string_view text);

}  // namespace kennfix
