#pragma once

// The reference cases of tests/data/reference-etins.tsv, which says what
// each column means and where each eTIN comes from. Plain C++, for the core's,
// the list engine's and the window's tests alike.

#include <string>
#include <vector>

namespace kennfix::test {

// The year the dates of the cases are read in: it decides the hundred years
// of a two-digit year, and with it whether 29.02.00 is a date.
inline constexpr int kReferenceYear = 2026;

// One line of the file; every text in UTF-8.
struct ReferenceCase {
    std::string name;         // unique, for failure messages and test rows
    std::string familyName;   // as typed
    std::string firstName;
    std::string date;         // the window's date field, German settings
    std::string etin;         // what the window shows
    std::string listMessage;  // empty when a list gives the same eTIN; else its message for the row
    std::string note;
};

// All cases, read once. Throws std::runtime_error, naming the file and the
// line, when the file cannot be read or a line is not as the header says.
const std::vector<ReferenceCase>& ReferenceCases();

}  // namespace kennfix::test
