#include "listengine/internal/columnfinder.h"

#include "core/cp1252.h"
#include "core/normalise.h"
#include "listengine/errors.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine::internal {

std::string HeaderKey(std::string_view cell, RowEncoding encoding)
{
    const std::string_view trimmed = TrimBlanks(cell, encoding);
    return UpperCase(encoding == RowEncoding::Utf8 ? Utf8ToWindows1252(trimmed).text : AnsiText(trimmed));
}

bool RowHoldsText(const InputRow& row)
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (HoldsText(row.cell(i)))
            return true;
    }
    return false;
}

ColumnFinder::ColumnFinder(std::string_view familyName, std::string_view firstName, std::string_view birthDate,
                           std::optional<char> delimiter, Encoding inputEncoding)
    : m_delimiterGuessed(!delimiter), m_inputEncoding(inputEncoding),
      m_wanted{{{familyName, {}}, {firstName, {}}, {birthDate, {}}, {kEtinHeader, {}}}}
{
    for (Wanted& w : m_wanted)
        w.key = HeaderKey(w.utf8Name, RowEncoding::Utf8);
}

int ColumnFinder::Score(const InputRow& row) const
{
    int score = 0;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const std::string key = HeaderKey(row.cell(i), row.encoding);
        for (const ColumnRole role : kNeededRoles)
            score += wanted(role).key == key;
    }
    return score;
}

HeaderColumns ColumnFinder::Find(const InputRow& header, char delimiter, std::string_view headerLine) const
{
    HeaderColumns columns;
    columns.count = header.size();
    for (std::size_t i = 0; i < header.size(); ++i) {
        columns.names.push_back(ToUtf8(header.cell(i), header.encoding));
        const std::string& key = columns.keys.emplace_back(HeaderKey(header.cell(i), header.encoding));
        for (std::size_t r = 0; r < kColumnRoleCount; ++r) {
            if (key != m_wanted[r].key)
                continue;
            if (columns.roles[r])
                throw ListError(header.line, "Die Spalte " + QuotedForMessage(m_wanted[r].utf8Name) +
                                                 " kommt in der Kopfzeile mehrmals vor.");
            columns.roles[r] = i;
        }
    }

    std::vector<std::string> missing;
    for (const ColumnRole role : kNeededRoles) {
        if (!columns.column(role))
            missing.emplace_back(wanted(role).utf8Name);
    }
    if (!missing.empty()) {
        std::vector<MissingColumnsError::Header> headers(1, {delimiter, columns.names});
        for (const char other : kDelimiterCandidates) {
            if (m_delimiterGuessed && other != delimiter)
                headers.push_back({other, SplitHeaderLine(headerLine, other, m_inputEncoding)});
        }
        throw MissingColumnsError(header.line, std::move(missing), std::move(headers), m_delimiterGuessed);
    }
    return columns;
}

}  // namespace kennfix::listengine::internal
