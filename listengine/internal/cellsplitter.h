#pragma once

// Cells of CSV as spreadsheet programs write it, for lines that hold quotes
// (the reader splits the others itself): a cell in quotes may hold the
// delimiter, line breaks and "" for a quote. A quote inside a cell that does
// not begin with one is an ordinary character (Monitor 24"), as spreadsheet
// programs read it. Blanks around a cell belong to it.
//
// Lines go in piece by piece, in any pieces; each cell comes out whole, and
// each line break outside quotes ends a row. Two dialects differ where a
// list has no certain reading:
//   Strict   (reading a list) text after a closing quote, or a quote left
//            open at the end, is an error; every line break outside a row
//            is a row without cells, so that blank lines stay.
//   Lenient  (trying a header line under a delimiter) text after a closing
//            quote belongs to the cell, which stays quoted; a quote left open
//            ends with the input; line breaks outside a row are skipped.

#include <cstddef>
#include <string>
#include <string_view>

namespace kennfix::listengine::internal {

class CellSink {
public:
    virtual void OnCell(std::string_view cell) = 0;
    // terminator: '\r' or '\n' that ended the row, or -1 at the end of the input.
    virtual void OnRowEnd(int terminator) = 0;

protected:
    ~CellSink() = default;
};

class CellSplitter {
public:
    enum class Dialect { Strict, Lenient };

    CellSplitter(Dialect dialect, char delimiter) : m_strict(dialect == Dialect::Strict), m_delimiter(delimiter) {}

    void SetDelimiter(char delimiter) { m_delimiter = delimiter; }

    // Splits the next piece of input. False when a quoted cell is followed by
    // text in the strict dialect: the rest of the piece is not read.
    bool Split(std::string_view piece, CellSink& sink);
    // The end of the input: a row begun ends (terminator -1). False when a
    // quoted cell is still open in the strict dialect.
    bool Finish(CellSink& sink);

    bool BetweenRows() const { return m_state == State::BetweenRows; }
    // The bytes of the cell being read so far, a quote that may close it
    // included.
    std::size_t CellSize() const { return m_cell.size() + (m_state == State::QuoteInQuotedCell ? 1 : 0); }

private:
    enum class State {
        BetweenRows,
        CellNotBegun,  // after a delimiter, or at a row's first byte
        InCell,
        QuoteInQuotedCell,  // a quote in a quoted cell: its end, or the first of ""
    };

    void EndCell(CellSink& sink);
    void EndRow(CellSink& sink, int terminator);

    const bool m_strict;
    char m_delimiter;
    State m_state = State::BetweenRows;
    bool m_quoted = false;  // the cell being read began with a quote
    std::string m_cell;
};

}  // namespace kennfix::listengine::internal
