#include "core/namechars.h"

#include <gtest/gtest.h>

namespace kennfix {
namespace {

using enum NameCharacterClass;

struct ClassCase {
    char32_t c;
    NameCharacterClass cls;
};

constexpr ClassCase kClassCases[] = {
    {U'A', Letter}, {U'z', Letter}, {U'ß', Letter}, {U'Ł', Letter}, {U'ẞ', Letter}, {U'王', Letter},
    {0x20000, Letter},    // a CJK ideograph of extension B, given in the database as a range
    {0x0308, Letter},     // a combining mark belongs to its letter
    {U' ', Blank}, {U'\t', Blank}, {0x00A0, Blank}, {0x2009, Blank}, {0x3000, Blank},
    {U'-', Hyphen}, {0x2010, Hyphen}, {0x2011, Hyphen}, {0x2013, Hyphen}, {0x2014, Hyphen},
    {U'\'', Apostrophe}, {0x2019, Apostrophe},
    {0x2018, Other},      // the opening quotation mark is no apostrophe
    {0x00B4, Other},      // nor is the acute accent
    {0x02BC, Other},      // modifier letter apostrophe: a modifier letter, no letter of a name
    {0x02C6, Other},      // modifier letter circumflex, byte 0x88 in Windows-1252
    {0x2212, Other},      // minus sign: mathematics, no dash
    {U'0', Other}, {U'.', Other}, {U'=', Other}, {U'@', Other}, {U'"', Other}, {U';', Other},
    {U'\n', Control}, {0x7F, Control}, {0x85, Control}, {0x00AD, Control}, {0x200B, Control},
    {0x202E, Control}, {0x2028, Control}, {0xFEFF, Control},  // direction override, line separator, BOM
    {0x1F600, Other}, {0x0378, Other},  // a symbol, an unassigned code point
    {0x10FFFF, Other}, {0x110000, Other},
};

TEST(ClassifyNameCharacter, Table)
{
    for (const ClassCase& c : kClassCases)
        EXPECT_EQ(ClassifyNameCharacter(c.c), c.cls) << "U+" << std::hex << static_cast<unsigned long>(c.c);
}

}  // namespace
}  // namespace kennfix
