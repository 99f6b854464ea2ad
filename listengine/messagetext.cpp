#include "listengine/messagetext.h"

#include "listengine/internal/text.h"

namespace kennfix::listengine {

std::string ForMessage(std::string_view utf8)
{
    std::string out;
    AppendForMessage(out, utf8, RowEncoding::Utf8);
    return out;
}

std::string ShortenedForMessage(std::string_view utf8, std::size_t limit)
{
    std::string shown;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t length = ReadCharacter(utf8, pos, RowEncoding::Utf8).length;
        std::string character;
        AppendForMessage(character, utf8.substr(pos, length), RowEncoding::Utf8);
        if (shown.size() + character.size() > limit)
            return shown + "…";
        shown += character;
        pos += length;
    }
    return shown;
}

std::string Quoted(std::string_view utf8)
{
    return "\u201E" + std::string(utf8) + "\u201C";
}

std::string QuotedForMessage(std::string_view utf8)
{
    return Quoted(ForMessage(utf8));
}

std::string GroupedNumber(std::size_t n)
{
    std::string digits = std::to_string(n);
    if (digits.size() <= 4)
        return digits;
    for (std::size_t i = digits.size() - 3; i > 0; i = i > 3 ? i - 3 : 0)
        digits.insert(i, 1, '.');
    return digits;
}

}  // namespace kennfix::listengine
