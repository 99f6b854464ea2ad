#include "core/checkchar.h"

#include <gtest/gtest.h>

#include <string>

namespace kennfix {
namespace {

TEST(CheckCharacter, Examples)
{
    EXPECT_EQ(CheckCharacter("MLLRHNSA80B01"), 'H');
    EXPECT_EQ(CheckCharacter("XXXXXXXX10J10"), 'Z');
    EXPECT_EQ(CheckCharacter("TTOOTEUX00I09"), 'A');
}

TEST(CheckCharacter, ReadsExactlyThirteen)
{
    EXPECT_EQ(CheckCharacter("MLLRHNSA80B01H and more"), 'H');
    EXPECT_THROW(CheckCharacter("MLLRHNSA80B0"), std::length_error);
}

TEST(CheckValue, OddPositions)
{
    const std::pair<char, int> cases[] = {
        {'0', 1}, {'A', 1}, {'1', 0}, {'B', 0}, {'9', 21}, {'J', 21}, {'K', 2}, {'M', 18},
        {'O', 11}, {'X', 23}, {'Y', 24}, {'Z', 25}, {'\'', 0}, {'a', 0}, {'\xC4', 0},
    };
    for (const auto& [c, value] : cases)
        EXPECT_EQ(CheckValue(static_cast<unsigned char>(c), 13), value) << c;
}

TEST(CheckValue, EvenPositionsWrapInEightBits)
{
    const std::pair<unsigned char, int> cases[] = {
        {'0', 0}, {'9', 9}, {'A', 0}, {'Z', 25}, {'\'', 247}, {'.', 254}, {'@', 16}, {138, 73}, {255, 190}, {0, 208},
    };
    for (const auto& [c, value] : cases)
        EXPECT_EQ(CheckValue(c, 2), value) << int(c);
}

// Whatever the body holds, the result is a capital letter.
TEST(CheckCharacter, AlwaysACapital)
{
    std::string body(13, '\0');
    for (int b = 0; b < 256; ++b) {
        body.assign(13, static_cast<char>(b));
        const char c = CheckCharacter(body);
        EXPECT_TRUE(c >= 'A' && c <= 'Z') << "byte " << b;
    }
}

}  // namespace
}  // namespace kennfix
