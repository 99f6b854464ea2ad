#include "listengine/columnchoice.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "listengine/columnnames.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {
namespace {

// Names under which staff lists keep the three columns, besides the ones the
// options name; compared as the engine compares column names.
constexpr std::string_view kFamilyNames[] = {"Familienname", "Nachname", "Name", "Zuname", "Surname", "Last name",
                                             "Family name"};
constexpr std::string_view kFirstNames[] = {"Vorname", "Vornamen", "Rufname", "First name", "Given name"};
constexpr std::string_view kBirthDates[] = {"Geburtsdatum", "Geb.-Datum", "Geb. Datum", "Geb.Datum", "Gebdatum",
                                            "Geburtstag",   "Geboren",    "Geboren am", "Date of birth", "Birth date"};
// Holds stored eTINs, never a name or a date.
constexpr std::string_view kEtinColumn = "eTIN";

// What a message quotes of a file: a few names, each cut short.
constexpr std::size_t kNamesQuoted = 5;
constexpr std::size_t kQuotedBytes = 30;

const std::string& OptionName(const ListOptions& options, PersonColumn role)
{
    switch (role) {
    case PersonColumn::FamilyName: return options.familyNameColumn;
    case PersonColumn::FirstName: return options.firstNameColumn;
    case PersonColumn::BirthDate: break;
    }
    return options.birthDateColumn;
}

std::span<const std::string_view> UsualNames(PersonColumn role)
{
    switch (role) {
    case PersonColumn::FamilyName: return kFamilyNames;
    case PersonColumn::FirstName: return kFirstNames;
    case PersonColumn::BirthDate: break;
    }
    return kBirthDates;
}

bool Names(std::string_view cell, std::span<const std::string_view> names)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view name) { return SameColumnName(cell, name); });
}

// The names of a header that can name a column to read from.
std::vector<std::string> ChoosableNames(const std::vector<std::string>& names)
{
    std::vector<std::string> choosable;
    for (const std::string& name : names) {
        const bool once = std::count_if(names.begin(), names.end(), [&](const std::string& other) {
                              return SameColumnName(other, name);
                          }) == 1;
        if (once && !SameColumnName(name, "") && ForMessage(name) == name &&
            !SameColumnName(name, kEtinColumn))
            choosable.push_back(name);
    }
    return choosable;
}

}  // namespace

std::optional<ColumnChoice> ColumnChoice::From(const MissingColumnsError& error, const ListOptions& options)
{
    std::vector<Header> headers;
    for (const MissingColumnsError::Header& header : error.headers())
        headers.push_back({header.delimiter, ChoosableNames(header.names)});
    if (std::none_of(headers.begin(), headers.end(), [](const Header& h) { return h.names.size() >= kPersonColumns.size(); }))
        return std::nullopt;
    return ColumnChoice(options, std::move(headers));
}

std::optional<std::size_t> ColumnChoice::fitting(std::size_t header, PersonColumn role) const
{
    const std::vector<std::string>& names = m_headers.at(header).names;
    const auto find = [&](auto fits) -> std::optional<std::size_t> {
        const auto found = std::find_if(names.begin(), names.end(), fits);
        if (found == names.end())
            return std::nullopt;
        return static_cast<std::size_t>(found - names.begin());
    };
    if (const auto named = find([&](const std::string& name) { return SameColumnName(name, OptionName(m_options, role)); }))
        return named;
    return find([&](const std::string& name) { return Names(name, UsualNames(role)); });
}

std::size_t ColumnChoice::preferredHeader() const
{
    std::size_t best = 0;
    std::size_t bestFits = 0;
    for (std::size_t header = 0; header < m_headers.size(); ++header) {
        const auto fits = static_cast<std::size_t>(std::count_if(kPersonColumns.begin(), kPersonColumns.end(),
                                                                 [&](PersonColumn role) { return fitting(header, role); }));
        if (fits > bestFits) {
            best = header;
            bestFits = fits;
        }
    }
    return best;
}

ListOptions ColumnChoice::options(std::size_t header, const std::array<std::size_t, 3>& chosen) const
{
    const Header& h = m_headers.at(header);
    ListOptions options = m_options;
    options.delimiter = h.delimiter;
    options.familyNameColumn = h.names.at(chosen[0]);
    options.firstNameColumn = h.names.at(chosen[1]);
    options.birthDateColumn = h.names.at(chosen[2]);
    return options;
}

std::string MissingColumnsMessage(const MissingColumnsError& error)
{
    const std::vector<std::string>& names = error.headers().at(0).names;
    std::string found;
    for (std::size_t i = 0; i < std::min(names.size(), kNamesQuoted); ++i)
        found += (i == 0 ? "" : ", ") + Quoted(ShortenedForMessage(names[i], kQuotedBytes));
    if (names.size() > kNamesQuoted)
        found += " und " + GroupedNumber(names.size() - kNamesQuoted) + " weitere";
    const std::string line = error.line() == 0 ? "" : "Zeile " + std::to_string(error.line()) + ": ";
    return line + error.missingText() + " (gefunden: " + found +
           "). Ist die Datei eine Liste im CSV-Format mit einer Kopfzeile?";
}

}  // namespace kennfix::listengine
