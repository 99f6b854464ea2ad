#include "listengine/internal/listwriter.h"

#include <algorithm>
#include <array>
#include <ostream>

#include "core/cp1252.h"
#include "listengine/errors.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine::internal {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsUtf16(Encoding e)
{
    return e == Encoding::Utf16LE || e == Encoding::Utf16BE;
}

// Appends the Windows-1252 byte that is exactly this character; false when
// the code page has none (a base letter does not count).
bool AppendExactWindows1252(char32_t c, std::string& out)
{
    const std::size_t before = out.size();
    if (AppendWindows1252(c, out) && out.size() == before + 1 &&
        Windows1252CodePoint(static_cast<unsigned char>(out.back())) == c)
        return true;
    out.resize(before);
    return false;
}

void AppendUtf16Unit(std::string& out, char32_t unit, bool bigEndian)
{
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

}  // namespace

Encoding TextEncodingFor(Encoding output)
{
    return output == Encoding::Windows1252 ? Encoding::Windows1252 : Encoding::Utf8;
}

std::string_view ConvertCell(std::string_view cell, RowEncoding from, Encoding output, std::string& scratch,
                             bool& lost)
{
    const Encoding to = TextEncodingFor(output);
    if (from == RowEncoding::Ascii || (from == RowEncoding::Windows1252 && to == Encoding::Windows1252))
        return cell;
    if (from == RowEncoding::Utf8 && to == Encoding::Utf8) {
        if (!IsUtf16(output) || IsValidUtf8(cell))
            return cell;
        scratch.clear();
        ForEachCharacter(cell, from, [&](const CellCharacter& c) { AppendUtf8(scratch, c.valid ? c.codePoint : 0xFFFD); });
        lost = true;
        return scratch;
    }
    scratch.clear();
    if (to == Encoding::Utf8) {
        scratch = Windows1252ToUtf8(cell);
        return scratch;
    }
    ForEachCharacter(cell, from, [&](const CellCharacter& c) {
        if (c.valid && AppendExactWindows1252(c.codePoint, scratch))
            return;
        lost = true;
        if (!c.valid || !AppendWindows1252(c.codePoint, scratch))
            scratch += '?';
    });
    return scratch;
}

void AppendOwnText(std::string& out, std::string_view utf8, Encoding to)
{
    if (to == Encoding::Utf8) {
        out += utf8;
        return;
    }
    ForEachCharacter(utf8, RowEncoding::Utf8, [&](const CellCharacter& c) {
        if (!AppendExactWindows1252(c.codePoint, out))
            AppendEscape(out, c.codePoint);
    });
}

void AppendCsvCell(std::string& out, std::string_view cell, char delimiter)
{
    // One look-up a byte: the bytes that make a cell quoted, but for the
    // delimiter, which is one of ; , tab.
    static constexpr std::array<bool, 256> kSpecial = [] {
        std::array<bool, 256> special{};
        special['"'] = special['\r'] = special['\n'] = true;
        return special;
    }();
    const bool quote = std::any_of(cell.begin(), cell.end(), [=](char c) {
        return kSpecial[static_cast<unsigned char>(c)] || c == delimiter;
    });
    if (!quote) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void ListWriter::Start(Encoding output, bool byteOrderMark, char delimiter, std::string_view lineEnd)
{
    m_output = output;
    m_delimiter = delimiter;
    m_lineEnd = lineEnd;
    m_buffer.reserve(kFlushSize + (1 << 12));
    if (IsUtf16(output) || (byteOrderMark && output == Encoding::Utf8))
        m_buffer += kUtf8Bom;  // UTF-16 output makes its mark from this one
}

void ListWriter::WriteRow(std::span<const std::string_view> cells)
{
    // A row of one empty cell ("" in the input) would be a blank line, a row
    // without cells, when read again: quoted, it keeps its cell.
    if (cells.size() == 1 && cells[0].empty()) {
        m_buffer += "\"\"";
        EndRow();
        return;
    }
    for (std::string_view cell : cells)
        Cell(cell);
    EndRow();
}

void ListWriter::WriteBlankLine()
{
    EndRow();
}

void ListWriter::EndRow()
{
    m_cellsInRow = 0;
    m_buffer += m_lineEnd;
    if (m_buffer.size() >= kFlushSize)
        Flush();
}

void ListWriter::Finish()
{
    Flush();
    m_out.flush();
    if (!m_out)
        throw WriteError();
}

// The buffer holds whole rows, so UTF-8 sequences are never cut here.
void ListWriter::Flush()
{
    std::string_view bytes = m_buffer;
    if (IsUtf16(m_output)) {
        m_utf16.clear();
        const bool bigEndian = m_output == Encoding::Utf16BE;
        ForEachCharacter(m_buffer, RowEncoding::Utf8, [&](const CellCharacter& c) {
            if (c.codePoint < 0x10000) {
                AppendUtf16Unit(m_utf16, c.codePoint, bigEndian);
            } else {
                AppendUtf16Unit(m_utf16, 0xD800 + ((c.codePoint - 0x10000) >> 10), bigEndian);
                AppendUtf16Unit(m_utf16, 0xDC00 + ((c.codePoint - 0x10000) & 0x3FF), bigEndian);
            }
        });
        bytes = m_utf16;
    }
    m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    m_buffer.clear();
    if (!m_out)
        throw WriteError();
}

}  // namespace kennfix::listengine::internal
