// The cell splitter against the dialect's hard cases, and against libcsv on
// well-formed lists, where both must split alike.

#include "listengine/internal/cellsplitter.h"

#include <csv.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kennfix::listengine::internal {
namespace {

// Rows as text: cells joined by "|", each row followed by its terminator as
// "\r", "\n" or "$" for the end of the input.
struct Recorder final : CellSink {
    void OnCell(std::string_view cell) override
    {
        if (!inRow)
            inRow = true;
        else
            text += '|';
        text += cell;
    }
    void OnRowEnd(int terminator) override
    {
        text += terminator == '\r' ? "\\r" : terminator == '\n' ? "\\n" : "$";
        inRow = false;
    }
    std::string text;
    bool inRow = false;
};

struct Split {
    std::string rows;
    bool ok;
};

// In pieces of `pieceSize` bytes, as lines and chunks come.
Split SplitOurs(std::string_view input, CellSplitter::Dialect dialect, std::size_t pieceSize)
{
    CellSplitter splitter(dialect, ';');
    Recorder rows;
    for (std::size_t pos = 0; pos < input.size(); pos += pieceSize)
        if (!splitter.Split(input.substr(pos, pieceSize), rows))
            return {rows.text, false};
    const bool ok = splitter.Finish(rows);
    return {rows.text, ok};
}

Split SplitWithLibcsv(std::string_view input, CellSplitter::Dialect dialect)
{
    Recorder rows;
    csv_parser parser;
    csv_init(&parser, dialect == CellSplitter::Dialect::Strict ? CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL : 0);
    csv_set_delim(&parser, ';');
    csv_set_space_func(&parser, [](unsigned char) { return 0; });
    const auto onCell = [](void* data, std::size_t size, void* self) {
        static_cast<Recorder*>(self)->OnCell({static_cast<const char*>(data), size});
    };
    const auto onRow = [](int terminator, void* self) { static_cast<Recorder*>(self)->OnRowEnd(terminator); };
    bool ok = csv_parse(&parser, input.data(), input.size(), onCell, onRow, &rows) == input.size();
    ok = ok && csv_fini(&parser, onCell, onRow, &rows) == 0;
    csv_free(&parser);
    return {rows.text, ok};
}

struct Case {
    const char* name;
    const char* input;
    const char* strict;   // rows, or "error"
    const char* lenient;
};

// The dialect where lists are hard to read.
const Case kCases[] = {
    {"plain", "a;b\nc;d\n", "a|b\\nc|d\\n", "a|b\\nc|d\\n"},
    {"blank lines are rows only when strict", "\n\r\na;b", "\\n\\r\\na|b$", "a|b$"},
    {"empty cells at the ends", ";a;\n", "|a|\\n", "|a|\\n"},
    {"quoted delimiter, line break and doubled quote", "\"a;b\";\"c\nd\";\"e\"\"f\"\n", "a;b|c\nd|e\"f\\n",
     "a;b|c\nd|e\"f\\n"},
    {"a quote inside an unquoted cell is a character", "Monitor 24\";Hans \"Hansi\" M.\n",
     "Monitor 24\"|Hans \"Hansi\" M.\\n", "Monitor 24\"|Hans \"Hansi\" M.\\n"},
    {"blanks belong to the cell", " a ; \"b\"\n", " a | \"b\"\\n", " a | \"b\"\\n"},
    {"text after a closing quote", "\"a\"b;c\n", "error", "a\"b;c\n$"},
    {"a quote left open", "a;\"b\n", "error", "a|b\n$"},
    {"a closing quote at the very end", "a;\"b\"", "a|b$", "a|b$"},
    {"CR LF after a quoted cell", "\"a\"\r\nb\r\n", "a\\r\\nb\\r\\n", "a\\rb\\r"},
};

TEST(CellSplitter, ReadsTheDialectInAnyPieces)
{
    for (const Case& c : kCases) {
        for (std::size_t pieceSize : {std::size_t{1}, std::size_t{2}, std::size_t{1000}}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(pieceSize));
            const Split strict = SplitOurs(c.input, CellSplitter::Dialect::Strict, pieceSize);
            if (std::string_view(c.strict) == "error")
                EXPECT_FALSE(strict.ok);
            else
                EXPECT_EQ(strict.rows, c.strict);
            const Split lenient = SplitOurs(c.input, CellSplitter::Dialect::Lenient, pieceSize);
            EXPECT_TRUE(lenient.ok);
            EXPECT_EQ(lenient.rows, c.lenient);
            // libcsv reads a stray quote alike when it is not strict.
            EXPECT_EQ(lenient.rows, SplitWithLibcsv(c.input, CellSplitter::Dialect::Lenient).rows);
        }
    }
}

// Well-formed lists, as spreadsheets write them: cells quoted where they
// hold a delimiter, quote or line break, and sometimes without need; blank
// lines, CR LF, a missing last line end.
std::string WellFormedList(std::mt19937& random)
{
    static const std::vector<std::string> kTexts = {"", "a", "Müller", " b ", ";", "\"", "x\ny", "\r\n", "\r", "t\t"};
    std::string list;
    const int rows = std::uniform_int_distribution(0, 6)(random);
    for (int r = 0; r < rows; ++r) {
        const int cells = std::uniform_int_distribution(0, 4)(random);
        for (int k = 0; k < cells; ++k) {
            if (k > 0)
                list += ';';
            std::string text;
            for (int parts = std::uniform_int_distribution(0, 2)(random); parts > 0; --parts)
                text += kTexts[std::uniform_int_distribution<std::size_t>(0, kTexts.size() - 1)(random)];
            const bool needsQuotes = text.find_first_of(";\"\r\n") != std::string::npos;
            if (needsQuotes || (random() % 4 == 0)) {
                list += '"';
                for (char ch : text)
                    list += ch == '"' ? std::string("\"\"") : std::string(1, ch);
                list += '"';
            } else {
                list += text;
            }
        }
        if (r + 1 < rows || random() % 2 == 0)
            list += random() % 2 == 0 ? "\r\n" : "\n";
    }
    return list;
}

TEST(CellSplitter, SplitsWellFormedListsAsLibcsvDoes)
{
    std::mt19937 random(20261210);
    for (int i = 0; i < 5000; ++i) {
        const std::string list = WellFormedList(random);
        SCOPED_TRACE(::testing::PrintToString(list));
        for (const auto dialect : {CellSplitter::Dialect::Strict, CellSplitter::Dialect::Lenient}) {
            const Split theirs = SplitWithLibcsv(list, dialect);
            ASSERT_TRUE(theirs.ok);
            const Split ours = SplitOurs(list, dialect, 1 + random() % 7);
            ASSERT_TRUE(ours.ok);
            ASSERT_EQ(ours.rows, theirs.rows);
        }
    }
}

}  // namespace
}  // namespace kennfix::listengine::internal
