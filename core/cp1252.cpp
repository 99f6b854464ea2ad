#include "core/cp1252.h"

#include <algorithm>
#include <cstddef>

#include "core/cp1252_table.h"

namespace kennfix {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

std::size_t Utf8Length(char32_t codePoint)
{
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : 3;  // the code page lies in the BMP
}

}  // namespace

// The ranges allowed for the second byte rule out overlong forms (E0, F0),
// surrogates (ED) and code points above U+10FFFF (F4), as in the Unicode
// standard's table of well-formed byte sequences.
Utf8Character DecodeUtf8(std::string_view text, std::size_t pos)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80)
        return {lead, 1};

    std::size_t length = 0;
    char32_t codePoint = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {kReplacementCharacter, 0};
    }
    if (text.size() - pos < length)
        return {kReplacementCharacter, 0};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byteAt(pos + i);
        if (next < low || next > high)
            return {kReplacementCharacter, 0};
        low = 0x80, high = 0xBF;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return {codePoint, length};
}

namespace {

static_assert(std::is_sorted(cp1252::kFromUnicode.begin(), cp1252::kFromUnicode.end(),
                             [](const cp1252::Mapping& a, const cp1252::Mapping& b) { return a.codePoint < b.codePoint; }),
              "binary search needs the table sorted by code point");

const cp1252::Mapping* FindMapping(char32_t codePoint)
{
    const auto& table = cp1252::kFromUnicode;
    const auto it = std::lower_bound(table.begin(), table.end(), codePoint,
                                     [](const cp1252::Mapping& m, char32_t c) { return m.codePoint < c; });
    return it != table.end() && it->codePoint == codePoint ? &*it : nullptr;
}

}  // namespace

char32_t Windows1252CodePoint(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? cp1252::kHighRow[byte - 0x80] : byte;
}

bool AppendWindows1252(char32_t codePoint, AnsiText& out)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        out += static_cast<char>(codePoint);
        return true;
    }
    const cp1252::Mapping* m = FindMapping(codePoint);
    if (m == nullptr)
        return false;
    out += static_cast<char>(m->first);
    if (m->second != 0)
        out += static_cast<char>(m->second);
    return true;
}

Windows1252Text Utf8ToWindows1252(std::string_view utf8)
{
    Windows1252Text result;
    // A character never becomes more bytes than it took in UTF-8, so the
    // text is written into a buffer of the input's size and cut to length.
    result.text.resize(utf8.size());
    char* out = result.text.data();
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            *out++ = utf8[pos++];
            continue;
        }
        const Utf8Character c = DecodeUtf8(utf8, pos);
        pos += std::max<std::size_t>(c.length, 1);
        if (c.length == 0) {
            result.unmapped.push_back(kReplacementCharacter);
        } else if (c.codePoint >= 0xA0 && c.codePoint <= 0xFF) {
            *out++ = static_cast<char>(c.codePoint);
        } else if (const cp1252::Mapping* m = FindMapping(c.codePoint)) {
            *out++ = static_cast<char>(m->first);
            if (m->second != 0)
                *out++ = static_cast<char>(m->second);
        } else {
            result.unmapped.push_back(c.codePoint);
        }
    }
    result.text.resize(static_cast<std::size_t>(out - result.text.data()));
    return result;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Windows1252ToUtf8(std::string_view ansi)
{
    std::size_t size = 0;
    for (char byte : ansi)
        size += Utf8Length(Windows1252CodePoint(static_cast<unsigned char>(byte)));

    std::string utf8;
    utf8.reserve(size);
    for (char byte : ansi)
        AppendUtf8(utf8, Windows1252CodePoint(static_cast<unsigned char>(byte)));
    return utf8;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const Utf8Character c = DecodeUtf8(text, pos);
        if (c.length == 0)
            return false;
        pos += c.length;
    }
    return true;
}

}  // namespace kennfix
