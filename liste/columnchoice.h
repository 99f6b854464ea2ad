#pragma once

// A list whose header lacks a column the window looks for: the names the
// header offers for family name, first name and date of birth, under the
// delimiter it was read with or, when that was a guess, under each one, and
// which of them fit. The column dialog (columnsdialog.h) shows this; the
// options it gives read that one list and are not kept.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "listengine/list.h"

namespace kennfix::liste {

enum class ColumnRole { FamilyName, FirstName, BirthDate };
inline constexpr std::array kColumnRoles{ColumnRole::FamilyName, ColumnRole::FirstName, ColumnRole::BirthDate};

class ColumnChoice {
public:
    // The header split by one delimiter, with the names that can be chosen.
    struct Header {
        char delimiter;
        std::vector<std::string> names;  // UTF-8
    };

    // Nothing when the header offers nothing to choose from under any
    // delimiter: fewer than three names that can name a column (printable,
    // not empty, once in the header, not eTIN), as in a file that is no
    // list at all.
    static std::optional<ColumnChoice> From(const listengine::MissingColumnsError& error, const listengine::ListOptions& options);

    const std::vector<Header>& headers() const { return m_headers; }
    // Whether the delimiter is the user's to choose: it was a guess.
    bool delimiterChoosable() const { return m_headers.size() > 1; }
    // The header to show first: the one under which most roles find a name.
    std::size_t preferredHeader() const;
    // The name of `header` that fits `role`: the column the options name,
    // else a usual name for it ("Nachname", "Geb.-Datum", ...).
    std::optional<std::size_t> fitting(std::size_t header, ColumnRole role) const;

    // The options that read the list with the names chosen in `header`, one
    // for each role in the order of kColumnRoles.
    listengine::ListOptions options(std::size_t header, const std::array<std::size_t, 3>& chosen) const;

private:
    ColumnChoice(listengine::ListOptions options, std::vector<Header> headers)
        : m_options(std::move(options)), m_headers(std::move(headers))
    {
    }

    listengine::ListOptions m_options;
    std::vector<Header> m_headers;
};

// The message for a header that offers nothing to choose from, without the
// command line's options: what is missing, the names found shortened, so
// that a binary file does not fill the box, and a question that tells what
// the file ought to be.
std::string MissingColumnsMessage(const listengine::MissingColumnsError& error);

}  // namespace kennfix::liste
