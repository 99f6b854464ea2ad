#pragma once

// Computing a row: its cells in the output's text, the eTIN or the reason
// there is none (personcheck.h), what became of a stored eTIN, and the texts of
// our columns. The result is a value that writing (rowwriter.h) and the front
// end's report (frontendreport.h) take; nothing of a row stays behind.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "listengine/encoding.h"
#include "listengine/internal/columnfinder.h"
#include "listengine/internal/listreader.h"
#include "listengine/internal/personcheck.h"

namespace kennfix::listengine::internal {

// Every cell of a row in the output's text, noting the columns that lost
// characters on the way. Keeps its buffers from row to row.
class RowConverter {
public:
    // The views point into `row` and into this object: they hold until the
    // next call.
    std::span<const std::string_view> Convert(const InputRow& row, Encoding output,
                                              std::vector<std::size_t>& lostColumns);

private:
    std::vector<std::string> m_scratch;
    std::vector<std::string_view> m_cells;
};

// One data row, computed. Text is in the output's text encoding
// (TextEncodingFor).
struct ComputedRow {
    bool blank = false;           // a blank line, or nothing but blanks outside our columns: nobody to compute
    bool ok = false;              // an eTIN was computed
    bool lostCharacters = false;  // a cell lost characters on its way into the output's code page
    // The row's cells: as read when they are text of the output already
    // (mostly), else converted.
    bool cellsAsRead = true;
    std::span<const std::string_view> converted;
    std::string_view computedEtin;  // empty unless ok
    std::string_view etinCell;      // the column eTIN: the computed eTIN, or the stored cell
    StoredEtinVerdict verdict;
    std::string_view checkText;     // the column Prüfung
    std::string_view errorText;     // the column Fehler

    std::string_view cell(const InputRow& row, std::size_t i) const { return cellsAsRead ? row.cell(i) : converted[i]; }
};

// Computes the rows after the header. Keeps its buffers from row to row, so
// that a row needs no heap once the first rows have been computed.
class RowComputer {
public:
    // Dates are read with `dateSettings`, a four-digit year after `currentYear` refused.
    RowComputer(const DateSettings& dateSettings, int currentYear, const HeaderColumns& header, Encoding output);

    // The views of the result point into `row` and into this object: they
    // hold until the next call.
    ComputedRow Compute(const InputRow& row);

private:
    bool InOutputEncoding(const InputRow& row) const;
    void AppendLostColumns(std::string& error) const;

    Encoding m_output;
    Encoding m_text;  // TextEncodingFor(m_output)
    std::size_t m_inputCount;
    std::array<std::optional<std::size_t>, kColumnRoleCount> m_columns;  // the header's, by role
    std::vector<std::string> m_quotedNames;  // the header's names, quoted for Fehler
    PersonCheck m_person;
    RowConverter m_converter;

    // Buffers of one row, kept from row to row.
    std::vector<std::size_t> m_lost;
    PersonResult m_result;
    std::string m_etinUtf8, m_etinText, m_checkUtf8, m_checkText, m_errorText;
};

}  // namespace kennfix::listengine::internal
