#include "core/etin.h"

#include <gtest/gtest.h>

#include "core/cp1252.h"
#include "tests/data/referencecases.h"

namespace kennfix {
namespace {

constexpr int kYear = test::kReferenceYear;

EtinResult Compute(std::string_view family, std::string_view first, std::string_view date)
{
    return ComputeEtin(Utf8ToWindows1252(family).text, Utf8ToWindows1252(first).text, std::string(date), DateSettings{}, kYear);
}

// The reference cases: names as typed, German settings, in the cases' year.
TEST(ComputeEtin, ReferenceCases)
{
    for (const test::ReferenceCase& c : test::ReferenceCases()) {
        const EtinResult r = Compute(c.familyName, c.firstName, c.date);
        EXPECT_EQ(r.kind, EtinResult::Ok) << c.name;
        EXPECT_EQ(Windows1252ToUtf8(r.etin), c.etin) << c.name;
    }
}

// For a date read already, the eTIN is the one of the date's text.
TEST(ComputeEtin, DateReadAlready)
{
    for (const test::ReferenceCase& c : test::ReferenceCases()) {
        const std::string text = c.date == kEmptyDateText ? "01.01.00" : c.date;
        const Date date = ParseShortDate(text, DateSettings{}, kYear);
        const EtinResult r =
            ComputeEtin(Utf8ToWindows1252(c.familyName).text, Utf8ToWindows1252(c.firstName).text, date);
        EXPECT_EQ(r.kind, EtinResult::Ok) << c.name;
        EXPECT_EQ(Windows1252ToUtf8(r.etin), c.etin) << c.name;
    }
    EXPECT_EQ(ComputeEtin("", "Li", Date{1980, 2, 1}).kind, EtinResult::FamilyNameMissing);
    EXPECT_EQ(ComputeEtin("Meier", "", Date{1980, 2, 1}).kind, EtinResult::FirstNameMissing);
}

// A trailing separator or blank, which the window's date field never holds
// but other callers may pass, changes nothing.
TEST(ComputeEtin, TrailingSeparatorOrBlank)
{
    const EtinResult plain = Compute("Müller", "Hans", "01.02.80");
    ASSERT_EQ(plain.kind, EtinResult::Ok);
    EXPECT_EQ(Compute("Müller", "Hans", "01.02.80.").etin, plain.etin);
    EXPECT_EQ(Compute("Müller", "Hans", "01.02.80 ").etin, plain.etin);
}

TEST(ComputeEtin, MissingNamesAreReportedBeforeTheDateIsRead)
{
    EXPECT_EQ(Compute("", "", "xx").kind, EtinResult::FamilyNameMissing);
    EXPECT_EQ(Compute("", "Li", "01.02.80").kind, EtinResult::FamilyNameMissing);
    EXPECT_EQ(Compute("Meier", "", "31.02.80").kind, EtinResult::FirstNameMissing);
    EXPECT_TRUE(Compute("Meier", "", "01.02.80").etin.empty());
}

TEST(ComputeEtin, InvalidDateThrowsWithTheTextInTheMessage)
{
    try {
        Compute("Meier", "Li", "29.02.01");
        FAIL() << "no exception";
    } catch (const DateConversionError& e) {
        EXPECT_STREQ(e.what(), "'29.02.01' is not a valid date");
    }
    for (std::string_view date : {"31.04.80", "00.01.80", "01.  .80", "  .  .80", "31.02.80", "01.02.80x", "01.02.80.."})
        EXPECT_THROW(Compute("Meier", "Li", date), DateConversionError) << date;
}

// The empty date text and its stand-in 01.01.00 are German texts; under
// other settings neither the field's empty text nor the stand-in reads.
TEST(ComputeEtin, EmptyDateTextUnderOtherSettings)
{
    const DateSettings us{'/', DateOrder::MonthDayYear};
    EXPECT_THROW(ComputeEtin("Otto", "Ute", "  /  /  ", us, kYear), DateConversionError);
    try {
        ComputeEtin("Otto", "Ute", "  .  .  ", us, kYear);
        FAIL() << "no exception";
    } catch (const DateConversionError& e) {
        EXPECT_STREQ(e.what(), "'01.01.00' is not a valid date");
    }
    EXPECT_EQ(ComputeEtin("Otto", "Ute", "02/01/80", us, kYear).etin.substr(8, 5), "80B01");
}

// Years of three or more digits below 1000 can only come from text typed
// elsewhere; the last two digits of the four-digit form are used.
TEST(ComputeEtin, ShortFourDigitYears)
{
    EXPECT_EQ(Compute("Meier", "Li", "01.02.0999").etin.substr(8, 5), "99B01");
    EXPECT_EQ(Compute("Meier", "Li", "01.02.005").etin.substr(8, 5), "05B01");
    EXPECT_EQ(Compute("Meier", "Li", "01.02.1961").etin.substr(8, 5), "61B01");
}

TEST(MakeDateCode, Layout)
{
    EXPECT_EQ(MakeDateCode(1961, 7, 3), "61G03");
    EXPECT_EQ(MakeDateCode(2000, 1, 1), "00A01");
    EXPECT_EQ(MakeDateCode(1999, 12, 31), "99L31");
    EXPECT_EQ(MakeDateCode(999, 2, 29), "99B29");
}

TEST(NormaliseName, Steps)
{
    EXPECT_EQ(NormaliseName(Utf8ToWindows1252("Schön-Schulze").text), Utf8ToWindows1252("YÖNYULZE").text);
    EXPECT_EQ(NormaliseName(Utf8ToWindows1252("José María").text), "JOSEMARIA");
    EXPECT_EQ(NormaliseName("S-CHULZ"), "SCHULZ");
    EXPECT_EQ(NormaliseName("S CHULZ"), "SCHULZ");
    EXPECT_EQ(NormaliseName("SSCHCH"), "SYCH");
    EXPECT_EQ(NormaliseName("SCHSCHSCH"), "YYY");
    EXPECT_EQ(NormaliseName(" - "), "");
    EXPECT_EQ(NormaliseName("o'neill"), "O'NEILL");
    EXPECT_EQ(NormaliseName(Utf8ToWindows1252("weiß").text), Utf8ToWindows1252("WEIß").text);
}

// Every byte of both tables against the rules they implement.
TEST(UpperCase, Windows1252CaseMapping)
{
    for (int b = 0; b < 256; ++b) {
        int expected = b;
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
            expected = b - 0x20;
        else if (b == 0x9A || b == 0x9C || b == 0x9E)  // š œ ž
            expected = b - 0x10;
        else if (b == 0xFF)  // ÿ
            expected = 0x9F;
        const std::string in(1, static_cast<char>(b));
        EXPECT_EQ(static_cast<unsigned char>(UpperCase(in)[0]), expected) << "byte " << b;
    }
}

TEST(FoldAccents, Table)
{
    const std::pair<std::string_view, std::string_view> groups[] = {
        {"ÀÁÂÃÅàáâãäå", "AAAAAAAAAAA"},
        {"Çç", "CC"}, {"Ðð", "DD"}, {"ÈÉÊËèéêë", "EEEEEEEE"}, {"ÌÍÎÏìíîï", "IIIIIIII"}, {"Ññ", "NN"},
        {"ÒÓÔÕØòóôõø", "OOOOOOOOOO"}, {"¦¨", "SS"}, {"ÙÚÛùúû", "UUUUUU"}, {"y¾Ýýÿ", "YYYYY"}, {"´¸", "ZZ"},
        {"ÄÆÖ×ÜÞßæöüþ÷", "ÄÆÖ×ÜÞßæöüþ÷"},  // left for the name code
    };
    for (const auto& [in, out] : groups)
        EXPECT_EQ(FoldAccents(Utf8ToWindows1252(in).text), Utf8ToWindows1252(out).text) << in;
    EXPECT_EQ(FoldAccents("\x8A\x8C\x8E\x9F"), "\x8A\x8C\x8E\x9F");  // Windows-1252 Š Œ Ž Ÿ stay
    EXPECT_EQ(FoldAccents(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace kennfix
