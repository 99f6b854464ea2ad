#include "listengine/list.h"

#include <cstdint>
#include <istream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "listengine/internal/columnfinder.h"
#include "listengine/internal/encodingdecision.h"
#include "listengine/internal/frontendreport.h"
#include "listengine/internal/listreader.h"
#include "listengine/internal/outputcolumns.h"
#include "listengine/internal/rowcomputer.h"
#include "listengine/internal/rowqueue.h"
#include "listengine/internal/rowwriter.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {
namespace {

// The engine's own parts: the steps whose order this file keeps, and how a
// header names a column, for the check of the options.
using internal::ColumnFinder;
using internal::ComputedRow;
using internal::EncodingDecision;
using internal::FrontEndReport;
using internal::HeaderColumns;
using internal::HeaderKey;
using internal::InputForm;
using internal::InputRow;
using internal::kEtinHeader;
using internal::ListReader;
using internal::OutputColumns;
using internal::ReaderOptions;
using internal::RowComputer;
using internal::RowConverter;
using internal::RowEncoding;
using internal::RowHoldsText;
using internal::RowQueue;
using internal::RowSink;
using internal::RowWriter;

// Runs one list: the reader hands over the rows, and this keeps the order of
// the steps. A row can be written once two things are known, which come in
// either order:
//   header pending  until the first row with text, the header, is read: it
//                   is read as it comes, so that a missing column stops the
//                   list before anything is written. Rows before it come
//                   back as they are.
//   rows held back  until the output's encoding is decided: rows wait in
//                   the queue, and the decision lets them out in order.
//   rows written    once both are known: each row is computed, counted,
//                   written and reported, in this order, and nothing of it
//                   stays behind for the next.
class ListProcessor : public RowSink {
public:
    ListProcessor(std::ostream& out, const ListOptions& options, const ListCallbacks& callbacks)
        : m_options(options),
          m_finder(options.familyNameColumn, options.firstNameColumn, options.birthDateColumn, options.delimiter,
                   options.inputEncoding),
          m_encoding(options.inputEncoding, options.outputEncoding), m_writer(out),
          m_report(callbacks.onHeader, callbacks.onRow, callbacks.onProgress)
    {
    }

    ListSummary Run(std::istream& in);

    void OnStart(InputForm form, char delimiter, std::string_view headerLine) override;
    void OnRow(const InputRow& row) override;
    void OnProgress(std::uint64_t bytesRead) override;

private:
    void EmitHeldRows();
    void Emit(const InputRow& row);
    void WriteHeader(const InputRow& row);
    void WriteDataRow(const InputRow& row);
    void Count(const ComputedRow& computed);

    const ListOptions& m_options;
    ColumnFinder m_finder;
    EncodingDecision m_encoding;
    RowQueue m_held;
    RowWriter m_writer;
    FrontEndReport m_report;
    ListSummary m_summary;

    InputForm m_form = InputForm::Plain;
    char m_delimiter = ';';
    std::string m_headerLine;  // for the names under other delimiters, should a column be missing

    std::optional<HeaderColumns> m_header;   // once the header is read
    RowConverter m_converter;                 // the header and the lines before it
    std::vector<std::size_t> m_lost;
    // Once the header is written.
    std::optional<OutputColumns> m_columns;
    std::optional<RowComputer> m_computer;
};

ListSummary ListProcessor::Run(std::istream& in)
{
    ReaderOptions reader;
    reader.delimiter = m_options.delimiter;
    reader.encoding = m_options.inputEncoding;
    reader.headerScore = [this](const InputRow& row) { return m_finder.Score(row); };
    ListReader(std::move(reader), *this).Read(in);

    if (!m_header) {
        throw ListError(0, "Die Eingabe ist leer. Erwartet wird eine Kopfzeile mit den Spalten " +
                               QuotedForMessage(m_options.familyNameColumn) + ", " +
                               QuotedForMessage(m_options.firstNameColumn) + " und " +
                               QuotedForMessage(m_options.birthDateColumn) + ".");
    }
    if (!m_encoding.decided()) {
        m_encoding.DecideUtf8();
        EmitHeldRows();
    }
    m_writer.Finish();
    m_summary.mainEncoding = m_encoding.main();
    m_summary.outputEncoding = m_encoding.output();
    return m_summary;
}

void ListProcessor::OnStart(InputForm form, char delimiter, std::string_view headerLine)
{
    m_form = form;
    m_delimiter = delimiter;
    m_headerLine = headerLine;
    m_encoding.Start(form);
}

void ListProcessor::OnRow(const InputRow& row)
{
    // The first row past ASCII decides the encoding: the rows held back go
    // out before it.
    if (m_encoding.Take(row))
        EmitHeldRows();
    if (!m_header && RowHoldsText(row))
        m_header = m_finder.Find(row, m_delimiter, m_headerLine);
    if (m_encoding.decided()) {
        Emit(row);
        return;
    }
    m_held.Push(row);
    if (m_held.full()) {  // ASCII for too long: UTF-8, as for a list ASCII to its end
        m_encoding.DecideUtf8();
        EmitHeldRows();
    }
}

void ListProcessor::OnProgress(std::uint64_t bytesRead)
{
    m_report.Progress(bytesRead, m_summary.rows + m_summary.blankRows);
}

void ListProcessor::EmitHeldRows()
{
    m_held.Drain([this](const InputRow& row) { Emit(row); });
}

// A row whose output's encoding is known.
void ListProcessor::Emit(const InputRow& row)
{
    if (!m_writer.started())
        m_writer.Start(m_encoding.output(), m_form != InputForm::Plain, m_delimiter, row.terminator);
    if (m_encoding.InOtherEncoding(row))
        m_summary.otherEncodingRows.Add(row.line, row.lastLine);
    if (m_columns)
        WriteDataRow(row);
    else if (!RowHoldsText(row))
        m_writer.WriteAsRead(m_converter.Convert(row, m_encoding.output(), m_lost));
    else
        WriteHeader(row);
}

void ListProcessor::WriteHeader(const InputRow& row)
{
    const Encoding output = m_encoding.output();
    const std::span<const std::string_view> cells = m_converter.Convert(row, output, m_lost);
    m_summary.lossyHeader = !m_lost.empty();
    m_columns.emplace(*m_header, m_delimiter, output);
    m_computer.emplace(m_options.dateSettings, m_options.currentYear, *m_header, output);
    m_writer.WriteHeader(cells, *m_columns);
    m_report.Header(m_columns->layout());
}

void ListProcessor::WriteDataRow(const InputRow& row)
{
    const ComputedRow computed = m_computer->Compute(row);
    Count(computed);
    const std::span<const std::string_view> cells =
        m_writer.WriteDataRow(row, computed, *m_columns, m_report.wantsRows());
    m_report.Row(row, computed, cells, m_encoding.output());
}

void ListProcessor::Count(const ComputedRow& computed)
{
    if (computed.blank) {
        ++m_summary.blankRows;
        return;
    }
    const StoredEtinCheck check = computed.verdict.check;
    ++m_summary.rows;
    m_summary.failedRows += !computed.ok;
    m_summary.lossyRows += computed.lostCharacters;
    m_summary.deviatingRows += check == StoredEtinCheck::Differs || check == StoredEtinCheck::WrongCheckCharacter;
    m_summary.filledRows += check == StoredEtinCheck::Filled;
}

}  // namespace

void CheckColumnOptions(const ListOptions& options)
{
    struct Job {
        std::string_view name;
        std::string_view role;
    };
    const Job jobs[] = {
        {options.familyNameColumn, "des Familiennamens"},
        {options.firstNameColumn, "des Vornamens"},
        {options.birthDateColumn, "des Geburtsdatums"},
    };
    for (const Job& job : jobs) {
        if (HeaderKey(job.name, RowEncoding::Utf8).empty())
            throw ListError(0, std::string("Der Name der Spalte ") + std::string(job.role) + " ist leer.");
    }
    for (std::size_t a = 0; a < std::size(jobs); ++a) {
        const std::string key = HeaderKey(jobs[a].name, RowEncoding::Utf8);
        // A column of the list called Fehler or Prüfung is one like any
        // other (ours then take another name); eTIN holds stored eTINs.
        if (key == HeaderKey(kEtinHeader, RowEncoding::Utf8)) {
            throw ListError(0, "Die Spalte " + QuotedForMessage(jobs[a].name) + " kann nicht die Spalte " +
                                   std::string(jobs[a].role) + " sein: die Spalte eTIN hält gespeicherte eTINs.");
        }
        for (std::size_t b = a + 1; b < std::size(jobs); ++b) {
            if (key == HeaderKey(jobs[b].name, RowEncoding::Utf8)) {
                throw ListError(0, "Die Spalte " + QuotedForMessage(jobs[a].name) + " ist zugleich als Spalte " +
                                       std::string(jobs[a].role) + " und " + std::string(jobs[b].role) +
                                       " angegeben; jede Spalte hat nur eine Aufgabe.");
            }
        }
    }
}

ListSummary ProcessList(std::istream& in, std::ostream& out, const ListOptions& options,
                        const ListCallbacks& callbacks)
{
    CheckColumnOptions(options);
    ListProcessor processor(out, options, callbacks);
    return processor.Run(in);
}

}  // namespace kennfix::listengine
