#pragma once

// The list engine: a staff list as German spreadsheet programs write it (CSV),
// read and written back one row at a time with the columns eTIN and Fehler,
// and Prüfung when the list keeps eTINs of its own. Every front end (the
// program kennfix-batch, the window kennfix-liste) runs lists through here,
// so a list gives the same file wherever it is run.
//
// Way of one row:
//   internal/reader.h    bytes -> cells, with their lines and their row's
//                        encoding
//   internal/rowcheck.h  name, first name and date -> eTIN or Fehler; a
//                        stored eTIN -> Prüfung
//   internal/writer.h    cells in the output's encoding, quoted as CSV
//   files.h              the output file: a private temporary file that
//                        takes the target's place when the list is complete
// A bad row gets its reason in Fehler and the run goes on; only input that
// cannot be read as a list (no header, a needed column missing, broken
// quoting) stops it with a ListError.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/etin.h"

namespace kennfix::listengine {

enum class Encoding {
    // Input: each row is read in its own encoding, valid UTF-8 as UTF-8 and
    // anything else as Windows-1252; a byte order mark makes the input UTF-8
    // or UTF-16. Output: the main encoding of the input (see ListSummary).
    Auto,
    Utf8,
    Windows1252,
    Utf16LE,
    Utf16BE,
};

struct ListOptions {
    std::optional<char> delimiter;  // ';', ',' or '\t'; none: found from the header line
    Encoding inputEncoding = Encoding::Auto;
    Encoding outputEncoding = Encoding::Auto;
    // Header names in UTF-8, found ignoring case and surrounding blanks.
    std::string familyNameColumn = "Familienname";
    std::string firstNameColumn = "Vorname";
    std::string birthDateColumn = "Geburtsdatum";
    DateSettings dateSettings;  // German: "." and day-month-year
    int currentYear = CurrentYear();
};

// The column Prüfung: what became of an eTIN the list already held.
enum class StoredEtinCheck {
    None,                 // the list has no eTIN column, or the row no eTIN
    Matches,              // "stimmt"
    Filled,               // "ergänzt": the cell was empty and holds the computed eTIN now
    Differs,              // "weicht ab (Geburtsdatum), berechnet: ...": another person's, or no eTIN
    WrongCheckCharacter,  // "Prüfzeichen falsch, berechnet: ...": only the 14th character differs
};

inline constexpr std::size_t kEtinLength = 14;

// The parts of an eTIN, by the characters they take (counted from 1), as
// Prüfung and the list window name them.
struct EtinPart {
    std::string_view name;
    std::size_t first;
    std::size_t last;
};
inline constexpr EtinPart kEtinParts[] = {
    {"Familienname", 1, 4},
    {"Vorname", 5, 8},
    {"Geburtsdatum", 9, 13},
    {"Prüfzeichen", 14, 14},
};

// Where a stored eTIN differs from the computed one. Characters are counted
// from the first one that is no blank; a text of another length than 14 is
// not compared character by character.
struct EtinDifference {
    std::uint16_t characters = 0;  // bit i: character i + 1 differs
    std::size_t length = kEtinLength;  // characters of the stored eTIN, blanks around it aside
    std::size_t leadingBlanks = 0;     // blank characters before it in its cell

    bool lengthDiffers() const { return length != kEtinLength; }
    bool differs(const EtinPart& part) const
    {
        const auto bits = static_cast<std::uint16_t>(((1u << part.last) - 1) & ~((1u << (part.first - 1)) - 1));
        return !lengthDiffers() && (characters & bits) != 0;
    }
};

// The columns of the output, known once the header is read.
struct ListLayout {
    std::vector<std::string> columnNames;  // UTF-8; the input's columns, then those added
    // Where each column of the input's header went. Cells beyond the header
    // follow all columns, in their order.
    std::vector<std::size_t> outputColumnOf;
    std::size_t familyNameColumn = 0;
    std::size_t firstNameColumn = 0;
    std::size_t birthDateColumn = 0;
    std::size_t etinColumn = 0;   // the list's own or ours
    // Ours, always added: under "Fehler 2" ... when the list has a column
    // of that name, which stays a column like any other.
    std::size_t errorColumn = 0;
    std::optional<std::size_t> checkColumn;  // Prüfung, only for a list with an eTIN column
    Encoding outputEncoding = Encoding::Utf8;
    char delimiter = ';';
};

// One row as it is written, for front ends that show the rows. The views hold
// during the call only. Their text is in the output's encoding, except that
// UTF-16 output is given as UTF-8 (textEncoding says which).
struct RowResult {
    std::size_t line = 0;     // the line the row begins on in the input
    bool blank = false;       // a blank line or a row of empty cells: nobody to compute
    std::span<const std::string_view> cells;  // the whole row, laid out as ListLayout says
    std::string_view etin;    // the eTIN column: the stored eTIN, or the one computed
    std::string_view computedEtin;  // empty when the row has no eTIN
    StoredEtinCheck check = StoredEtinCheck::None;
    EtinDifference difference;      // for Differs and WrongCheckCharacter
    std::string_view checkText;     // the column Prüfung
    std::string_view error;         // the column Fehler; empty when there is none
    Encoding textEncoding = Encoding::Utf8;  // Utf8 or Windows1252
};

struct ListProgress {
    std::uint64_t bytesRead = 0;
    std::uint64_t totalBytes = 0;  // 0 when not known (a pipe); ProcessListFile fills it in
    std::size_t rows = 0;
};

struct ListCallbacks {
    std::function<void(const ListLayout&)> onHeader;  // before the first row
    std::function<void(const RowResult&)> onRow;      // every row after the header, blank ones too
    // About every 64 KiB of input; returning false ends the run with ListCancelled.
    std::function<bool(const ListProgress&)> onProgress;
};

// Lines of the input, kept compactly: the first runs of consecutive lines and
// how many lines there are in all.
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

struct ListSummary {
    std::size_t rows = 0;            // data rows with a person, blank ones not counted
    std::size_t blankRows = 0;
    std::size_t failedRows = 0;      // rows without an eTIN; Fehler says why
    std::size_t lossyRows = 0;       // rows with characters the output's code page cannot hold
    std::size_t deviatingRows = 0;   // stored eTINs that differ or have a wrong check character
    std::size_t filledRows = 0;      // empty eTIN cells filled in
    bool lossyHeader = false;
    // The encoding most rows are in: that of the first row with a byte above
    // 127, or UTF-8 for ASCII (see kDecisionWindow in list.cpp), or as asked
    // for, or as the byte order mark says.
    Encoding mainEncoding = Encoding::Utf8;
    Encoding outputEncoding = Encoding::Utf8;
    LineList otherEncodingRows;      // rows read in the other one of UTF-8 and Windows-1252

    // Whether any row needs the user's eye: a Fehler or a deviating eTIN.
    bool needsAttention() const { return failedRows + lossyRows + deviatingRows > 0 || lossyHeader; }
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

// The header lacks a column that the options name. A front end that lets
// the user choose the columns finds here what the header offers; what()
// names the columns missing and found, and the options that choose others.
class MissingColumnsError : public ListError {
public:
    // The header line as one delimiter splits it; its names in UTF-8, as
    // they stand.
    struct Header {
        char delimiter = ';';
        std::vector<std::string> names;
    };

    // `missing`: the options' names of the columns not found, UTF-8.
    // `headers`: the header as it was read, then, when the delimiter was
    // found from the header line, as each other delimiter splits it.
    MissingColumnsError(std::size_t line, std::vector<std::string> missing, std::vector<Header> headers,
                        bool delimiterGuessed);

    // "In der Kopfzeile fehlt die Spalte „Vorname“", without the line.
    const std::string& missingText() const { return m_missingText; }
    const std::vector<Header>& headers() const { return m_headers; }
    bool delimiterGuessed() const { return m_delimiterGuessed; }

private:
    std::string m_missingText;
    std::vector<Header> m_headers;
    bool m_delimiterGuessed;
};

// Whether a header cell names the column `name` (both UTF-8), as the engine
// finds columns: ignoring case and blanks around them.
bool SameColumnName(std::string_view cell, std::string_view name);

// Reading the input or writing the output failed. files.h turns them into
// messages that name the file and the reason.
class ReadError : public std::runtime_error {
public:
    ReadError();
};
class WriteError : public std::runtime_error {
public:
    WriteError();
};

// A progress callback asked to stop.
class ListCancelled : public std::runtime_error {
public:
    ListCancelled();
};

// Refuses options that give one column two jobs: a name column that another
// one names too, or one called eTIN. Throws ListError
// (line 0). ProcessList checks this first.
void CheckColumnOptions(const ListOptions& options);

// Reads the list from `in` and writes it to `out`. Input and output need only
// read and write in one pass (pipes), and the output is the same to the byte
// whichever `in` is. Throws ListError, ReadError, WriteError, ListCancelled;
// what was written until then is incomplete.
ListSummary ProcessList(std::istream& in, std::ostream& out, const ListOptions& options,
                        const ListCallbacks& callbacks = {});

// What the summary tells the user, in German, one message a line, without
// the program's name: rows without eTIN, deviating eTINs, characters lost,
// rows in the other encoding. Empty when there is nothing to tell.
std::vector<std::string> SummaryMessages(const ListSummary& summary);

}  // namespace kennfix::listengine
