// Many generated inputs: whatever comes in, the call yields an eTIN of 14
// characters, a missing-name result or a date conversion error.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <random>
#include <string_view>

#include "core/checkchar.h"
#include "core/etin.h"

namespace kennfix {
namespace {

class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    std::string Bytes(int maxLength)
    {
        std::string s(Pick(0, maxLength), '\0');
        for (char& c : s)
            c = static_cast<char>(Pick(0, 255));
        return s;
    }

    // Names made mostly of what the name rules look at: S, C, H, hyphens,
    // blanks, vowels, umlauts, ß, ×, small and accented letters.
    std::string Name()
    {
        static constexpr std::string_view kAlphabet =
            "SCHSCHschSCH- -AEIOUaeiouYyMNRT'\xC4\xE4\xD6\xF6\xDC\xFC\xDF\xD7\xC6\xE6\xBC\xBD\xC7\xE7\xA6\xA8\xC9\xE9\xFF";
        std::string s(Pick(1, Pick(0, 9) ? 12 : 40), '\0');
        for (char& c : s)
            c = Pick(0, 9) ? kAlphabet[Pick(0, kAlphabet.size() - 1)] : static_cast<char>(Pick(0, 255));
        return s;
    }

    // Mostly date-like texts, with the odd stray byte.
    std::string DateText()
    {
        static constexpr std::string_view kAlphabet = "0123456789012345678901234567890123456789  ..../-x";
        std::string s(Pick(0, 12), '\0');
        for (char& c : s)
            c = Pick(0, 20) == 0 ? static_cast<char>(Pick(0, 255)) : kAlphabet[Pick(0, kAlphabet.size() - 1)];
        return s;
    }

    DateSettings Settings()
    {
        static constexpr char kSeparators[] = {'.', '/', '-', ' ', '0'};
        static constexpr DateOrder kOrders[] = {DateOrder::DayMonthYear, DateOrder::MonthDayYear,
                                                DateOrder::YearMonthDay};
        return {kSeparators[Pick(0, 4)], kOrders[Pick(0, 2)]};
    }

    int Pick(std::size_t low, std::size_t high)
    {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(low, high)(m_random));
    }

private:
    std::mt19937 m_random;
};

TEST(ComputeEtinProperty, AlwaysOneOfThreeOutcomes)
{
    Generator gen(20261210);
    int computed = 0;
    int rejectedDates = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::string family = gen.Bytes(40);
        const std::string first = gen.Bytes(40);
        const std::string date = i % 2 ? gen.DateText() : std::string(kEmptyDateText);
        const DateSettings settings = i % 3 ? DateSettings{} : gen.Settings();
        const int year = gen.Pick(1951, 2100);
        try {
            const EtinResult r = ComputeEtin(family, first, date, settings, year);
            switch (r.kind) {
            case EtinResult::Ok:
                ASSERT_EQ(r.etin.size(), 14u);
                ASSERT_TRUE(r.etin[13] >= 'A' && r.etin[13] <= 'Z');
                ASSERT_EQ(CheckCharacter(r.etin), r.etin[13]);
                ++computed;
                break;
            case EtinResult::FamilyNameMissing:
                ASSERT_TRUE(family.empty());
                break;
            case EtinResult::FirstNameMissing:
                ASSERT_TRUE(!family.empty() && first.empty());
                break;
            default:
                FAIL() << "unknown result kind " << r.kind;
            }
        } catch (const DateConversionError& e) {
            const std::string converted = date == kEmptyDateText ? "01.01.00" : date;
            // what() is a C string: a NUL in the text ends it there.
            ASSERT_STREQ(e.what(), ("'" + converted + "' is not a valid date").c_str());
            ++rejectedDates;
        }
    }
    // The generator must reach both the calculation and the date errors.
    EXPECT_GT(computed, 10000);
    EXPECT_GT(rejectedDates, 10000);
}

// The name rules done step by step on whole strings, as plainly as they are
// stated, to hold the one-pass reading of the calculation against.
std::string NameCodeStepByStep(const std::string& typed)
{
    std::string name = FoldAccents(UpperCase(typed));
    for (std::size_t at; (at = name.find("SCH")) != std::string::npos;)
        name.replace(at, 3, "Y");
    std::erase(name, '-');
    std::erase(name, ' ');

    std::string expanded;
    for (const char c : name) {
        switch (static_cast<unsigned char>(c)) {
        case 196: case 198: case 228: case 230: expanded += "AE"; break;
        case 188: case 189: case 214: case 246: expanded += "OE"; break;
        case 220: case 252: expanded += "UE"; break;
        case 223: expanded += "SS"; break;
        case 215: break;
        default: expanded += c; break;
        }
    }

    const auto isVowel = [](char c) { return c != '\0' && std::string_view("AEIOU").find(c) != std::string_view::npos; };
    std::string code;
    std::copy_if(expanded.begin(), expanded.end(), std::back_inserter(code), std::not_fn(isVowel));
    if (code.size() >= 4)
        return code.substr(0, 4);
    std::copy_if(expanded.rbegin(), expanded.rend(), std::back_inserter(code), isVowel);
    code.resize(4, 'X');
    return code;
}

TEST(ComputeEtinProperty, NameCodesAsTheRulesDoThemStepByStep)
{
    Generator gen(20261211);
    for (int i = 0; i < 200000; ++i) {
        const std::string family = gen.Name();
        const std::string first = gen.Name();
        const EtinResult r = ComputeEtin(family, first, "01.02.80", DateSettings{}, 2026);
        ASSERT_EQ(r.etin.substr(0, 4), NameCodeStepByStep(family)) << testing::PrintToString(family);
        ASSERT_EQ(r.etin.substr(4, 4), NameCodeStepByStep(first)) << testing::PrintToString(first);
    }
}

}  // namespace
}  // namespace kennfix
