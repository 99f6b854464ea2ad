#pragma once

// Writing the result: every cell in the output's encoding, quoted as CSV
// where it must be, a row at a time into a buffer that goes out every 64 KiB.
// Rows are put together as text in UTF-8 or Windows-1252; UTF-16 output is
// made from the UTF-8 text when the buffer goes out.

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "listengine/encoding.h"
#include "listengine/internal/celltext.h"

namespace kennfix::listengine::internal {

// The text encoding rows are put together in for an output encoding.
Encoding TextEncodingFor(Encoding output);

// `cell`, read in `from`, as text for the output encoding `output` (in
// TextEncodingFor(output)): `cell` itself where its bytes stay, else the
// converted text in `scratch`. Into Windows-1252 a letter the code page lacks
// becomes its base letter (Ł -> L) and anything else "?", and `lost` is set:
// the cell is never left empty, and the caller can say which column lost
// characters. The same goes for bytes that are no UTF-8 (in a list read with
// --encoding utf-8) on their way to UTF-16, which holds them as U+FFFD;
// UTF-8 output keeps them as they are.
std::string_view ConvertCell(std::string_view cell, RowEncoding from, Encoding output, std::string& scratch,
                             bool& lost);

// Our own text (UTF-8, input characters already escaped) in the text
// encoding `to`; a character Windows-1252 cannot hold comes as \uXXXX.
void AppendOwnText(std::string& out, std::string_view utf8, Encoding to);

// One cell as CSV: quoted when it holds the delimiter, a quote or a line
// break, with quotes doubled.
void AppendCsvCell(std::string& out, std::string_view cell, char delimiter);

class ListWriter {
public:
    explicit ListWriter(std::ostream& out) : m_out(out) {}

    // Before the first row. The byte order mark is written for UTF-8 when
    // asked for, and always for UTF-16.
    void Start(Encoding output, bool byteOrderMark, char delimiter, std::string_view lineEnd);

    // Cells in TextEncodingFor(output).
    void WriteRow(std::span<const std::string_view> cells);
    void WriteBlankLine();

    // A row cell by cell, ended by EndRow. PlainCell takes a cell that is
    // known to hold no quote, line break or delimiter (see InputRow::plain)
    // as it is, without looking for them.
    void Cell(std::string_view cell)
    {
        Separate();
        AppendCsvCell(m_buffer, cell, m_delimiter);
    }
    void PlainCell(std::string_view cell)
    {
        Separate();
        m_buffer += cell;
    }
    void EndRow();

    // Throws WriteError.
    void Finish();

private:
    void Separate()
    {
        if (m_cellsInRow++ > 0)
            m_buffer += m_delimiter;
    }
    void Flush();

    std::ostream& m_out;
    Encoding m_output = Encoding::Utf8;
    char m_delimiter = ';';
    std::string m_lineEnd = "\n";
    std::size_t m_cellsInRow = 0;
    std::string m_buffer;
    std::string m_utf16;
};

}  // namespace kennfix::listengine::internal
