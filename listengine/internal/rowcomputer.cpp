#include "listengine/internal/rowcomputer.h"

#include "core/cp1252.h"
#include "listengine/internal/listwriter.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine::internal {
namespace {

constexpr std::string_view kTooManyCells = "Zeile hat mehr Spalten als die Kopfzeile";

}  // namespace

std::span<const std::string_view> RowConverter::Convert(const InputRow& row, Encoding output,
                                                        std::vector<std::size_t>& lostColumns)
{
    lostColumns.clear();
    if (m_scratch.size() < row.size())
        m_scratch.resize(row.size());
    m_cells.resize(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) {
        bool lost = false;
        m_cells[i] = ConvertCell(row.cell(i), row.encoding, output, m_scratch[i], lost);
        if (lost)
            lostColumns.push_back(i);
    }
    return m_cells;
}

RowComputer::RowComputer(const DateSettings& dateSettings, int currentYear, const HeaderColumns& header,
                         Encoding output)
    : m_output(output), m_text(TextEncodingFor(output)), m_inputCount(header.count), m_columns(header.roles),
      m_person(dateSettings, currentYear)
{
    for (const std::string& name : header.names)
        m_quotedNames.push_back(QuotedForMessage(name));
}

ComputedRow RowComputer::Compute(const InputRow& row)
{
    ComputedRow computed;
    const std::size_t n = row.size();
    if (n == 0) {
        // A blank line comes back as one.
        computed.blank = true;
        return computed;
    }
    // Mostly a row is in the output's encoding already: its cells stay as they were read.
    computed.cellsAsRead = InOutputEncoding(row);
    if (computed.cellsAsRead)
        m_lost.clear();
    else
        computed.converted = m_converter.Convert(row, m_output, m_lost);
    const auto column = [&](ColumnRole role) { return m_columns[static_cast<std::size_t>(role)]; };
    const auto cell = [&](ColumnRole role) {
        const std::optional<std::size_t> i = column(role);
        return i && *i < n ? row.cell(*i) : std::string_view();
    };

    // A row is blank when nothing but our own columns holds anything.
    bool blank = true;
    bool surplus = false;
    for (std::size_t i = 0; i < n && !(surplus || (!blank && n <= m_inputCount)); ++i) {
        if (IsBlankCell(row.cell(i)))
            continue;
        blank = false;
        surplus = i >= m_inputCount;
    }

    m_result.ok = false;
    m_result.etin.clear();
    m_result.error.clear();
    if (!blank) {
        if (surplus) {
            m_result.error = kTooManyCells;
        } else {
            m_person.Check({cell(ColumnRole::FamilyName), cell(ColumnRole::FirstName), cell(ColumnRole::BirthDate),
                            row.encoding},
                           m_result);
        }
    }

    // The computed eTIN as text of the output: an ASCII one is that in every
    // encoding; Š and the like stay in a name code.
    std::string_view etinUtf8 = m_result.etin;
    std::string_view etinText = m_result.etin;
    if (!IsAscii(m_result.etin)) {
        m_etinUtf8 = Windows1252ToUtf8(m_result.etin);
        m_etinText.clear();
        AppendOwnText(m_etinText, m_etinUtf8, m_text);
        etinUtf8 = m_etinUtf8;
        etinText = m_etinText;
    }

    computed.etinCell = etinText;
    if (const std::optional<std::size_t> stored = column(ColumnRole::StoredEtin)) {
        const std::string_view storedCell = cell(ColumnRole::StoredEtin);
        if (m_result.ok)
            computed.verdict = JudgeStoredEtin(storedCell, row.encoding, m_result.etin);
        // A stored eTIN is never changed; only an empty cell takes the computed one.
        if (!m_result.ok || !IsEmptyEtinCell(storedCell, row.encoding))
            computed.etinCell = *stored < n ? computed.cell(row, *stored) : std::string_view();
    }
    m_checkText.clear();
    if (computed.verdict.check != StoredEtinCheck::None) {
        m_checkUtf8.clear();
        AppendCheckText(m_checkUtf8, computed.verdict, etinUtf8);
        AppendOwnText(m_checkText, m_checkUtf8, m_text);
    }

    AppendLostColumns(m_result.error);
    m_errorText.clear();
    if (!m_result.error.empty())
        AppendOwnText(m_errorText, m_result.error, m_text);

    computed.blank = blank;
    computed.ok = m_result.ok;
    computed.lostCharacters = !m_lost.empty();
    computed.computedEtin = m_result.ok ? etinText : std::string_view();
    computed.checkText = m_checkText;
    computed.errorText = m_errorText;
    return computed;
}

// Whether the row's cells are text of the output as they were read.
bool RowComputer::InOutputEncoding(const InputRow& row) const
{
    return row.encoding == RowEncoding::Ascii || (row.encoding == RowEncoding::Utf8 && m_output == Encoding::Utf8) ||
           (row.encoding == RowEncoding::Windows1252 && m_output == Encoding::Windows1252);
}

// Names the columns that lost characters in Fehler.
void RowComputer::AppendLostColumns(std::string& error) const
{
    if (m_lost.empty())
        return;
    const auto name = [&](std::size_t i) {
        return i < m_quotedNames.size() ? m_quotedNames[i] : std::to_string(i + 1);
    };
    if (!error.empty())
        error += "; ";
    error += m_lost.size() == 1 ? "Spalte " : "Spalten ";
    for (std::size_t k = 0; k < m_lost.size(); ++k) {
        error += k == 0 ? "" : k + 1 == m_lost.size() ? " und " : ", ";
        error += name(m_lost[k]);
    }
    error += m_lost.size() == 1 ? " enthält" : " enthalten";
    error += " Zeichen, die ";
    error += EncodingName(m_output);
    error += " nicht darstellen kann";
}

}  // namespace kennfix::listengine::internal
