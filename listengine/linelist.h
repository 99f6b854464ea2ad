#pragma once

// Lines of the input, kept compactly, for messages that name rows.

#include <cstddef>
#include <span>
#include <vector>

namespace kennfix::listengine {

// The first runs of consecutive lines and how many lines there are in all.
class LineList {
public:
    struct Range {
        std::size_t first;
        std::size_t last;
    };
    static constexpr std::size_t kMaxRanges = 10;

    // A row from `first` to `last` (a quoted cell may span lines).
    void Add(std::size_t first, std::size_t last);
    std::size_t rows() const { return m_rows; }
    std::span<const Range> ranges() const { return m_ranges; }
    bool complete() const { return !m_truncated; }  // false when ranges() holds only the first ones

private:
    std::vector<Range> m_ranges;
    std::size_t m_rows = 0;
    bool m_truncated = false;
};

}  // namespace kennfix::listengine
