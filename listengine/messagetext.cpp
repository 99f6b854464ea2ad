#include "listengine/messagetext.h"

#include "core/cp1252.h"
#include "core/namechars.h"

namespace kennfix::listengine {
namespace {

// One character of the text; a byte that is no UTF-8 comes as itself with
// valid == false, so that the message shows it as \xHH.
struct MessageCharacter {
    char32_t codePoint;
    std::size_t length;  // bytes it took
    bool valid;
};

MessageCharacter ReadCharacter(std::string_view utf8, std::size_t pos)
{
    const Utf8Character c = DecodeUtf8(utf8, pos);
    if (c.length == 0)
        return {static_cast<unsigned char>(utf8[pos]), 1, false};
    return {c.codePoint, c.length, true};
}

// Whether a character is shown escaped: controls (the tab too), format
// characters, line and paragraph separators.
bool IsHidden(char32_t c)
{
    return c == '\t' || ClassifyNameCharacter(c) == NameCharacterClass::Control;
}

void AppendHex(std::string& out, unsigned long value, int digits)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 0xF];
}

void AppendCharacter(std::string& out, const MessageCharacter& c)
{
    if (!c.valid) {
        out += "\\x";
        AppendHex(out, c.codePoint, 2);
    } else if (IsHidden(c.codePoint)) {
        AppendEscape(out, c.codePoint);
    } else {
        AppendUtf8(out, c.codePoint);
    }
}

}  // namespace

void AppendEscape(std::string& out, char32_t c)
{
    switch (c) {
    case '\t': out += "\\t"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    default: break;
    }
    out += c < 0x10000 ? "\\u" : "\\U";
    AppendHex(out, c, c < 0x10000 ? 4 : 8);
}

void AppendForMessage(std::string& out, std::string_view utf8)
{
    for (std::size_t pos = 0; pos < utf8.size();) {
        const MessageCharacter c = ReadCharacter(utf8, pos);
        AppendCharacter(out, c);
        pos += c.length;
    }
}

std::string ForMessage(std::string_view utf8)
{
    std::string out;
    AppendForMessage(out, utf8);
    return out;
}

std::string ShortenedForMessage(std::string_view utf8, std::size_t limit)
{
    std::string shown;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const MessageCharacter c = ReadCharacter(utf8, pos);
        std::string character;
        AppendCharacter(character, c);
        if (shown.size() + character.size() > limit)
            return shown + "…";
        shown += character;
        pos += c.length;
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
