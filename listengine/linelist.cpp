#include "listengine/linelist.h"

#include <algorithm>

namespace kennfix::listengine {

void LineList::Add(std::size_t first, std::size_t last)
{
    ++m_rows;
    if (!m_ranges.empty() && first <= m_ranges.back().last + 1) {
        m_ranges.back().last = std::max(m_ranges.back().last, last);
    } else if (m_ranges.size() < kMaxRanges && !m_truncated) {
        m_ranges.push_back({first, last});
    } else {
        m_truncated = true;
    }
}

}  // namespace kennfix::listengine
