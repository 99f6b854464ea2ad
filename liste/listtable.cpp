#include "liste/listtable.h"

#include <algorithm>
#include <cstring>

#include "core/cp1252.h"

namespace kennfix::liste {
namespace {

using listengine::StoredEtinCheck;

// A row's cells are stored as their number, then each cell's length and
// bytes; numbers as LEB128 (seven bits a byte, low ones first), which takes
// one byte for the short cells of a staff list.
std::size_t NumberSize(std::size_t n)
{
    std::size_t size = 1;
    while (n >= 0x80) {
        n >>= 7;
        ++size;
    }
    return size;
}

char* PutNumber(char* out, std::size_t n)
{
    while (n >= 0x80) {
        *out++ = static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    *out++ = static_cast<char>(n);
    return out;
}

std::size_t GetNumber(const char*& in)
{
    std::size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        n |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80)
            return n;
    }
}

// The marks of a row in one byte: three flags and the check below them.
constexpr std::uint8_t kBlank = 0x80;
constexpr std::uint8_t kHasEtin = 0x40;
constexpr std::uint8_t kHasError = 0x20;
constexpr std::uint8_t kCheckBits = 0x07;

std::uint8_t Pack(const RowMarks& m)
{
    return static_cast<std::uint8_t>((m.blank ? kBlank : 0) | (m.hasEtin ? kHasEtin : 0) |
                                     (m.hasError ? kHasError : 0) | static_cast<std::uint8_t>(m.check));
}

RowMarks Unpack(std::uint8_t bits)
{
    return {(bits & kBlank) != 0, (bits & kHasEtin) != 0, (bits & kHasError) != 0,
            static_cast<StoredEtinCheck>(bits & kCheckBits)};
}

}  // namespace

// Append-only storage that never moves what it holds, so that rows can
// point into it: blocks of 1 MiB, and a block of its own for a larger row.
class ListTable::TextBlocks {
public:
    char* Allocate(std::size_t size)
    {
        if (size > m_left) {
            const std::size_t blockSize = std::max(size, kBlockSize);
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(blockSize));
            m_free = m_blocks.back().get();
            m_left = blockSize;
        }
        char* at = m_free;
        m_free += size;
        m_left -= size;
        return at;
    }

private:
    static constexpr std::size_t kBlockSize = 1 << 20;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;
    std::size_t m_left = 0;
};

ListTable::ListTable(listengine::ListLayout layout)
    : m_layout(std::move(layout)), m_columnCount(m_layout.columnNames.size()), m_text(std::make_unique<TextBlocks>())
{
}

ListTable::~ListTable() = default;

std::string_view ListTable::columnName(std::size_t column) const
{
    return column < m_layout.columnNames.size() ? std::string_view(m_layout.columnNames[column]) : std::string_view();
}

void ListTable::Add(const listengine::RowResult& row)
{
    // Windows-1252 output is kept as UTF-8 like everything else: all cells
    // converted one after the other into one scratch string.
    std::span<const std::string_view> cells = row.cells;
    if (row.textEncoding == listengine::Encoding::Windows1252) {
        m_scratch.clear();
        m_scratchEnds.clear();
        for (std::string_view cell : row.cells) {
            m_scratch += Windows1252ToUtf8(cell);
            m_scratchEnds.push_back(m_scratch.size());
        }
        m_scratchCells.clear();
        std::size_t begin = 0;
        for (std::size_t end : m_scratchEnds) {
            m_scratchCells.push_back(std::string_view(m_scratch).substr(begin, end - begin));
            begin = end;
        }
        cells = m_scratchCells;
    }

    std::size_t size = NumberSize(cells.size());
    for (std::string_view cell : cells)
        size += NumberSize(cell.size()) + cell.size();
    char* out = m_text->Allocate(size);
    m_rows.push_back(out);
    out = PutNumber(out, cells.size());
    for (std::string_view cell : cells) {
        out = PutNumber(out, cell.size());
        std::memcpy(out, cell.data(), cell.size());
        out += cell.size();
    }
    m_columnCount = std::max(m_columnCount, cells.size());

    const std::size_t index = m_rows.size() - 1;
    if (row.line != m_nextLine)
        m_lines.push_back({index, row.line});
    m_nextLine = row.line + 1;

    const RowMarks marks{row.blank, !row.computedEtin.empty(), !row.error.empty(), row.check};
    m_marks.push_back(Pack(marks));
    if (marks.needsAttention())
        m_attention.push_back(index);
    if (marks.deviates())
        m_differences.push_back({index, row.difference});
    m_counts.Add(row);
}

void ListTable::Finish(const listengine::ListSummary& summary)
{
    m_summary = summary;
    m_scratch = std::string();
    m_scratchEnds = {};
    m_scratchCells = {};
}

std::string_view ListTable::cell(std::size_t row, std::size_t column) const
{
    const char* p = m_rows[row];
    const std::size_t cells = GetNumber(p);
    if (column >= cells)
        return {};
    for (std::size_t i = 0;; ++i) {
        const std::size_t size = GetNumber(p);
        if (i == column)
            return {p, size};
        p += size;
    }
}

std::size_t ListTable::line(std::size_t row) const
{
    // The last mark at or before the row; every table's first row has one.
    const auto after = std::upper_bound(m_lines.begin(), m_lines.end(), row,
                                        [](std::size_t r, const LineMark& mark) { return r < mark.row; });
    const LineMark& mark = *std::prev(after);
    return mark.line + (row - mark.row);
}

RowMarks ListTable::marks(std::size_t row) const
{
    return Unpack(m_marks[row]);
}

listengine::EtinDifference ListTable::etinDifference(std::size_t row) const
{
    const auto at = std::lower_bound(m_differences.begin(), m_differences.end(), row,
                                     [](const Difference& d, std::size_t r) { return d.row < r; });
    return at != m_differences.end() && at->row == row ? at->difference : listengine::EtinDifference{};
}

}  // namespace kennfix::liste
