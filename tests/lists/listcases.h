#pragma once

// The lists of cases.txt beside this file, for the tests that run them
// through kennfix-batch and through a save in kennfix-liste.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kennfix::test {

struct ListCase {
    std::string name;
    int status;  // kennfix-batch's exit status
    std::string comment;
    std::filesystem::path input;
    std::filesystem::path expected;  // none for status 2
};

inline std::string FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Empty when cases.txt cannot be read, which the tests report.
inline std::vector<ListCase> ReadListCases(const std::filesystem::path& folder)
{
    std::vector<ListCase> cases;
    std::istringstream table(FileBytes(folder / "cases.txt"));
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line.starts_with('#'))
            continue;
        std::istringstream fields(line);
        ListCase c;
        fields >> c.name >> c.status >> std::ws;
        std::getline(fields, c.comment);
        c.input = folder / (c.name + ".csv");
        c.expected = folder / (c.name + ".expected.csv");
        cases.push_back(std::move(c));
    }
    return cases;
}

}  // namespace kennfix::test
