#pragma once

// The options that a program's --help lists, to compare them with the
// table both list programs build their options from.

#include <sstream>
#include <string>
#include <vector>

#include "listengine/options.h"

namespace kennfix::test {

// Blanks in a row as one, none at either end.
inline std::string Collapsed(const std::string& text)
{
    std::istringstream words(text);
    std::string result;
    for (std::string word; words >> word;)
        result += (result.empty() ? "" : " ") + word;
    return result;
}

// The entries under "Optionen:", each as "-d --delimiter ZEICHEN: help", the
// help on one line. CLI11 writes "-d,--delimiter ZEICHEN", Qt writes
// "-d, --delimiter <ZEICHEN>" and wraps the help under itself.
inline std::vector<std::string> OptionsInHelp(const std::string& help)
{
    std::vector<std::string> entries;
    std::istringstream lines(help);
    std::string line;
    while (std::getline(lines, line) && line != "Optionen:") {
    }
    while (std::getline(lines, line) && !line.empty()) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos)
            break;
        if (line[start] != '-') {  // the help of the entry above, wrapped
            if (!entries.empty())
                entries.back() += " " + line.substr(start);
            continue;
        }
        std::size_t gap = line.find("  ", start);
        std::string names = line.substr(start, gap - start);
        for (char& c : names) {
            if (c == ',' || c == '<' || c == '>')
                c = ' ';
        }
        entries.push_back(Collapsed(names) + ":" + (gap == std::string::npos ? "" : " " + line.substr(gap)));
    }
    for (std::string& entry : entries)
        entry = Collapsed(entry);
    return entries;
}

// What OptionsInHelp must find: --help and --version, then the list options
// of the table, in its order.
inline std::vector<std::string> OptionsOfTheTable()
{
    std::vector<std::string> entries{"-h --help: Diese Hilfe zeigen", "--version: Die Versionsnummer zeigen"};
    for (const listengine::ListOption& option : listengine::ListOptionTable()) {
        std::string entry = option.shortName ? std::string{'-', option.shortName, ' '} : "";
        entry += "--" + std::string(option.name) + " " + std::string(option.placeholder) + ": " + std::string(option.help);
        entries.push_back(entry);
    }
    return entries;
}

}  // namespace kennfix::test
