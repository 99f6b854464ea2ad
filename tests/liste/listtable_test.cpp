// What the list window keeps of a list, fed by the real list engine: every
// row as it is written, its marks, the counts and the line numbers.

#include "liste/listtable.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "liste/listpaths.h"
#include "tests/liste/stafflist.h"

namespace kennfix::liste {
namespace {

using listengine::StoredEtinCheck;

using test::kStaffList;

struct Read {
    std::unique_ptr<ListTable> table;
    std::string output;  // what the engine wrote
};

Read ReadList(std::string_view text)
{
    listengine::ListOptions options;
    options.currentYear = test::kReadInYear;
    std::istringstream in{std::string(text)};
    std::ostringstream out;
    Read read;
    listengine::ListCallbacks callbacks;
    callbacks.onHeader = [&](const listengine::ListLayout& layout) { read.table = std::make_unique<ListTable>(layout); };
    callbacks.onRow = [&](const listengine::RowResult& row) { read.table->Add(row); };
    const listengine::ListSummary summary = listengine::ProcessList(in, out, options, callbacks);
    read.table->Finish(summary);
    read.output = out.str();
    return read;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Joined(const ListTable& table, std::size_t row)
{
    std::string line;
    for (std::size_t column = 0; column < table.columnCount(); ++column) {
        if (table.cell(row, column).empty() && column >= table.layout().columnNames.size())
            break;
        line += (column == 0 ? "" : ";") + std::string(table.cell(row, column));
    }
    return line;
}

TEST(ListTable, KeepsEveryRowAsWritten)
{
    const Read read = ReadList(kStaffList);
    const ListTable& table = *read.table;
    const std::vector<std::string> written = Lines(read.output);
    ASSERT_EQ(table.rowCount() + 1, written.size());
    EXPECT_EQ(table.columnCount(), 8u);
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        // The blank line has no cells; the engine writes it as one.
        const std::string shown = table.marks(row).blank ? "" : Joined(table, row);
        EXPECT_EQ(shown, written[row + 1]) << "row " << row;
    }
    EXPECT_EQ(table.columnName(5), "Prüfung");
    EXPECT_EQ(table.cell(1, table.layout().etinColumn), "YNYLJSMR52B28A");
    EXPECT_EQ(table.cell(5, 3), "") << "beyond the blank line's cells";
}

TEST(ListTable, MarksCountsAndAttention)
{
    struct Case {
        bool blank;
        bool hasEtin;
        bool hasError;
        StoredEtinCheck check;
        std::size_t line;
    };
    const Case cases[] = {
        {false, true, false, StoredEtinCheck::Matches, 2},
        {false, true, false, StoredEtinCheck::Filled, 3},
        {false, true, false, StoredEtinCheck::WrongCheckCharacter, 4},
        {false, true, false, StoredEtinCheck::Differs, 5},
        {false, false, true, StoredEtinCheck::None, 6},  // born in the future
        {true, false, false, StoredEtinCheck::None, 7},
        {false, false, true, StoredEtinCheck::None, 8},  // no first name
    };
    const Read read = ReadList(kStaffList);
    const ListTable& table = *read.table;
    ASSERT_EQ(table.rowCount(), std::size(cases));
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const RowMarks marks = table.marks(row);
        EXPECT_EQ(marks.blank, cases[row].blank) << "row " << row;
        EXPECT_EQ(marks.hasEtin, cases[row].hasEtin) << "row " << row;
        EXPECT_EQ(marks.hasError, cases[row].hasError) << "row " << row;
        EXPECT_EQ(marks.check, cases[row].check) << "row " << row;
        EXPECT_EQ(table.line(row), cases[row].line) << "row " << row;
    }
    EXPECT_EQ(std::vector<std::size_t>(table.attentionRows().begin(), table.attentionRows().end()),
              (std::vector<std::size_t>{2, 3, 4, 6}));
    const listengine::ListCounts& counts = table.counts();
    EXPECT_EQ(counts.rows, 6u);
    EXPECT_EQ(counts.blankRows, 1u);
    EXPECT_EQ(counts.withEtin, 4u);
    EXPECT_EQ(counts.withError, 2u);
    EXPECT_EQ(counts.deviating, 2u);
    EXPECT_EQ(listengine::SummaryLine(counts, true), "6 Zeilen: 4 mit eTIN, 2 mit Fehler, 2 gespeicherte eTINs weichen ab.");
}

// Line numbers are kept only where a row does not follow on the previous
// one: blank lines before the header, a cell that spans lines.
TEST(ListTable, LinesOfTheFile)
{
    const Read read = ReadList("\n\nFamilienname;Vorname;Geburtsdatum;Notiz\n"
                               "Müller;Hans;01.02.1980;\"zwei\nZeilen\"\n"
                               "Meier;Li;15.05.1990;\n"
                               "Weiß;Zoë;12.03.1985;\"drei\n\nZeilen\"\n"
                               "Schmidt;Eva;05.11.75;\n");
    const ListTable& table = *read.table;
    ASSERT_EQ(table.rowCount(), 4u);
    const std::size_t lines[] = {4, 6, 7, 10};
    for (std::size_t row = 0; row < 4; ++row)
        EXPECT_EQ(table.line(row), lines[row]) << "row " << row;
    EXPECT_EQ(table.cell(0, 3), "zwei\nZeilen");
}

// A Windows-1252 list is written in Windows-1252; the table keeps UTF-8.
TEST(ListTable, Windows1252RowsAsUtf8)
{
    const Read read = ReadList("Familienname;Vorname;Geburtsdatum;Ort\nM\xFC" "ller;J\xFCrgen;01.02.1980;K\xF6ln\n");
    ASSERT_EQ(read.table->summary().outputEncoding, listengine::Encoding::Windows1252);
    EXPECT_EQ(read.table->cell(0, 0), "Müller");
    EXPECT_EQ(read.table->cell(0, 3), "Köln");
    EXPECT_EQ(read.table->columnName(4), "eTIN");
}

// Cells beyond the header get columns of their own without a name; a cell
// larger than a block of the storage is kept whole, and the rows after it too.
TEST(ListTable, SurplusCellsAndLargeCells)
{
    const std::string large(3 << 20, 'x');
    const Read read = ReadList("Familienname;Vorname;Geburtsdatum\n"
                               "Müller;Hans;01.02.1980;mehr;noch mehr\n"
                               "Meier;Li;15.05.1990\n"
                               "Weiß;\"" + large + "\";12.03.1985\n"
                               "Schmidt;Eva;05.11.75\n");
    const ListTable& table = *read.table;
    EXPECT_EQ(table.columnCount(), 7u);
    EXPECT_EQ(table.columnName(6), "");
    EXPECT_EQ(table.cell(0, 6), "noch mehr");
    EXPECT_TRUE(table.marks(0).hasError);
    EXPECT_EQ(table.cell(2, 1), large);
    EXPECT_EQ(table.cell(3, 0), "Schmidt");
    EXPECT_EQ(table.cell(3, table.layout().etinColumn).size(), 14u);
}


TEST(ProposedSavePath, BesideTheList)
{
    struct Case {
        const char* list;
        const char* proposed;
    };
    const Case cases[] = {
        {"/daten/personal.csv", "/daten/personal-etin.csv"},
        {"/daten/personal", "/daten/personal-etin.csv"},
        {"/daten/Personal.CSV", "/daten/Personal-etin.csv"},
        {"/daten/lohn.2026.txt", "/daten/lohn.2026-etin.csv"},
        {"/daten/.liste", "/daten/.liste-etin.csv"},  // a hidden file's name is all name
        {"/daten/mit leer zeichen.csv", "/daten/mit leer zeichen-etin.csv"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProposedSavePath(c.list), c.proposed) << c.list;
}

}  // namespace
}  // namespace kennfix::liste
