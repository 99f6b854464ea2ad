// The conversion between UTF-8 and Windows-1252 on arbitrary bytes, well-formed
// UTF-8 or not.
//
// The input is decoded a second time here, by a strict decoder of this file's
// own, and the conversion must be the sum of its characters: each character
// either converts on its own to the bytes it adds to the text, or is listed as
// unmapped, in the order of the input, with one U+FFFD for each byte that
// starts no well-formed sequence. A "?" in the text is always a "?" of the
// input, and a character of the code page is itself and converts back.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1252.h"
#include "fuzz/check.h"

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    std::size_t length;  // 0: the byte at the position starts no well-formed sequence
};

// The length from the lead byte, then continuation bytes 10xxxxxx, then the
// value: not overlong, no surrogate, not above U+10FFFF.
Decoded DecodeAt(std::string_view text, std::size_t pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80 ? 1 : lead >> 5 == 0x06 ? 2 : lead >> 4 == 0x0E ? 3 : lead >> 3 == 0x1E ? 4 : 0;
    if (length == 0 || text.size() - pos < length)
        return {kReplacementCharacter, 0};

    constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t c = lead & kLeadBits[length];
    for (std::size_t i = 1; i < length; ++i) {
        if (byte(i) >> 6 != 0x02)
            return {kReplacementCharacter, 0};
        c = (c << 6) | (byte(i) & 0x3F);
    }
    if (c < kSmallest[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return {kReplacementCharacter, 0};
    return {c, length};
}

// The 256 characters of the code page and their bytes, taken from the
// conversion the other way (which the unit tests hold against glibc's).
const std::map<char32_t, char>& CodePage()
{
    static const std::map<char32_t, char> codePage = [] {
        std::map<char32_t, char> characters;
        for (int b = 0; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            const std::string utf8 = kennfix::Windows1252ToUtf8(byte);
            const Decoded d = DecodeAt(utf8, 0);
            FUZZ_CHECK(d.length == utf8.size());
            characters.emplace(d.codePoint, byte[0]);
        }
        FUZZ_CHECK(characters.size() == 256);
        return characters;
    }();
    return codePage;
}

void CheckUtf8ToWindows1252(std::string_view input)
{
    std::string text;
    std::vector<char32_t> unmapped;
    bool wellFormed = true;
    for (std::size_t pos = 0; pos < input.size();) {
        const Decoded d = DecodeAt(input, pos);
        if (d.length == 0) {
            unmapped.push_back(kReplacementCharacter);
            wellFormed = false;
            ++pos;
            continue;
        }
        const std::string_view character = input.substr(pos, d.length);
        pos += d.length;

        const kennfix::Windows1252Text alone = kennfix::Utf8ToWindows1252(character);
        const auto inCodePage = CodePage().find(d.codePoint);
        if (!alone.unmapped.empty()) {
            FUZZ_CHECK(alone.unmapped == std::vector<char32_t>{d.codePoint});
            FUZZ_CHECK(alone.text.empty());
            FUZZ_CHECK(inCodePage == CodePage().end());
            unmapped.push_back(d.codePoint);
            continue;
        }
        FUZZ_CHECK(alone.text.size() == 1 || alone.text.size() == 2);
        FUZZ_CHECK(d.codePoint == U'?' || alone.text.find('?') == std::string::npos);
        if (inCodePage != CodePage().end()) {
            FUZZ_CHECK(alone.text == std::string(1, inCodePage->second));
            FUZZ_CHECK(kennfix::Windows1252ToUtf8(alone.text) == character);
        }
        text += alone.text;
    }

    const kennfix::Windows1252Text whole = kennfix::Utf8ToWindows1252(input);
    FUZZ_CHECK(whole.text == text);
    FUZZ_CHECK(whole.unmapped == unmapped);
    FUZZ_CHECK(kennfix::IsValidUtf8(input) == wellFormed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckUtf8ToWindows1252(input);

    // Any bytes read as Windows-1252 give well-formed UTF-8 that converts
    // back to them unchanged.
    const std::string utf8 = kennfix::Windows1252ToUtf8(input);
    FUZZ_CHECK(kennfix::IsValidUtf8(utf8));
    const kennfix::Windows1252Text back = kennfix::Utf8ToWindows1252(utf8);
    FUZZ_CHECK(back.text == input);
    FUZZ_CHECK(back.unmapped.empty());
    return 0;
}
