#pragma once

// The list of people that kennfix-batch works on: CSV as German spreadsheet
// programs write it, read and written back one row at a time, so a list of
// any length needs the memory of one row.
//
// Way of one row: libcsv hands over its cells -> the name and date cells are
// converted to Windows-1252 (Utf8ToWindows1252, as the window does) ->
// ComputeEtin -> the row is written with its cells as they were, then the
// eTIN and the error text (column Fehler). A bad row gets its error in Fehler
// and the run goes on; only input that cannot be read as a list (no header,
// a needed column missing, broken quoting) stops it with a ListError.

#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <string>

#include "etin.h"

namespace kennfix::batch {

enum class Encoding {
    // Input: valid UTF-8 (with or without BOM) is UTF-8, anything else
    // Windows-1252. Input that cannot be read twice (a pipe) is judged by
    // its first row with a byte above 127, and a later row that is no
    // UTF-8 after all stops the run. Output: as the input.
    Auto,
    Utf8,
    Windows1252,
};

struct ListOptions {
    char delimiter = ';';
    Encoding inputEncoding = Encoding::Auto;
    Encoding outputEncoding = Encoding::Auto;
    // Header names in UTF-8, found ignoring case and surrounding blanks.
    std::string familyNameColumn = "Familienname";
    std::string firstNameColumn = "Vorname";
    std::string birthDateColumn = "Geburtsdatum";
    DateSettings dateSettings;  // German: "." and day-month-year
    int currentYear = CurrentYear();
};

struct ListSummary {
    std::size_t rows = 0;        // data rows read, and so written
    std::size_t failedRows = 0;  // rows with an error in Fehler
};

// The input is no list that can be read. what() names the line where one is
// to blame: "Zeile 7: ...".
class ListError : public std::runtime_error {
public:
    ListError(std::size_t line, const std::string& message);
    std::size_t line() const { return m_line; }  // 0 when no line is to blame

private:
    std::size_t m_line;
};

// Reads the list from `in` and writes it to `out` with the columns eTIN and
// Fehler. Columns of those names already in the list are filled in place, so
// a list can be run through again. Throws ListError; what was written until
// then is incomplete.
ListSummary ProcessList(std::istream& in, std::ostream& out, const ListOptions& options);

}  // namespace kennfix::batch
