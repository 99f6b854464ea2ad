#pragma once

// The text of list cells: reading their characters in the encoding of their
// row, and what a cell holds (blanks, text, only ASCII). How input text is
// shown in messages is messagetext.h's.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/cp1252.h"

namespace kennfix::listengine::internal {

// How the bytes of one row are to be read. An ASCII row reads the same in
// every encoding.
enum class RowEncoding : unsigned char { Ascii, Utf8, Windows1252 };

// One character of a cell. An invalid byte of UTF-8 comes as itself with
// valid == false.
struct CellCharacter {
    char32_t codePoint;
    std::size_t length;  // bytes it took
    bool valid;
};

// Inline: names are read a character at a time.
inline CellCharacter ReadCharacter(std::string_view text, std::size_t pos, RowEncoding encoding)
{
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80)
        return {byte, 1, true};
    if (encoding == RowEncoding::Windows1252)
        return {Windows1252CodePoint(byte), 1, true};
    const Utf8Character c = DecodeUtf8(text, pos);
    if (c.length == 0)
        return {byte, 1, false};
    return {c.codePoint, c.length, true};
}

// Calls f(CellCharacter) for each character of text.
template <class F>
void ForEachCharacter(std::string_view text, RowEncoding encoding, F f)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const CellCharacter c = ReadCharacter(text, pos, encoding);
        f(c);
        pos += c.length;
    }
}

// A cell's text in UTF-8; bytes of a UTF-8 row that are no UTF-8 stay as
// they are.
std::string ToUtf8(std::string_view cell, RowEncoding encoding);

// Where the first byte above 127 is from `pos` on; the size when there is none.
std::size_t SkipAscii(std::string_view text, std::size_t pos = 0);
inline bool IsAscii(std::string_view text)
{
    return SkipAscii(text) == text.size();
}

// Whether a cell holds nothing but blanks and tabs.
bool IsBlankCell(std::string_view cell);

// Whether a line or cell holds text: anything but blanks, line breaks,
// quotes and the delimiters ; , and tab. A line without text before the
// header is a blank line, whichever delimiter the list turns out to have.
bool HoldsText(std::string_view bytes);

// The text without blanks at either end: those a name may hold between its
// words (space, tab, no-break space, thin space ...), so that a blank nobody
// sees makes no difference around a name, a date, a header name or an eTIN.
std::string_view TrimBlanks(std::string_view text, RowEncoding encoding);

}  // namespace kennfix::listengine::internal
