#include "listengine/internal/outputcolumns.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace kennfix::listengine::internal {
namespace {

constexpr std::string_view kErrorHeader = "Fehler";
constexpr std::string_view kCheckHeader = "Prüfung";

// A column of ours under its name, or, when the list has a column of that
// name, the first of "Fehler 2", "Fehler 3" ... that it has not.
std::string FreeColumnName(std::string_view name, const std::vector<std::string>& headerKeys)
{
    const auto taken = [&](const std::string& candidate) {
        return std::find(headerKeys.begin(), headerKeys.end(), HeaderKey(candidate, RowEncoding::Utf8)) !=
               headerKeys.end();
    };
    std::string candidate(name);
    for (std::size_t n = 2; taken(candidate); ++n)
        candidate = std::string(name) + " " + std::to_string(n);
    return candidate;
}

}  // namespace

OutputColumns::OutputColumns(const HeaderColumns& header, char delimiter, Encoding output)
    : m_inputCount(header.count), m_storedEtin(header.column(ColumnRole::StoredEtin))
{
    // Ours are eTIN (or Prüfung beside the list's own) and Fehler.
    const std::size_t outputCount = m_inputCount + 2;
    ListLayout& l = m_layout;
    l.columnNames.assign(outputCount, {});
    for (std::size_t i = 0; i < m_inputCount; ++i) {
        l.columnNames[of(i)] = header.names[i];
        l.outputColumnOf.push_back(of(i));
    }
    l.familyNameColumn = of(*header.column(ColumnRole::FamilyName));
    l.firstNameColumn = of(*header.column(ColumnRole::FirstName));
    l.birthDateColumn = of(*header.column(ColumnRole::BirthDate));
    l.etinColumn = m_storedEtin ? of(*m_storedEtin) : m_inputCount;
    if (m_storedEtin) {
        l.checkColumn = l.etinColumn + 1;
        l.columnNames[*l.checkColumn] = FreeColumnName(kCheckHeader, header.keys);
    } else {
        l.columnNames[l.etinColumn] = kEtinHeader;
    }
    l.errorColumn = outputCount - 1;
    l.columnNames[l.errorColumn] = FreeColumnName(kErrorHeader, header.keys);
    l.outputEncoding = output;
    l.delimiter = delimiter;

    m_holdsInputCell.assign(outputCount, false);
    for (std::size_t i = 0; i < m_inputCount; ++i)
        m_holdsInputCell[of(i)] = true;
    // A stored eTIN cell may take the computed one.
    m_holdsInputCell[l.etinColumn] = false;
}

}  // namespace kennfix::listengine::internal
