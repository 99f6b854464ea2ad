#pragma once

// The list engine's types, shared by every part of it and by its front ends:
// the options of a list, the encodings, what became of a stored eTIN, the
// columns of the output, one row as written, progress and the summary. The
// bottom of the engine: this header includes none of the engine's own.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
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
    // 127, or UTF-8 for ASCII (see internal/encodingdecision.h), or as asked
    // for, or as the byte order mark says.
    Encoding mainEncoding = Encoding::Utf8;
    Encoding outputEncoding = Encoding::Utf8;
    LineList otherEncodingRows;      // rows read in the other one of UTF-8 and Windows-1252

    // Whether any row needs the user's eye: a Fehler or a deviating eTIN.
    bool needsAttention() const { return failedRows + lossyRows + deviatingRows > 0 || lossyHeader; }
};

}  // namespace kennfix::listengine
