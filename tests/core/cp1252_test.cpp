#include "core/cp1252.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <string>

namespace kennfix {
namespace {

std::string Hex(std::string_view bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    return out;
}

std::string Utf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// glibc's converter, an implementation of its own, is the reference for the
// defined bytes; it refuses the five undefined ones.
std::string IconvToUtf8(unsigned char byte, bool& defined)
{
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    char in[1] = {static_cast<char>(byte)};
    char out[8];
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    defined = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    return std::string(out, outPtr);
}

TEST(Windows1252, DefinedBytesConvertAsGlibcDoesAndBack)
{
    int defined = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        bool isDefined = false;
        const std::string reference = IconvToUtf8(static_cast<unsigned char>(b), isDefined);
        const std::string utf8 = Windows1252ToUtf8(byte);
        if (isDefined) {
            ++defined;
            EXPECT_EQ(utf8, reference) << "byte " << Hex(byte);
        }
        const Windows1252Text back = Utf8ToWindows1252(utf8);
        EXPECT_EQ(back.text, byte) << "byte " << Hex(byte);
        EXPECT_TRUE(back.unmapped.empty()) << "byte " << Hex(byte);
    }
    EXPECT_EQ(defined, 251);
}

TEST(Windows1252, UndefinedBytesAreTheirC1Controls)
{
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(Windows1252ToUtf8(std::string(1, static_cast<char>(b))), Utf8(b)) << Hex(std::string(1, b));
    // The other C1 controls are not in the code page: 0x80 is the euro sign.
    EXPECT_EQ(Utf8ToWindows1252(Utf8(0x80)).unmapped, std::vector<char32_t>{0x80});
}

TEST(Windows1252, WholeTextRoundTrip)
{
    std::string all;
    for (int b = 255; b >= 0; --b)
        all += static_cast<char>(b);
    const std::string utf8 = Windows1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToWindows1252(utf8).text, all);
}

struct BaseLetterCase {
    std::string_view utf8;
    std::string_view windows1252;
};

constexpr BaseLetterCase kBaseLetterCases[] = {
    {"Łukasiewicz", "Lukasiewicz"},  // stroke, no decomposition: from the character name
    {"Ştefănescu", "Stefanescu"},    // cedilla and breve decompose
    {"Ștefan", "Stefan"},            // comma below
    {"Erdoğan Yıldız", "Erdogan Yildiz"},  // dotless i
    {"İnce", "Ince"},                // capital I with dot above
    {"Gödöllő", "G\xF6" "d\xF6" "llo"},    // double acute to o; ö stays ö
    {"ǟ", "\xE4"},                   // a with diaeresis and macron: ä, which is in the code page
    {"Ḁ", "A"},                      // Latin Extended Additional
    {"Nguyễn", "Nguy\xEAn"},         // circumflex and tilde: ê is in the code page
    {"Đorđević", "Dordevic"},
    {"ẞ", "\xDF"},                   // capital sharp s: the code page has only ß
    {"Ĳsselmeer", "IJsselmeer"},     // ligature: both letters
    {"Ǆ", "D\x8E"},                  // DŽ, with Ž from the code page
    {"ſ", "s"},                      // long s
    {"ĸ", "q"},                      // kra
    {"Ŋŋ", "Nn"},                    // eng
    {"Ɛɔ", "Eo"},                    // open e and open o, capital and small
    {"Ǿ", "\xD8"},                   // O with stroke and acute: Ø
    {"Dvořák", "Dvor\xE1k"},         // á is in the code page and stays
    {"€ Š Œ Ž š œ ž Ÿ ƒ", "\x80 \x8A \x8C \x8E \x9A \x9C \x9E \x9F \x83"},
    {"„Müller“ – ‘x’ …", "\x84M\xFCller\x93 \x96 \x91x\x92 \x85"},
    {"\u212A\u212B", "K\xC5"},       // Kelvin and Angstrom signs are K and Å by decomposition
};

TEST(Utf8ToWindows1252, BaseLetters)
{
    for (const BaseLetterCase& c : kBaseLetterCases) {
        const Windows1252Text r = Utf8ToWindows1252(c.utf8);
        EXPECT_EQ(Hex(r.text), Hex(c.windows1252)) << c.utf8;
        EXPECT_TRUE(r.unmapped.empty()) << c.utf8;
    }
}

struct UnmappedCase {
    std::string_view utf8;
    std::string_view windows1252;
    std::vector<char32_t> unmapped;
};

const UnmappedCase kUnmappedCases[] = {
    {"王小明", "", {0x738B, 0x5C0F, 0x660E}},
    {"Ana😀Lu", "AnaLu", {0x1F600}},
    {"Ωmega", "mega", {0x03A9}},
    {"\u2126", "", {0x2126}},          // ohm sign decomposes to Greek capital omega
    {"Əliyev", "liyev", {0x018F}},     // schwa is a letter of its own
    {"Mu\u0308ller", "Muller", {0x0308}},  // a lone combining mark is no letter
    {"a\u2260b", "ab", {0x2260}},      // not equal to must not become "="
    {"\xEF\xBF\xBD", "", {0xFFFD}},    // a real replacement character
    {"\U0010FFFF", "", {0x10FFFF}},
};

TEST(Utf8ToWindows1252, UnmappedCharactersAreListedAndLeftOut)
{
    for (const UnmappedCase& c : kUnmappedCases) {
        const Windows1252Text r = Utf8ToWindows1252(c.utf8);
        EXPECT_EQ(r.text, c.windows1252) << c.utf8;
        EXPECT_EQ(r.unmapped, c.unmapped) << c.utf8;
    }
}

constexpr char32_t kBad = 0xFFFD;

const UnmappedCase kInvalidUtf8Cases[] = {
    {"\xFF", "", {kBad}},
    {"A\x80" "B", "AB", {kBad}},                          // lone continuation byte
    {"\xC3", "", {kBad}},                                 // cut off at the end
    {"\xC3" "A", "A", {kBad}},                            // cut off before an ASCII letter
    {"\xE2\x82", "", {kBad, kBad}},                       // one per bad byte
    {"\xC0\xAF", "", {kBad, kBad}},                       // overlong "/"
    {"\xE0\x80\xAF", "", {kBad, kBad, kBad}},             // overlong "/"
    {"\xED\xA0\x80", "", {kBad, kBad, kBad}},             // surrogate
    {"\xF4\x90\x80\x80", "", {kBad, kBad, kBad, kBad}},   // above U+10FFFF
    {"\xF5\x80", "", {kBad, kBad}},
    {"M\xFCller", "Mller", {kBad}},                       // Windows-1252 taken for UTF-8
    {"\xE2\x82\xE2\x82\xAC", "\x80", {kBad, kBad}},       // a cut sequence, then a whole one
    {std::string_view("a\0b", 3), std::string_view("a\0b", 3), {}},
};

TEST(Utf8ToWindows1252, InvalidUtf8CountsOnePerBadByte)
{
    for (const UnmappedCase& c : kInvalidUtf8Cases) {
        const Windows1252Text r = Utf8ToWindows1252(c.utf8);
        EXPECT_EQ(Hex(r.text), Hex(c.windows1252)) << Hex(c.utf8);
        EXPECT_EQ(r.unmapped, c.unmapped) << Hex(c.utf8);
        EXPECT_EQ(IsValidUtf8(c.utf8), c.unmapped.empty()) << Hex(c.utf8);
    }
}

// Every code point either converts without a "?" (unless it is one) or is
// listed as the only unmapped character.
TEST(Utf8ToWindows1252, EveryCodePointConvertsOrIsListed)
{
    int mapped = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const Windows1252Text r = Utf8ToWindows1252(Utf8(c));
        if (r.unmapped.empty()) {
            ASSERT_TRUE(r.text.size() == 1 || r.text.size() == 2) << "U+" << std::hex << static_cast<unsigned long>(c);
            ASSERT_TRUE(c == '?' || r.text.find('?') == std::string::npos) << "U+" << std::hex << static_cast<unsigned long>(c);
            ++mapped;
        } else {
            ASSERT_EQ(r.unmapped, std::vector<char32_t>{c}) << "U+" << std::hex << static_cast<unsigned long>(c);
            ASSERT_TRUE(r.text.empty()) << "U+" << std::hex << static_cast<unsigned long>(c);
        }
    }
    // The 256 bytes, at least Latin Extended-A (128) and most letters of
    // Latin Extended-B and Latin Extended Additional.
    EXPECT_GT(mapped, 256 + 128 + 300);
}

TEST(Utf8ToWindows1252, LatinExtendedAIsCoveredCompletely)
{
    for (char32_t c = 0x100; c <= 0x17F; ++c)
        EXPECT_TRUE(Utf8ToWindows1252(Utf8(c)).unmapped.empty()) << "U+" << std::hex << static_cast<unsigned long>(c);
}

}  // namespace
}  // namespace kennfix
