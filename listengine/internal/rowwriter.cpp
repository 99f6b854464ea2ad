#include "listengine/internal/rowwriter.h"

#include <algorithm>

namespace kennfix::listengine::internal {

void RowWriter::Start(Encoding output, bool byteOrderMark, char delimiter, int firstTerminator)
{
    m_started = true;
    m_writer.Start(output, byteOrderMark, delimiter, firstTerminator == '\r' ? "\r\n" : "\n");
}

void RowWriter::WriteHeader(std::span<const std::string_view> cells, const OutputColumns& columns)
{
    const ListLayout& layout = columns.layout();
    m_cells.assign(columns.count(), {});
    for (std::size_t i = 0; i < columns.inputCount(); ++i)
        m_cells[columns.of(i)] = cells[i];
    // The names of our columns as text of the output.
    std::string etin, check, error;
    const auto ours = [&](std::string& text, std::size_t column) {
        AppendOwnText(text, layout.columnNames[column], TextEncodingFor(layout.outputEncoding));
        m_cells[column] = text;
    };
    if (!columns.storedEtin())
        ours(etin, layout.etinColumn);
    if (layout.checkColumn)
        ours(check, *layout.checkColumn);
    ours(error, layout.errorColumn);
    m_writer.WriteRow(m_cells);
}

std::span<const std::string_view> RowWriter::WriteDataRow(const InputRow& row, const ComputedRow& computed,
                                                         const OutputColumns& columns, bool wantCells)
{
    if (row.size() == 0) {
        m_writer.WriteBlankLine();
        return {};
    }
    // Mostly a row is a plain line in the output's encoding with a cell for
    // each column and no column of ours among them: its bytes are its cells
    // as they are written, and ours follow.
    if (row.plain && computed.cellsAsRead && row.size() == columns.inputCount() && !columns.storedEtin()) {
        m_writer.PlainCell(row.bytes);
        m_writer.Cell(computed.etinCell);
        m_writer.Cell(computed.errorText);
        m_writer.EndRow();
        return wantCells ? LayOut(row, computed, columns) : std::span<const std::string_view>();
    }
    const std::span<const std::string_view> cells = LayOut(row, computed, columns);
    for (std::size_t j = 0; j < cells.size(); ++j) {
        if (row.plain && (j >= columns.count() || columns.holdsInputCell(j)))
            m_writer.PlainCell(cells[j]);
        else
            m_writer.Cell(cells[j]);
    }
    m_writer.EndRow();
    return cells;
}

// The cells of a data row as they are written: the input's in their
// columns, cells beyond the header last, so that ours stay in their places.
std::span<const std::string_view> RowWriter::LayOut(const InputRow& row, const ComputedRow& computed,
                                                    const OutputColumns& columns)
{
    const std::size_t n = row.size();
    const std::size_t inputCount = columns.inputCount();
    const std::size_t outputCount = columns.count();
    const std::size_t surplusCells = n > inputCount ? n - inputCount : 0;
    m_cells.assign(outputCount + surplusCells, {});
    for (std::size_t i = 0; i < std::min(n, inputCount); ++i)
        m_cells[columns.of(i)] = computed.cell(row, i);
    for (std::size_t k = 0; k < surplusCells; ++k)
        m_cells[outputCount + k] = computed.cell(row, inputCount + k);
    const ListLayout& layout = columns.layout();
    m_cells[layout.etinColumn] = computed.etinCell;
    if (layout.checkColumn)
        m_cells[*layout.checkColumn] = computed.checkText;
    m_cells[layout.errorColumn] = computed.errorText;
    return m_cells;
}

}  // namespace kennfix::listengine::internal
