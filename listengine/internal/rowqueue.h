#pragma once

// Rows held back until the output's encoding is known (encodingdecision.h),
// with their cells, in little memory: the bytes of all rows in one buffer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listengine/internal/celltext.h"
#include "listengine/internal/listreader.h"

namespace kennfix::listengine::internal {

// How much the rows held back may take, as heldBytes() counts it, before
// the list is taken as UTF-8 without waiting any longer.
inline constexpr std::size_t kDecisionWindow = 4 << 20;

class RowQueue {
public:
    void Push(const InputRow& row);

    // What the rows held take in memory: a blank line counts too.
    std::size_t heldBytes() const
    {
        return m_bytes.size() + m_ends.size() * sizeof(std::uint32_t) + m_rows.size() * sizeof(Meta);
    }
    bool full() const { return heldBytes() > kDecisionWindow; }

    // Calls f(const InputRow&) for each row held, in order, and lets go of
    // them and their memory.
    template <class F>
    void Drain(F f);

private:
    struct Meta {
        std::size_t line;
        std::size_t lastLine;
        std::size_t cells;
        int terminator;
        RowEncoding encoding;
        bool plain;
    };

    std::string m_bytes;
    std::vector<std::uint32_t> m_ends;
    std::vector<Meta> m_rows;
};

template <class F>
void RowQueue::Drain(F f)
{
    std::size_t cell = 0;
    std::uint32_t base = 0;
    std::vector<std::uint32_t> ends;
    for (const Meta& m : m_rows) {
        ends.clear();
        for (std::size_t i = 0; i < m.cells; ++i)
            ends.push_back(m_ends[cell + i] - base);
        const std::uint32_t size = m.cells == 0 ? 0 : ends.back();
        InputRow row;
        row.bytes = std::string_view(m_bytes).substr(base, size);
        row.ends = ends;
        row.line = m.line;
        row.lastLine = m.lastLine;
        row.encoding = m.encoding;
        row.terminator = m.terminator;
        row.plain = m.plain;
        f(row);
        cell += m.cells;
        base += size;
    }
    m_rows = {};
    m_ends = {};
    m_bytes = {};
}

}  // namespace kennfix::listengine::internal
