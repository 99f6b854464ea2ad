#include "listengine/internal/rowqueue.h"

#include <algorithm>

namespace kennfix::listengine::internal {
namespace {

// A buffer grows as it fills while it is small; once it is not, it takes
// room for all that may wait at once, whose pages count only once written:
// growing on, it would hold its old and its new room together for a moment,
// three times what waits.
template <class Buffer>
void MakeRoom(Buffer& buffer, std::size_t more)
{
    using Element = typename Buffer::value_type;
    constexpr std::size_t kSmall = (64 << 10) / sizeof(Element);
    if (buffer.size() + more > buffer.capacity() && buffer.capacity() >= kSmall)
        buffer.reserve(std::max(buffer.size() + more, kDecisionWindow / sizeof(Element) + 1));
}

}  // namespace

void RowQueue::Push(const InputRow& row)
{
    MakeRoom(m_bytes, row.bytes.size());
    MakeRoom(m_ends, row.ends.size());
    MakeRoom(m_rows, 1);
    const auto base = static_cast<std::uint32_t>(m_bytes.size());
    m_bytes += row.bytes;
    for (std::uint32_t end : row.ends)
        m_ends.push_back(base + end);
    m_rows.push_back({row.line, row.lastLine, row.size(), row.terminator, row.encoding, row.plain});
}

}  // namespace kennfix::listengine::internal
