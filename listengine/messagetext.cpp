#include "listengine/messagetext.h"

#include "listengine/internal/text.h"

namespace kennfix::listengine {

std::string ForMessage(std::string_view utf8)
{
    std::string out;
    internal::AppendForMessage(out, utf8, internal::RowEncoding::Utf8);
    return out;
}

std::string ShortenedForMessage(std::string_view utf8, std::size_t limit)
{
    std::string shown;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t length = internal::ReadCharacter(utf8, pos, internal::RowEncoding::Utf8).length;
        std::string character;
        internal::AppendForMessage(character, utf8.substr(pos, length), internal::RowEncoding::Utf8);
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
