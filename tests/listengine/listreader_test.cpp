#include "listengine/internal/listreader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "listengine/errors.h"

namespace kennfix::listengine::internal {
namespace {

// Collects the rows as "line-lastLine encoding: cell|cell|".
class Collector : public RowSink {
public:
    void OnStart(InputForm form, char delimiter, std::string_view) override
    {
        this->form = form;
        this->delimiter = delimiter;
    }
    void OnRow(const InputRow& row) override
    {
        std::string text = std::to_string(row.line) + "-" + std::to_string(row.lastLine) + " " +
                           "AUW"[static_cast<int>(row.encoding)] + ":";
        for (std::size_t i = 0; i < row.size(); ++i)
            text += std::string(row.cell(i)) + "|";
        rows.push_back(text);
        plain.push_back(row.plain);
    }
    void OnProgress(std::uint64_t) override {}

    InputForm form = InputForm::Plain;
    char delimiter = 0;
    std::vector<std::string> rows;
    std::vector<bool> plain;
};

Collector Read(std::string_view input, ReaderOptions options = {})
{
    Collector sink;
    std::istringstream in{std::string(input)};
    ListReader(std::move(options), sink).Read(in);
    return sink;
}

TEST(ListReader, EveryRowWithItsLinesAndEncoding)
{
    const Collector c = Read("a;b\r\n\r\n\"x\r\ny\";M\xC3\xBCller\r\nM\xFCller;\"q\"\"\"\r\n;\n\nlast");
    EXPECT_EQ(c.rows, (std::vector<std::string>{
                          "1-1 A:a|b|",
                          "2-2 A:",             // a blank line is a row without cells
                          "3-4 U:x\r\ny|Müller|",  // a quoted line break: the row spans two lines
                          "5-5 W:M\xFC" "ller|q\"|",
                          "6-6 A:||",
                          "7-7 A:",
                          "8-8 A:last|",        // no line break at the end
                      }));
    EXPECT_EQ(c.delimiter, ';');
    EXPECT_EQ(c.form, InputForm::Plain);
}

// Lines without quotes are split at their delimiters, and their cells need no
// quotes when written back; line ends other than LF and CR LF, and lines cut
// by the end of a chunk read, are read by libcsv: each the same way.
TEST(ListReader, PlainLines)
{
    const Collector c = Read("a;b\r\n;\n\r\nx\ry;z\n\"q\";r\n" + std::string(70000, 'w') + ";v\n");
    EXPECT_EQ(c.rows, (std::vector<std::string>{
                          "1-1 A:a|b|",
                          "2-2 A:||",
                          "3-3 A:",
                          "4-4 A:x|",  // a lone CR ends a row too
                          "4-4 A:y|z|",
                          "5-5 A:q|r|",
                          "6-6 A:" + std::string(70000, 'w') + "|v|",
                      }));
    EXPECT_EQ(c.plain, (std::vector<bool>{true, true, true, true, true, false, true}));
}

// Spreadsheets read a quote inside an unquoted cell as a character; text
// after a quoted cell has no reading that is certain.
TEST(ListReader, QuotesInsideUnquotedCells)
{
    EXPECT_EQ(Read("Monitor 24\";Hans \"Hansi\" M.;\"\"\n").rows,
              (std::vector<std::string>{"1-1 A:Monitor 24\"|Hans \"Hansi\" M.||"}));
    try {
        Read("a;b\n\"x\"y;z\n");
        FAIL() << "no ListError";
    } catch (const ListError& e) {
        EXPECT_EQ(e.line(), 2u);
    }
}

TEST(ListReader, DelimiterFromTheHeaderLine)
{
    const std::pair<std::string_view, char> cases[] = {
        {"a;b;c\n", ';'},
        {"a,b,c\n", ','},
        {"a\tb\tc\n", '\t'},
        {"\n\n  \na,b\n", ','},        // blank lines first
        {"\"x;y;z\",a,b\n", ','},      // the ones in quotes do not count
        {"\"a\nb;c;d\",e,f\n", ','},   // a quoted line break
        {"abc\n", ';'},                // none at all
        {"", ';'},
    };
    for (const auto& [input, delimiter] : cases)
        EXPECT_EQ(Read(input).delimiter, delimiter) << input;

    // The header score outweighs the count.
    ReaderOptions options;
    options.headerScore = [](const InputRow& row) { return row.size() > 0 && row.cell(0) == "Name" ? 1 : 0; };
    EXPECT_EQ(Read("Name\tx,y,z\n", options).delimiter, '\t');
    options.delimiter = ';';
    EXPECT_EQ(Read("a,b,c\n", options).delimiter, ';');
}

TEST(ClassifyRow, ByTheBytesOfItsCells)
{
    // The cells of the row: the text cut in two halves.
    const auto classify = [](std::string_view text, Encoding encoding) {
        const std::string bytes = std::string(text.substr(0, text.size() / 2)) + ";" +
                                  std::string(text.substr(text.size() / 2));
        InputRow row;
        row.bytes = bytes;
        const std::uint32_t ends[] = {static_cast<std::uint32_t>(text.size() / 2),
                                      static_cast<std::uint32_t>(bytes.size())};
        row.ends = ends;
        return ClassifyRow(row, encoding);
    };
    EXPECT_EQ(classify("ascii", Encoding::Auto), RowEncoding::Ascii);
    EXPECT_EQ(classify("ascii", Encoding::Windows1252), RowEncoding::Ascii);
    EXPECT_EQ(classify("M\xC3\xBCller", Encoding::Auto), RowEncoding::Utf8);
    EXPECT_EQ(classify("M\xFCller", Encoding::Auto), RowEncoding::Windows1252);
    EXPECT_EQ(classify("M\xFCller", Encoding::Utf8), RowEncoding::Utf8);  // as asked, invalid or not
    EXPECT_EQ(classify("M\xC3\xBCller", Encoding::Windows1252), RowEncoding::Windows1252);
    // UTF-8 split between two cells is valid in neither.
    EXPECT_EQ(classify("ab\xC3\xBC" "cd", Encoding::Auto), RowEncoding::Windows1252);
}

// A character of four UTF-16 bytes cut by the end of a chunk read.
TEST(ListReader, Utf16AcrossChunks)
{
    std::u16string text(32766, u'a');  // the BOM and these fill the first 64 KiB but 2 bytes
    text += u"😀;b\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    ReaderOptions options;
    options.delimiter = ';';
    const Collector c = Read(bytes, options);
    ASSERT_EQ(c.rows.size(), 1u);
    EXPECT_EQ(c.rows[0], "1-1 U:" + std::string(32766, 'a') + "😀|b|");
    EXPECT_EQ(c.form, InputForm::Utf16LE);
}

}  // namespace
}  // namespace kennfix::listengine::internal
