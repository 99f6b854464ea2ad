// Input text in messages: what does not show is escaped, bytes that are no
// UTF-8 are named, and a shortened text never cuts an escape in two.

#include "listengine/messagetext.h"

#include <gtest/gtest.h>

namespace kennfix::listengine {
namespace {

TEST(ForMessage, EscapesWhatDoesNotShow)
{
    struct Case {
        const char* input;
        const char* shown;
    };
    const Case cases[] = {
        {"Müller", "Müller"},
        {"a\tb\r\nc", "a\\tb\\r\\nc"},
        {"\x1B[31m", "\\u001B[31m"},                  // a terminal's control sequence
        {"Meier\u202E", "Meier\\u202E"},                // a direction override
        {"x\u2028y", "x\\u2028y"},                      // a line separator
        {"M\xFCller", "M\\xFCller"},                    // Windows-1252, no UTF-8
        {"\xE2\x82", "\\xE2\\x82"},                     // a sequence cut short
        {"\xF3\xA0\x80\x81", "\\U000E0001"},            // a tag character, beyond the BMP
        {"Anne\u00A0Marie", "Anne\u00A0Marie"},         // a no-break space shows
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ForMessage(c.input), c.shown) << c.input;
        std::string appended = "Name: ";
        AppendForMessage(appended, c.input);
        EXPECT_EQ(appended, std::string("Name: ") + c.shown);
    }
}

TEST(ShortenedForMessage, CutsBetweenCharactersNeverInsideAnEscape)
{
    EXPECT_EQ(ShortenedForMessage("Schmidt", 7), "Schmidt");
    EXPECT_EQ(ShortenedForMessage("Schmidt", 6), "Schmid…");
    EXPECT_EQ(ShortenedForMessage("ab\tcd", 3), "ab…");  // "\t" takes two bytes
    EXPECT_EQ(ShortenedForMessage("ab\tcd", 4), "ab\\t…");
    EXPECT_EQ(ShortenedForMessage("Jürgen", 2), "J…");   // ü takes two bytes
}

TEST(GroupedNumber, AsGermanWritesIt)
{
    EXPECT_EQ(GroupedNumber(0), "0");
    EXPECT_EQ(GroupedNumber(1234), "1234");
    EXPECT_EQ(GroupedNumber(12345), "12.345");
    EXPECT_EQ(GroupedNumber(1234567), "1.234.567");
}

}  // namespace
}  // namespace kennfix::listengine
