// The page's C API (web/api.h) built natively, for the differential test:
// reads one person a line from standard input, tab-separated,
//   family name, first name, date text, separator (its code), order,
//   current year
// and writes the answer of kf_compute for each, one a line, in the same
// order. tests/web/differential.mjs feeds the same lines to the module.

#include <iostream>
#include <string>
#include <vector>

#include "web/api.h"

int main()
{
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() != 6) {
            std::cerr << "api_driver: not six fields: " << line << '\n';
            return 2;
        }
        std::cout << kf_compute(fields[0].c_str(), fields[1].c_str(), fields[2].c_str(), std::stoi(fields[3]),
                                std::stoi(fields[4]), std::stoi(fields[5]))
                  << '\n';
    }
    return 0;
}
