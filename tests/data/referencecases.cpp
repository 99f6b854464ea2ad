#include "tests/data/referencecases.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace kennfix::test {
namespace {

constexpr std::array<std::string_view, 8> kColumns = {
    "case", "family name", "first name", "date", "eTIN", "in a list", "note", "source",
};

std::vector<std::string> SplitAtTabs(const std::string& line)
{
    std::vector<std::string> cells;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

std::vector<ReferenceCase> ReadReferenceCases(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error(path + ": cannot be read");
    std::vector<ReferenceCase> cases;
    bool headerRead = false;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.starts_with('#'))
            continue;
        const auto fail = [&](const std::string& what) {
            return std::runtime_error(path + ":" + std::to_string(number) + ": " + what);
        };
        const std::vector<std::string> cells = SplitAtTabs(line);
        if (cells.size() != kColumns.size())
            throw fail(std::to_string(cells.size()) + " cells instead of " + std::to_string(kColumns.size()));
        if (!headerRead) {
            if (!std::equal(cells.begin(), cells.end(), kColumns.begin()))
                throw fail("the header does not name the columns this reader knows");
            headerRead = true;
            continue;
        }
        for (const ReferenceCase& before : cases)
            if (before.name == cells[0])
                throw fail("a second case named " + cells[0]);
        cases.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]});
    }
    if (cases.empty())
        throw std::runtime_error(path + ": no cases");
    return cases;
}

}  // namespace

const std::vector<ReferenceCase>& ReferenceCases()
{
    static const std::vector<ReferenceCase> cases = ReadReferenceCases(KENNFIX_REFERENCE_CASES);
    return cases;
}

}  // namespace kennfix::test
