#pragma once

// A list whose header lacks a column the options look for: the names the
// header offers for family name, first name and date of birth, under the
// delimiter it was read with or, when that was a guess, under each one, and
// which of them fit. Front ends that let the user choose the columns (the
// list window's column dialog, the page's list part) show this; the options
// it gives read that one list and are not kept.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "listengine/list.h"

namespace kennfix::listengine {

enum class PersonColumn { FamilyName, FirstName, BirthDate };
inline constexpr std::array kPersonColumns{PersonColumn::FamilyName, PersonColumn::FirstName, PersonColumn::BirthDate};

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
    static std::optional<ColumnChoice> From(const MissingColumnsError& error, const ListOptions& options);

    const std::vector<Header>& headers() const { return m_headers; }
    // Whether the delimiter is the user's to choose: it was a guess.
    bool delimiterChoosable() const { return m_headers.size() > 1; }
    // The header to show first: the one under which most roles find a name.
    std::size_t preferredHeader() const;
    // The name of `header` that fits `role`: the column the options name,
    // else a usual name for it ("Nachname", "Geb.-Datum", ...).
    std::optional<std::size_t> fitting(std::size_t header, PersonColumn role) const;

    // The options that read the list with the names chosen in `header`, one
    // for each role in the order of kPersonColumns.
    ListOptions options(std::size_t header, const std::array<std::size_t, 3>& chosen) const;

private:
    ColumnChoice(ListOptions options, std::vector<Header> headers)
        : m_options(std::move(options)), m_headers(std::move(headers))
    {
    }

    ListOptions m_options;
    std::vector<Header> m_headers;
};

// The message for a header that offers nothing to choose from, without the
// command line's options: what is missing, the names found shortened, so
// that a binary file does not fill the box, and a question that tells what
// the file ought to be.
std::string MissingColumnsMessage(const MissingColumnsError& error);

}  // namespace kennfix::listengine
