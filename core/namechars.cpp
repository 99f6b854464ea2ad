#include "core/namechars.h"

#include <algorithm>
#include <array>

#include "core/namechars_table.h"

namespace kennfix {
namespace {

static_assert(namechars::kRuns.front().first == 0, "the runs cover every code point from U+0000");
static_assert(std::is_sorted(namechars::kRuns.begin(), namechars::kRuns.end(),
                             [](const namechars::Run& a, const namechars::Run& b) { return a.first < b.first; }),
              "binary search needs the runs sorted");

NameCharacterClass Lookup(char32_t c)
{
    const auto& runs = namechars::kRuns;
    // The last run that starts at or before c.
    const auto it = std::upper_bound(runs.begin(), runs.end(), c,
                                     [](char32_t code, const namechars::Run& run) { return code < run.first; });
    return std::prev(it)->cls;
}

// The first 256 code points, which cover every name in Latin script but a
// few, without a search.
constexpr std::array<NameCharacterClass, 256> kLatin1 = [] {
    std::array<NameCharacterClass, 256> table{};
    std::size_t run = 0;
    for (char32_t c = 0; c < table.size(); ++c) {
        while (run + 1 < namechars::kRuns.size() && namechars::kRuns[run + 1].first <= c)
            ++run;
        table[c] = namechars::kRuns[run].cls;
    }
    return table;
}();

}  // namespace

NameCharacterClass ClassifyNameCharacter(char32_t c)
{
    if (c < kLatin1.size())
        return kLatin1[c];
    if (c > 0x10FFFF)
        return NameCharacterClass::Other;
    return Lookup(c);
}

}  // namespace kennfix
