#include "listengine/internal/cellsplitter.h"

#include <algorithm>

namespace kennfix::listengine::internal {

void CellSplitter::EndCell(CellSink& sink)
{
    sink.OnCell(m_cell);
    m_cell.clear();
    m_quoted = false;
    m_state = State::CellNotBegun;
}

void CellSplitter::EndRow(CellSink& sink, int terminator)
{
    sink.OnRowEnd(terminator);
    m_state = State::BetweenRows;
}

bool CellSplitter::Split(std::string_view piece, CellSink& sink)
{
    for (std::size_t pos = 0; pos < piece.size(); ++pos) {
        const char c = piece[pos];
        const bool lineBreak = c == '\r' || c == '\n';
        switch (m_state) {
        case State::BetweenRows:
            if (lineBreak) {
                if (m_strict)
                    EndRow(sink, c);
                break;
            }
            m_state = State::CellNotBegun;
            [[fallthrough]];
        case State::CellNotBegun:
            if (c == m_delimiter) {
                EndCell(sink);
            } else if (lineBreak) {
                EndCell(sink);
                EndRow(sink, c);
            } else if (c == '"') {
                m_quoted = true;
                m_state = State::InCell;
            } else {
                m_cell += c;
                m_state = State::InCell;
            }
            break;
        case State::InCell:
            if (m_quoted) {
                if (c == '"') {
                    m_state = State::QuoteInQuotedCell;
                } else {
                    // The run up to the next quote, at once.
                    const std::size_t end = std::min(piece.find('"', pos), piece.size());
                    m_cell.append(piece.substr(pos, end - pos));
                    pos = end - 1;
                }
            } else if (c == m_delimiter) {
                EndCell(sink);
            } else if (lineBreak) {
                EndCell(sink);
                EndRow(sink, c);
            } else {
                // The run up to the cell's end, at once; a quote here is an
                // ordinary character.
                std::size_t end = pos + 1;
                while (end < piece.size() && piece[end] != m_delimiter && piece[end] != '\r' && piece[end] != '\n')
                    ++end;
                m_cell.append(piece.substr(pos, end - pos));
                pos = end - 1;
            }
            break;
        case State::QuoteInQuotedCell:
            if (c == '"') {
                m_cell += '"';
                m_state = State::InCell;
            } else if (c == m_delimiter) {
                EndCell(sink);
            } else if (lineBreak) {
                EndCell(sink);
                EndRow(sink, c);
            } else if (m_strict) {
                return false;
            } else {
                // The closing quote was none: it and the text stay in the
                // cell, which goes on in quotes.
                m_cell += '"';
                m_cell += c;
                m_state = State::InCell;
            }
            break;
        }
    }
    return true;
}

bool CellSplitter::Finish(CellSink& sink)
{
    if (m_state == State::InCell && m_quoted && m_strict)
        return false;
    if (m_state != State::BetweenRows) {
        EndCell(sink);
        EndRow(sink, -1);
    }
    m_cell.clear();
    m_quoted = false;
    return true;
}

}  // namespace kennfix::listengine::internal
