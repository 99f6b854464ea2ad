#pragma once

// Writing the rows: lines before the header as they came, the header with
// the names of our columns, and each data row laid out as OutputColumns
// says. A plain row in the output's encoding (most rows of most lists) is
// written as its line, with ours after it.

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "listengine/encoding.h"
#include "listengine/internal/listreader.h"
#include "listengine/internal/listwriter.h"
#include "listengine/internal/outputcolumns.h"
#include "listengine/internal/rowcomputer.h"

namespace kennfix::listengine::internal {

class RowWriter {
public:
    explicit RowWriter(std::ostream& out) : m_writer(out) {}

    // Before the first row, with the output's encoding and the line end of
    // the first row.
    void Start(Encoding output, bool byteOrderMark, char delimiter, int firstTerminator);
    bool started() const { return m_started; }

    // A line before the header, its cells in the output's text.
    void WriteAsRead(std::span<const std::string_view> cells) { m_writer.WriteRow(cells); }
    // The header: its cells in the output's text, and the names of ours.
    void WriteHeader(std::span<const std::string_view> cells, const OutputColumns& columns);
    // A data row. Returns its cells as written, laid out as the columns say,
    // when `wantCells`; the views point into `row`, `computed` and this
    // object, and hold until the next call. A blank line has no cells.
    std::span<const std::string_view> WriteDataRow(const InputRow& row, const ComputedRow& computed,
                                                   const OutputColumns& columns, bool wantCells);

    // Throws WriteError.
    void Finish() { m_writer.Finish(); }

private:
    std::span<const std::string_view> LayOut(const InputRow& row, const ComputedRow& computed,
                                             const OutputColumns& columns);

    ListWriter m_writer;
    bool m_started = false;
    std::vector<std::string_view> m_cells;  // a row laid out, kept from row to row
};

}  // namespace kennfix::listengine::internal
