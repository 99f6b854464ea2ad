#pragma once

// What the list window keeps of a list: every row as the list engine wrote
// it (RowResult), so that what is shown is what is saved. A staff list may
// have millions of rows, so the rows are kept compactly: the text of all
// cells in large blocks, each row one pointer into them, what the row needs
// at a glance in one byte, and line numbers only where a row does not begin
// on the line after the previous one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "listengine/list.h"
#include "listengine/summary.h"

namespace kennfix::liste {

// What a row needs the user's eye for.
struct RowMarks {
    bool blank = false;     // a blank line or a row of empty cells: nobody
    bool hasEtin = false;   // the engine computed an eTIN
    bool hasError = false;  // the column Fehler says something
    listengine::StoredEtinCheck check = listengine::StoredEtinCheck::None;

    bool deviates() const
    {
        return check == listengine::StoredEtinCheck::Differs || check == listengine::StoredEtinCheck::WrongCheckCharacter;
    }
    bool needsAttention() const { return hasError || deviates(); }
};

class ListTable {
public:
    explicit ListTable(listengine::ListLayout layout);
    ~ListTable();
    ListTable(const ListTable&) = delete;
    ListTable& operator=(const ListTable&) = delete;

    // A row as the engine hands it over, blank ones too; its text is kept
    // in UTF-8.
    void Add(const listengine::RowResult& row);
    // The engine's summary, once the list is complete.
    void Finish(const listengine::ListSummary& summary);

    const listengine::ListLayout& layout() const { return m_layout; }
    // The layout's columns, and more when a row has cells beyond the header.
    std::size_t columnCount() const { return m_columnCount; }
    // UTF-8; empty for a column beyond the header.
    std::string_view columnName(std::size_t column) const;

    std::size_t rowCount() const { return m_rows.size(); }
    // UTF-8; empty beyond the row's cells.
    std::string_view cell(std::size_t row, std::size_t column) const;
    // The line of the list file the row begins on.
    std::size_t line(std::size_t row) const;
    RowMarks marks(std::size_t row) const;
    // Where a deviating stored eTIN differs from the computed one; no
    // difference for any other row.
    listengine::EtinDifference etinDifference(std::size_t row) const;

    // The rows that need attention, in order.
    std::span<const std::size_t> attentionRows() const { return m_attention; }
    const listengine::ListCounts& counts() const { return m_counts; }
    const listengine::ListSummary& summary() const { return m_summary; }

private:
    class TextBlocks;

    listengine::ListLayout m_layout;
    std::size_t m_columnCount;
    std::unique_ptr<TextBlocks> m_text;
    std::vector<const char*> m_rows;   // where each row's cells begin
    std::vector<std::uint8_t> m_marks;
    // (row, line) wherever a row does not begin on the line after the
    // previous row's: after a blank line the engine skipped, a cell that
    // spans lines, or at the first row.
    struct LineMark {
        std::size_t row;
        std::size_t line;
    };
    std::vector<LineMark> m_lines;
    std::size_t m_nextLine = 0;  // where the next row begins if it follows on
    std::vector<std::size_t> m_attention;
    // Only for rows whose stored eTIN deviates, which are few.
    struct Difference {
        std::size_t row;
        listengine::EtinDifference difference;
    };
    std::vector<Difference> m_differences;
    listengine::ListCounts m_counts;
    listengine::ListSummary m_summary;
    // A Windows-1252 row's cells converted, kept from row to row.
    std::string m_scratch;
    std::vector<std::size_t> m_scratchEnds;
    std::vector<std::string_view> m_scratchCells;
};

}  // namespace kennfix::liste
