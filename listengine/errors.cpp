#include "listengine/errors.h"

#include "listengine/messagetext.h"

namespace kennfix::listengine {
namespace {

std::string WithLine(std::size_t line, const std::string& message)
{
    return line == 0 ? message : "Zeile " + std::to_string(line) + ": " + message;
}

std::string MissingText(const std::vector<std::string>& columns)
{
    std::vector<std::string> quoted;
    for (const std::string& column : columns)
        quoted.push_back(QuotedForMessage(column));
    switch (quoted.size()) {
    case 1: return "In der Kopfzeile fehlt die Spalte " + quoted[0];
    case 2: return "In der Kopfzeile fehlen die Spalten " + quoted[0] + " und " + quoted[1];
    default: return "In der Kopfzeile fehlen die Spalten " + quoted[0] + ", " + quoted[1] + " und " + quoted[2];
    }
}

std::string MissingColumnsWhat(const std::string& missingText, const MissingColumnsError::Header& header)
{
    std::string found;
    for (const std::string& name : header.names)
        found += (found.empty() ? "" : ", ") + QuotedForMessage(name);
    return missingText + " (gefunden: " + found +
           "). Andere Spaltennamen geben --family-name-column, --first-name-column und --birth-date-column an; das "
           "Trennzeichen gibt --delimiter an.";
}

}  // namespace

ListError::ListError(std::size_t line, const std::string& message)
    : std::runtime_error(WithLine(line, message)), m_line(line)
{
}

MissingColumnsError::MissingColumnsError(std::size_t line, std::vector<std::string> missing,
                                         std::vector<Header> headers, bool delimiterGuessed)
    : ListError(line, MissingColumnsWhat(MissingText(missing), headers.at(0))),
      m_missingText(MissingText(missing)), m_headers(std::move(headers)), m_delimiterGuessed(delimiterGuessed)
{
}

ReadError::ReadError() : std::runtime_error("Die Eingabe kann nicht gelesen werden.") {}
WriteError::WriteError() : std::runtime_error("Die Ausgabe kann nicht geschrieben werden.") {}
ListCancelled::ListCancelled() : std::runtime_error("Abgebrochen.") {}

}  // namespace kennfix::listengine
