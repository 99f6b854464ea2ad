#include "listengine/internal/listwriter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kennfix::listengine::internal {
namespace {

struct ConvertCase {
    std::string_view cell;
    RowEncoding from;
    Encoding output;
    std::string_view text;
    bool lost;
};

constexpr ConvertCase kConvertCases[] = {
    {"Müller", RowEncoding::Utf8, Encoding::Utf8, "Müller", false},
    {"M\xFCller", RowEncoding::Windows1252, Encoding::Utf8, "Müller", false},
    {"M\xFCller \x80", RowEncoding::Windows1252, Encoding::Utf16LE, "Müller €", false},  // UTF-16 is made from UTF-8
    {"Müller €", RowEncoding::Utf8, Encoding::Windows1252, "M\xFCller \x80", false},
    {"M\xFCller", RowEncoding::Windows1252, Encoding::Windows1252, "M\xFCller", false},
    {"Łódź", RowEncoding::Utf8, Encoding::Windows1252, "L\xF3" "dz", true},  // base letters
    {"北京", RowEncoding::Utf8, Encoding::Windows1252, "??", true},           // never an empty cell
    {"a\u0308", RowEncoding::Utf8, Encoding::Windows1252, "a?", true},
    {"M\xFCller", RowEncoding::Utf8, Encoding::Utf8, "M\xFCller", false},     // bytes no UTF-8 stay as they are
    {"M\xFCller", RowEncoding::Utf8, Encoding::Windows1252, "M?ller", true},
    {"M\xFCller", RowEncoding::Utf8, Encoding::Utf16BE, "M\uFFFDller", true},
    {"plain", RowEncoding::Ascii, Encoding::Windows1252, "plain", false},
};

TEST(ConvertCell, Table)
{
    for (const ConvertCase& c : kConvertCases) {
        std::string scratch;
        bool lost = false;
        EXPECT_EQ(ConvertCell(c.cell, c.from, c.output, scratch, lost), c.text) << c.cell;
        EXPECT_EQ(lost, c.lost) << c.cell;
    }
}

TEST(AppendOwnText, EscapesWhatWindows1252Lacks)
{
    std::string out;
    AppendOwnText(out, "„Ω“ enthält 😀", Encoding::Windows1252);
    EXPECT_EQ(out, "\x84\\u03A9\x93 enth\xE4lt \\U0001F600");
}

TEST(AppendCsvCell, QuotesOnlyWhatMustBe)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"plain", "plain"}, {"", ""}, {" blanks ", " blanks "}, {"a;b", "\"a;b\""},
        {"24\"", "\"24\"\"\""}, {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""}, {"a,b", "a,b"},
    };
    for (const auto& [cell, csv] : cases) {
        std::string out;
        AppendCsvCell(out, cell, ';');
        EXPECT_EQ(out, csv) << cell;
    }
}

TEST(ListWriter, Utf16WithByteOrderMarkAndSurrogates)
{
    for (Encoding e : {Encoding::Utf16LE, Encoding::Utf16BE}) {
        std::ostringstream out;
        ListWriter writer(out);
        writer.Start(e, false, '\t', "\r\n");
        const std::string_view cells[] = {"ä", "😀"};
        writer.WriteRow(cells);
        writer.Finish();
        const std::string le("\xFF\xFE\xE4\x00\t\x00\x3D\xD8\x00\xDE\r\x00\n\x00", 14);
        const std::string be("\xFE\xFF\x00\xE4\x00\t\xD8\x3D\xDE\x00\x00\r\x00\n", 14);
        EXPECT_EQ(out.str(), e == Encoding::Utf16LE ? le : be);
    }
}

}  // namespace
}  // namespace kennfix::listengine::internal
