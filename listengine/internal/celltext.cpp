#include "listengine/internal/celltext.h"

#include <cstdint>
#include <cstring>

#include "core/cp1252.h"
#include "core/namechars.h"

namespace kennfix::listengine::internal {

std::string ToUtf8(std::string_view cell, RowEncoding encoding)
{
    return encoding == RowEncoding::Windows1252 ? Windows1252ToUtf8(cell) : std::string(cell);
}

std::size_t SkipAscii(std::string_view text, std::size_t pos)
{
    // Eight bytes at a time: a row is mostly plain letters and digits.
    for (; pos + 8 <= text.size(); pos += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, sizeof word);
        if (word & 0x8080808080808080u)
            break;
    }
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80)
        ++pos;
    return pos;
}

bool IsBlankCell(std::string_view cell)
{
    for (char c : cell) {
        if (c != ' ' && c != '\t')
            return false;
    }
    return true;
}

bool HoldsText(std::string_view bytes)
{
    return bytes.find_first_not_of(" \t\r\n\";,") != std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text, RowEncoding encoding)
{
    std::size_t begin = 0;
    std::size_t end = 0;
    bool seen = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const CellCharacter c = ReadCharacter(text, pos, encoding);
        if (!c.valid || ClassifyNameCharacter(c.codePoint) != NameCharacterClass::Blank) {
            if (!seen)
                begin = pos;
            seen = true;
            end = pos + c.length;
        }
        pos += c.length;
    }
    return seen ? text.substr(begin, end - begin) : std::string_view();
}

}  // namespace kennfix::listengine::internal
