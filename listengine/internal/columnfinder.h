#pragma once

// Finding the header's columns. The first line with text is the header; the
// columns the options name are found in it by name, as the core compares
// names: ignoring case and the blanks around them. Family name, first name
// and date of birth must be there, once each; a column eTIN holds stored
// eTINs. Columns of the list called Fehler or Prüfung are columns like any
// other.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listengine/encoding.h"
#include "listengine/internal/celltext.h"
#include "listengine/internal/listreader.h"

namespace kennfix::listengine::internal {

// What a column of the input is to the engine.
enum class ColumnRole { FamilyName, FirstName, BirthDate, StoredEtin };
inline constexpr std::size_t kColumnRoleCount = 4;
// The roles every list has a column for, in the order messages name them.
inline constexpr ColumnRole kNeededRoles[] = {ColumnRole::FamilyName, ColumnRole::FirstName, ColumnRole::BirthDate};

inline constexpr std::string_view kEtinHeader = "eTIN";

// A header name as columns are compared: in Windows-1252, upper case, blanks
// around it aside (a no-break space too).
std::string HeaderKey(std::string_view cell, RowEncoding encoding);

// Whether a row holds text (see HoldsText). Rows before the header without
// text come back as they are; the first row with text is the header.
bool RowHoldsText(const InputRow& row);

// The header's columns, as found.
struct HeaderColumns {
    std::size_t count = 0;             // cells of the header
    std::vector<std::string> names;    // UTF-8, as they stand
    std::vector<std::string> keys;     // HeaderKey of each
    std::array<std::optional<std::size_t>, kColumnRoleCount> roles;  // the column of each role; needed ones are there

    std::optional<std::size_t> column(ColumnRole role) const { return roles[static_cast<std::size_t>(role)]; }
};

class ColumnFinder {
public:
    // The names of the columns to find (UTF-8; they must outlive the finder),
    // and how the header line was read: with `delimiter` unset the delimiter
    // was a guess, and a missing column shows the header under the others.
    ColumnFinder(std::string_view familyName, std::string_view firstName, std::string_view birthDate,
                 std::optional<char> delimiter, Encoding inputEncoding);

    // How many of the needed columns a row, read as a header, names: the
    // reader chooses the delimiter by it.
    int Score(const InputRow& row) const;

    // The columns of the header row. Throws ListError when a column is named
    // twice, MissingColumnsError when a needed one is missing: then
    // `delimiter` and `headerLine` (as RowSink::OnStart gives them) show
    // what the header offers under the other delimiters.
    HeaderColumns Find(const InputRow& header, char delimiter, std::string_view headerLine) const;

private:
    struct Wanted {
        std::string_view utf8Name;  // as the options name it
        std::string key;
    };
    const Wanted& wanted(ColumnRole role) const { return m_wanted[static_cast<std::size_t>(role)]; }

    bool m_delimiterGuessed;
    Encoding m_inputEncoding;
    std::array<Wanted, kColumnRoleCount> m_wanted;
};

}  // namespace kennfix::listengine::internal
