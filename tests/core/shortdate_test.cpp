#include <gtest/gtest.h>

#include <optional>

#include "core/shortdate.h"

namespace kennfix {
namespace {

constexpr DateSettings kGerman{'.', DateOrder::DayMonthYear};
constexpr DateSettings kUs{'/', DateOrder::MonthDayYear};
constexpr DateSettings kIso{'-', DateOrder::YearMonthDay};

struct DateCase {
    std::string_view text;
    DateSettings settings;
    int currentYear;
    std::optional<Date> expected;  // nullopt: not a valid date
};

constexpr std::nullopt_t kInvalid = std::nullopt;

const DateCase kDateCases[] = {
    {"03.07.61", kGerman, 2026, Date{2061, 7, 3}},     // 00-75 are 2000-2075 in 2026
    {"03.07.61", kGerman, 1990, Date{1961, 7, 3}},
    {"3 .7 .61", kGerman, 2026, Date{2061, 7, 3}},     // half-filled day and month
    {"  3.  7.  61", kGerman, 2026, Date{2061, 7, 3}},  // blanks before every number
    {"03.07.61.", kGerman, 2026, Date{2061, 7, 3}},    // a trailing separator
    {"03.07.61 ", kGerman, 2026, Date{2061, 7, 3}},    // a trailing blank
    {"03.07.61 . ", kGerman, 2026, Date{2061, 7, 3}},  // both
    {"03.07.61..", kGerman, 2026, kInvalid},           // only one trailing separator is taken
    {"03.07.61x", kGerman, 2026, kInvalid},
    {"03.07.61\t", kGerman, 2026, kInvalid},           // only byte 32 is a blank
    {"03/07/61", kGerman, 2026, kInvalid},             // not the separator of the settings
    {"03.07", kGerman, 2026, Date{2026, 7, 3}},        // no year: the current one
    {"03.07.", kGerman, 2026, kInvalid},              // a separator promises a year
    {"07/03", kUs, 2026, Date{2026, 7, 3}},
    {"07/03/61", kUs, 1990, Date{1961, 7, 3}},
    {"61-07-03", kIso, 1990, Date{1961, 7, 3}},
    {"07-03", kIso, 2026, Date{2026, 7, 3}},           // without a year the month comes first
    {"1961-07-03", kIso, 2026, Date{1961, 7, 3}},
    // Two-digit years land within 50 years before and 49 after the current year.
    {"01.01.76", kGerman, 2026, Date{1976, 1, 1}},
    {"01.01.75", kGerman, 2026, Date{2075, 1, 1}},
    {"01.01.00", kGerman, 2026, Date{2000, 1, 1}},
    {"01.01.99", kGerman, 2026, Date{1999, 1, 1}},
    {"01.01.49", kGerman, 1999, Date{1949, 1, 1}},
    {"01.01.48", kGerman, 1999, Date{2048, 1, 1}},
    {"01.01.49", kGerman, 2000, Date{2049, 1, 1}},
    {"01.01.50", kGerman, 2000, Date{1950, 1, 1}},
    {"01.01.5", kGerman, 2026, Date{2005, 1, 1}},      // one digit widens as well
    {"01.01.005", kGerman, 2026, Date{5, 1, 1}},       // three digits do not
    {"01.01.0999", kGerman, 2026, Date{999, 1, 1}},
    {"01.01.9999", kGerman, 2026, Date{9999, 1, 1}},
    {"01.01.0000", kGerman, 2026, kInvalid},           // year 0
    {"01.01.10000", kGerman, 2026, kInvalid},          // digits stop at 1000, the last 0 is left over
    {"001.01.80", kGerman, 2026, Date{1980, 1, 1}},
    // 29 February: 1900 and 2100 are no leap years, 2000 is.
    {"29.02.1900", kGerman, 2026, kInvalid},
    {"29.02.2000", kGerman, 2026, Date{2000, 2, 29}},
    {"29.02.2100", kGerman, 2026, kInvalid},
    {"29.02.2024", kGerman, 2026, Date{2024, 2, 29}},
    {"29.02.00", kGerman, 2026, Date{2000, 2, 29}},
    {"29.02.00", kGerman, 1951, Date{2000, 2, 29}},
    {"29.02.00", kGerman, 2051, kInvalid},            // 2100, no leap year
    {"29.02.01", kGerman, 2026, kInvalid},
    {"31.04.80", kGerman, 2026, kInvalid},
    {"00.01.80", kGerman, 2026, kInvalid},
    {"01.13.80", kGerman, 2026, kInvalid},
    {"01.  .80", kGerman, 2026, kInvalid},             // blank month
    {"  .  .80", kGerman, 2026, kInvalid},             // only the year
    {"", kGerman, 2026, kInvalid},
    {".", kGerman, 2026, kInvalid},
    {"1.", kGerman, 2026, kInvalid},
};

TEST(ParseShortDate, Table)
{
    for (const DateCase& c : kDateCases) {
        SCOPED_TRACE(::testing::Message() << "'" << c.text << "' in " << c.currentYear);
        if (c.expected) {
            EXPECT_EQ(ParseShortDate(c.text, c.settings, c.currentYear), *c.expected);
        } else {
            EXPECT_THROW(ParseShortDate(c.text, c.settings, c.currentYear), DateConversionError);
        }
    }
}

// For any current year from 1951 to 2050, 29 February of YY is valid exactly
// when YY is divisible by 4, 00 included.
TEST(ParseShortDate, LeapDayOfTwoDigitYears)
{
    for (int current = 1951; current <= 2050; ++current) {
        for (int yy = 0; yy < 100; ++yy) {
            const std::string text = "29.02." + std::string(1, char('0' + yy / 10)) + char('0' + yy % 10);
            bool valid = true;
            try {
                ParseShortDate(text, kGerman, current);
            } catch (const DateConversionError&) {
                valid = false;
            }
            ASSERT_EQ(valid, yy % 4 == 0) << text << " in " << current;
        }
    }
}

// How the year was written, which lists check beyond what the window needs.
TEST(ReadShortDate, CountsTheDigitsOfTheYear)
{
    const std::pair<std::string_view, int> cases[] = {
        {"01.02.80", 2}, {"01.02.8", 1}, {"01.02.198", 3}, {"01.02.1980", 4}, {"01.02.0080", 4},
        {"01.02", 0},  // no year: the current one
    };
    for (const auto& [text, digits] : cases)
        EXPECT_EQ(ReadShortDate(text, kGerman, 2026).yearDigits, digits) << text;
    EXPECT_EQ(ReadShortDate("1961-07-03", kIso, 2026).yearDigits, 4);
    EXPECT_EQ(ReadShortDate("01.02.198", kGerman, 2026).date, (Date{198, 2, 1}));
}

TEST(ParseShortDate, MessageHoldsTheWholeText)
{
    try {
        ParseShortDate(" 1.2.3 x", kGerman, 2026);
        FAIL() << "no exception";
    } catch (const DateConversionError& e) {
        EXPECT_STREQ(e.what(), "' 1.2.3 x' is not a valid date");
    }
}

TEST(DateSettingsFrom, OrderFromTheFirstOfDMYE)
{
    const std::pair<std::string_view, DateOrder> cases[] = {
        {"dd.MM.yyyy", DateOrder::DayMonthYear},
        {"M/d/yy", DateOrder::MonthDayYear},
        {"yyyy-MM-dd", DateOrder::YearMonthDay},
        {"ee/MM/dd", DateOrder::YearMonthDay},   // era year
        {"'Heute' dd", DateOrder::YearMonthDay}, // the letters count wherever they stand
        {"", DateOrder::MonthDayYear},
        {"%%", DateOrder::MonthDayYear},
    };
    for (const auto& [format, order] : cases)
        EXPECT_EQ(DateOrderFromFormat(format), order) << format;

    const DateSettings german = DateSettingsFrom(".", "dd.MM.yyyy");
    EXPECT_EQ(german.separator, '.');
    EXPECT_EQ(german.order, DateOrder::DayMonthYear);
    EXPECT_EQ(DateSettingsFrom("", "").separator, '/');
    EXPECT_EQ(DateSettingsFrom("-/", "").separator, '-');
}

}  // namespace
}  // namespace kennfix
