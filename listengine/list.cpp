#include "listengine/list.h"

#include <algorithm>
#include <istream>
#include <optional>

#include "core/cp1252.h"
#include "listengine/internal/reader.h"
#include "listengine/internal/rowcheck.h"
#include "listengine/internal/text.h"
#include "listengine/internal/writer.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {
namespace {

constexpr std::string_view kEtinHeader = "eTIN";
constexpr std::string_view kErrorHeader = "Fehler";
constexpr std::string_view kCheckHeader = "Prüfung";
constexpr std::string_view kTooManyCells = "Zeile hat mehr Spalten als die Kopfzeile";

// The main encoding is that of the first row with a byte above 127, for input
// from a file and from a pipe alike. Rows before it are ASCII, but what we
// write beside them (Prüfung, ergänzt, „…“) is not, so they wait until it is
// known, up to this many bytes; a list that is ASCII so far is taken as
// UTF-8, and a Windows-1252 row after that is converted like any row in the
// other encoding.
constexpr std::size_t kDecisionWindow = 4 << 20;

// Header names compare as the core compares names: in Windows-1252, upper
// case, blanks around them aside (a no-break space too).
std::string HeaderKey(std::string_view cell, RowEncoding encoding)
{
    const std::string_view trimmed = TrimBlanks(cell, encoding);
    return UpperCase(encoding == RowEncoding::Utf8 ? Utf8ToWindows1252(trimmed).text : AnsiText(trimmed));
}

// A column of ours under its name, or, when the list has a column of that
// name, the first of "Fehler 2", "Fehler 3" ... that it has not: a column of
// the list is never written over.
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

std::string ToUtf8(std::string_view cell, RowEncoding encoding)
{
    return encoding == RowEncoding::Windows1252 ? Windows1252ToUtf8(cell) : std::string(cell);
}

// Lines before the header without text come back as they are; the first
// line with text is the header (see HoldsText).
bool RowHoldsText(const InputRow& row)
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (HoldsText(row.cell(i)))
            return true;
    }
    return false;
}

std::string_view EncodingName(Encoding e)
{
    switch (e) {
    case Encoding::Windows1252: return "Windows-1252";
    case Encoding::Utf16LE: return "UTF-16 LE";
    case Encoding::Utf16BE: return "UTF-16 BE";
    case Encoding::Auto:
    case Encoding::Utf8: break;
    }
    return "UTF-8";
}

std::string LinesText(const LineList& lines)
{
    std::string text = lines.rows() == 1 && lines.ranges().size() == 1 ? "Zeile " : "Zeilen ";
    for (std::size_t i = 0; i < lines.ranges().size(); ++i) {
        const LineList::Range& r = lines.ranges()[i];
        text += i == 0 ? "" : ", ";
        text += GroupedNumber(r.first);
        if (r.last != r.first)
            text += "\u2013" + GroupedNumber(r.last);
    }
    if (!lines.complete())
        text += " und weitere";
    return text;
}

// Rows held back until the main encoding is known, with their cells.
class RowQueue {
public:
    void Push(const InputRow& row)
    {
        MakeRoom(m_bytes, row.bytes.size());
        MakeRoom(m_ends, row.ends.size());
        MakeRoom(m_rows, 1);
        const auto base = static_cast<std::uint32_t>(m_bytes.size());
        m_bytes += row.bytes;
        for (std::uint32_t end : row.ends)
            m_ends.push_back(base + end);
        m_rows.push_back({row.line, row.lastLine, row.size(), row.terminator, row.encoding, row.plain});
    }
    // What the rows held take in memory: a blank line counts too.
    std::size_t heldBytes() const
    {
        return m_bytes.size() + m_ends.size() * sizeof(std::uint32_t) + m_rows.size() * sizeof(Meta);
    }

    template <class F>
    void Drain(F f)
    {
        std::size_t cell = 0;
        std::uint32_t base = 0;
        std::vector<std::uint32_t> ends;
        for (const Meta& m : m_rows) {
            ends.clear();
            for (std::size_t i = 0; i < m.cells; ++i)
                ends.push_back(m_ends[cell + i] - base);
            const std::uint32_t size = m.cells == 0 ? 0 : ends.back();
            InputRow row;
            row.bytes = std::string_view(m_bytes).substr(base, size);
            row.ends = ends;
            row.line = m.line;
            row.lastLine = m.lastLine;
            row.encoding = m.encoding;
            row.terminator = m.terminator;
            row.plain = m.plain;
            f(row);
            cell += m.cells;
            base += size;
        }
        m_rows = {};
        m_ends = {};
        m_bytes = {};
    }

private:
    // A buffer grows as it fills while it is small; once it is not, it
    // takes room for all that may wait at once, whose pages count only once
    // written: growing on, it would hold its old and its new room together
    // for a moment, three times what waits.
    template <class Buffer>
    static void MakeRoom(Buffer& buffer, std::size_t more)
    {
        using Element = typename Buffer::value_type;
        constexpr std::size_t kSmall = (64 << 10) / sizeof(Element);
        if (buffer.size() + more > buffer.capacity() && buffer.capacity() >= kSmall)
            buffer.reserve(std::max(buffer.size() + more, kDecisionWindow / sizeof(Element) + 1));
    }

    struct Meta {
        std::size_t line;
        std::size_t lastLine;
        std::size_t cells;
        int terminator;
        RowEncoding encoding;
        bool plain;
    };
    std::string m_bytes;
    std::vector<std::uint32_t> m_ends;
    std::vector<Meta> m_rows;
};

class ListProcessor : public RowSink {
public:
    ListProcessor(std::ostream& out, const ListOptions& options, const ListCallbacks& callbacks)
        : m_options(options), m_callbacks(callbacks), m_writer(out),
          m_person(options.dateSettings, options.currentYear)
    {
    }

    ListSummary Run(std::istream& in);

    void OnStart(InputForm form, char delimiter, std::string_view headerLine) override;
    void OnRow(const InputRow& row) override;
    void OnProgress(std::uint64_t bytesRead) override;

private:
    struct Wanted {
        std::string_view utf8Name;
        std::string key;
        std::optional<std::size_t> column;
    };

    int HeaderScore(const InputRow& row) const;
    void ReadHeader(const InputRow& row);
    void DecideOutput(Encoding output);
    void Emit(const InputRow& row);
    void NoteEncoding(const InputRow& row);
    void WriteHeader(const InputRow& row);
    void WriteDataRow(const InputRow& row);
    std::size_t OutputColumn(std::size_t inputColumn) const;
    bool InOutputEncoding(const InputRow& row) const;
    void ConvertCells(const InputRow& row, std::vector<std::size_t>& lostColumns);
    std::string_view OutputCell(const InputRow& row, std::size_t i) const;
    void WriteCells(const InputRow& row);
    void LayOutCells(const InputRow& row);
    void AppendLostColumns(std::string& error, const std::vector<std::size_t>& lostColumns) const;
    void ReportRow(const InputRow& row, bool blank, const StoredEtinVerdict& verdict);

    const ListOptions& m_options;
    const ListCallbacks& m_callbacks;
    ListWriter m_writer;
    PersonCheck m_person;
    ListSummary m_summary;

    InputForm m_form = InputForm::Plain;
    char m_delimiter = ';';
    std::string m_headerLine;  // for the names under other delimiters, should a column be missing
    std::optional<RowEncoding> m_mainRows;  // the rows' encoding that is not "other"
    std::optional<Encoding> m_output;
    bool m_writerStarted = false;
    RowQueue m_queue;

    // The header, read as it comes, written when the output's encoding is known.
    bool m_headerRead = false;
    bool m_headerWritten = false;
    std::vector<Wanted> m_wanted;  // family, first, birth date, eTIN
    std::vector<std::string> m_columnNames;  // UTF-8, escaped for messages
    ListLayout m_layout;
    std::size_t m_inputColumns = 0;
    std::optional<std::size_t> m_etinIn;
    std::size_t m_outputColumns = 0;
    // Whether an output column holds a cell of the input as it was read,
    // rather than eTIN, Prüfung or Fehler of ours.
    std::vector<char> m_holdsInputCell;

    // Buffers of one row, kept from row to row.
    std::vector<std::string> m_scratch;
    std::vector<std::string_view> m_converted;
    bool m_cellsAsRead = false;  // the data row is in the output's encoding: m_converted is not filled
    std::vector<std::string_view> m_outCells;  // laid out for front ends and for rows not written as read
    bool m_cellsLaidOut = false;
    std::vector<std::size_t> m_lost;
    PersonResult m_result;
    std::string m_etinUtf8, m_etinTextBuffer, m_checkUtf8, m_checkText, m_errorText;
    std::string_view m_etinText;  // the computed eTIN in the output's text
    std::string_view m_etinCell;
};

ListSummary ListProcessor::Run(std::istream& in)
{
    m_wanted = {{m_options.familyNameColumn, {}, {}},
                {m_options.firstNameColumn, {}, {}},
                {m_options.birthDateColumn, {}, {}},
                {kEtinHeader, {}, {}}};
    for (Wanted& w : m_wanted)
        w.key = HeaderKey(w.utf8Name, RowEncoding::Utf8);

    ReaderOptions reader;
    reader.delimiter = m_options.delimiter;
    reader.encoding = m_options.inputEncoding;
    reader.headerScore = [this](const InputRow& row) { return HeaderScore(row); };
    ListReader(std::move(reader), *this).Read(in);

    if (!m_headerRead) {
        throw ListError(0, "Die Eingabe ist leer. Erwartet wird eine Kopfzeile mit den Spalten " +
                               Quoted(ForMessage(m_options.familyNameColumn)) + ", " +
                               Quoted(ForMessage(m_options.firstNameColumn)) + " und " +
                               Quoted(ForMessage(m_options.birthDateColumn)) + ".");
    }
    if (!m_output) {
        m_summary.mainEncoding = Encoding::Utf8;
        DecideOutput(Encoding::Utf8);
    }
    m_writer.Finish();
    return m_summary;
}

void ListProcessor::OnStart(InputForm form, char delimiter, std::string_view headerLine)
{
    m_form = form;
    m_delimiter = delimiter;
    m_headerLine = headerLine;
    Encoding main = Encoding::Auto;
    switch (m_options.inputEncoding) {
    case Encoding::Auto:
        main = form == InputForm::Utf16LE ? Encoding::Utf16LE
               : form == InputForm::Utf16BE ? Encoding::Utf16BE
               : form == InputForm::Utf8Bom ? Encoding::Utf8
                                            : Encoding::Auto;
        break;
    default: main = m_options.inputEncoding; break;
    }
    if (main != Encoding::Auto) {
        m_summary.mainEncoding = main;
        m_mainRows = main == Encoding::Windows1252 ? RowEncoding::Windows1252 : RowEncoding::Utf8;
    }
    if (m_options.outputEncoding != Encoding::Auto)
        DecideOutput(m_options.outputEncoding);
    else if (main != Encoding::Auto)
        DecideOutput(main);
}

void ListProcessor::OnRow(const InputRow& row)
{
    if (!m_mainRows && row.encoding != RowEncoding::Ascii) {
        m_mainRows = row.encoding;
        m_summary.mainEncoding = row.encoding == RowEncoding::Utf8 ? Encoding::Utf8 : Encoding::Windows1252;
        if (!m_output)
            DecideOutput(m_summary.mainEncoding);
    }
    if (!m_headerRead && RowHoldsText(row))
        ReadHeader(row);
    if (!m_output) {
        m_queue.Push(row);
        if (m_queue.heldBytes() > kDecisionWindow) {
            m_mainRows = RowEncoding::Utf8;
            m_summary.mainEncoding = Encoding::Utf8;
            DecideOutput(Encoding::Utf8);
        }
        return;
    }
    Emit(row);
}

void ListProcessor::OnProgress(std::uint64_t bytesRead)
{
    if (m_callbacks.onProgress &&
        !m_callbacks.onProgress({.bytesRead = bytesRead, .rows = m_summary.rows + m_summary.blankRows}))
        throw ListCancelled();
}

void ListProcessor::DecideOutput(Encoding output)
{
    m_output = output;
    m_summary.outputEncoding = output;
    m_queue.Drain([this](const InputRow& row) { Emit(row); });
}

int ListProcessor::HeaderScore(const InputRow& row) const
{
    int score = 0;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const std::string key = HeaderKey(row.cell(i), row.encoding);
        score += static_cast<int>(std::count_if(m_wanted.begin(), m_wanted.begin() + 3,
                                                [&](const Wanted& w) { return w.key == key; }));
    }
    return score;
}

void ListProcessor::ReadHeader(const InputRow& row)
{
    m_headerRead = true;
    m_inputColumns = row.size();
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < row.size(); ++i) {
        m_columnNames.push_back(ForMessage(ToUtf8(row.cell(i), row.encoding)));
        const std::string& key = keys.emplace_back(HeaderKey(row.cell(i), row.encoding));
        for (Wanted& w : m_wanted) {
            if (key != w.key)
                continue;
            if (w.column)
                throw ListError(row.line, "Die Spalte " + Quoted(ForMessage(w.utf8Name)) +
                                              " kommt in der Kopfzeile mehrmals vor.");
            w.column = i;
        }
    }

    std::vector<std::string> missing;
    for (std::size_t k = 0; k < 3; ++k) {
        if (!m_wanted[k].column)
            missing.emplace_back(m_wanted[k].utf8Name);
    }
    if (!missing.empty()) {
        std::vector<MissingColumnsError::Header> headers(1, {m_delimiter, {}});
        for (std::size_t i = 0; i < row.size(); ++i)
            headers[0].names.push_back(ToUtf8(row.cell(i), row.encoding));
        const bool guessed = !m_options.delimiter;
        for (const char other : kDelimiterCandidates) {
            if (guessed && other != m_delimiter)
                headers.push_back({other, SplitHeaderLine(m_headerLine, other, m_options.inputEncoding)});
        }
        throw MissingColumnsError(row.line, std::move(missing), std::move(headers), guessed);
    }

    // Ours are eTIN (or Prüfung beside the list's own) and Fehler; columns
    // of the list called Fehler or Prüfung are columns like any other.
    m_etinIn = m_wanted[3].column;
    m_outputColumns = m_inputColumns + 2;

    ListLayout& l = m_layout;
    l.columnNames.assign(m_outputColumns, {});
    l.outputColumnOf.clear();
    for (std::size_t i = 0; i < m_inputColumns; ++i) {
        l.columnNames[OutputColumn(i)] = ToUtf8(row.cell(i), row.encoding);
        l.outputColumnOf.push_back(OutputColumn(i));
    }
    l.familyNameColumn = OutputColumn(*m_wanted[0].column);
    l.firstNameColumn = OutputColumn(*m_wanted[1].column);
    l.birthDateColumn = OutputColumn(*m_wanted[2].column);
    l.etinColumn = m_etinIn ? OutputColumn(*m_etinIn) : m_inputColumns;
    if (m_etinIn) {
        l.checkColumn = l.etinColumn + 1;
        l.columnNames[*l.checkColumn] = FreeColumnName(kCheckHeader, keys);
    } else {
        l.columnNames[l.etinColumn] = kEtinHeader;
    }
    l.errorColumn = m_outputColumns - 1;
    l.columnNames[l.errorColumn] = FreeColumnName(kErrorHeader, keys);
    l.delimiter = m_delimiter;

    m_holdsInputCell.assign(m_outputColumns, false);
    for (std::size_t i = 0; i < m_inputColumns; ++i)
        m_holdsInputCell[OutputColumn(i)] = true;
    // A stored eTIN cell may take the computed one.
    m_holdsInputCell[l.etinColumn] = false;
}

// Where a column of the input goes: Prüfung comes right after the list's eTIN.
std::size_t ListProcessor::OutputColumn(std::size_t inputColumn) const
{
    return inputColumn + (m_etinIn && inputColumn > *m_etinIn ? 1 : 0);
}

void ListProcessor::Emit(const InputRow& row)
{
    if (!m_writerStarted) {
        m_writerStarted = true;
        m_writer.Start(*m_output, m_form != InputForm::Plain, m_delimiter, row.terminator == '\r' ? "\r\n" : "\n");
    }
    NoteEncoding(row);
    if (m_headerWritten) {
        WriteDataRow(row);
    } else if (!RowHoldsText(row)) {
        // Lines before the header come back as they were.
        ConvertCells(row, m_lost);
        m_writer.WriteRow(m_converted);
    } else {
        WriteHeader(row);
    }
}

void ListProcessor::NoteEncoding(const InputRow& row)
{
    if (row.encoding != RowEncoding::Ascii && m_mainRows && row.encoding != *m_mainRows)
        m_summary.otherEncodingRows.Add(row.line, row.lastLine);
}

// Whether the row's cells are text of the output as they were read.
bool ListProcessor::InOutputEncoding(const InputRow& row) const
{
    const Encoding output = *m_output;
    return row.encoding == RowEncoding::Ascii || (row.encoding == RowEncoding::Utf8 && output == Encoding::Utf8) ||
           (row.encoding == RowEncoding::Windows1252 && output == Encoding::Windows1252);
}

// Every cell in the output's text encoding, noting the columns that lost
// characters on the way.
void ListProcessor::ConvertCells(const InputRow& row, std::vector<std::size_t>& lostColumns)
{
    lostColumns.clear();
    if (m_scratch.size() < row.size())
        m_scratch.resize(row.size());
    m_converted.resize(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) {
        bool lost = false;
        m_converted[i] = ConvertCell(row.cell(i), row.encoding, *m_output, m_scratch[i], lost);
        if (lost)
            lostColumns.push_back(i);
    }
}

// A cell of a data row in the output's text encoding.
std::string_view ListProcessor::OutputCell(const InputRow& row, std::size_t i) const
{
    return m_cellsAsRead ? row.cell(i) : m_converted[i];
}

void ListProcessor::WriteHeader(const InputRow& row)
{
    m_headerWritten = true;
    ConvertCells(row, m_lost);
    m_summary.lossyHeader = !m_lost.empty();
    m_layout.outputEncoding = *m_output;

    m_outCells.assign(m_outputColumns, {});
    for (std::size_t i = 0; i < m_inputColumns; ++i)
        m_outCells[OutputColumn(i)] = m_converted[i];
    // The names of our columns as text of the output.
    std::string etin, check, error;
    const auto ours = [&](std::string& text, std::size_t column) {
        AppendOwnText(text, m_layout.columnNames[column], TextEncodingFor(*m_output));
        m_outCells[column] = text;
    };
    if (!m_etinIn)
        ours(etin, m_layout.etinColumn);
    if (m_layout.checkColumn)
        ours(check, *m_layout.checkColumn);
    ours(error, m_layout.errorColumn);
    m_writer.WriteRow(m_outCells);
    if (m_callbacks.onHeader)
        m_callbacks.onHeader(m_layout);
}

void ListProcessor::WriteDataRow(const InputRow& row)
{
    const Encoding text = TextEncodingFor(*m_output);
    const std::size_t n = row.size();
    if (n == 0) {
        // A blank line comes back as one.
        m_writer.WriteBlankLine();
        ++m_summary.blankRows;
        m_outCells.clear();
        m_cellsLaidOut = true;
        m_result.ok = false;
        m_etinText = {};
        m_etinCell = {};
        m_checkText.clear();
        m_errorText.clear();
        ReportRow(row, true, {});
        return;
    }
    // Mostly a row is in the output's encoding already: its cells stay as they were read.
    m_cellsAsRead = InOutputEncoding(row);
    if (m_cellsAsRead)
        m_lost.clear();
    else
        ConvertCells(row, m_lost);
    const auto cell = [&](std::optional<std::size_t> i) { return i && *i < n ? row.cell(*i) : std::string_view(); };

    // A row is blank when nothing but our own columns holds anything.
    bool blank = true;
    bool surplus = false;
    for (std::size_t i = 0; i < n && !(surplus || (!blank && n <= m_inputColumns)); ++i) {
        if (IsBlankCell(row.cell(i)))
            continue;
        blank = false;
        surplus = i >= m_inputColumns;
    }

    m_result.ok = false;
    m_result.etin.clear();
    m_result.error.clear();
    if (!blank) {
        if (surplus) {
            m_result.error = kTooManyCells;
        } else {
            m_person.Check({cell(m_wanted[0].column), cell(m_wanted[1].column), cell(m_wanted[2].column), row.encoding},
                           m_result);
        }
    }

    // The computed eTIN as text of the output: an ASCII one is that in every
    // encoding; Š and the like stay in a name code.
    std::string_view etinUtf8 = m_result.etin;
    m_etinText = m_result.etin;
    if (!IsAscii(m_result.etin)) {
        m_etinUtf8 = Windows1252ToUtf8(m_result.etin);
        m_etinTextBuffer.clear();
        AppendOwnText(m_etinTextBuffer, m_etinUtf8, text);
        etinUtf8 = m_etinUtf8;
        m_etinText = m_etinTextBuffer;
    }

    StoredEtinVerdict verdict;
    m_etinCell = m_etinText;
    if (m_etinIn) {
        const std::string_view stored = cell(m_etinIn);
        if (m_result.ok)
            verdict = JudgeStoredEtin(stored, row.encoding, m_result.etin);
        // A stored eTIN is never changed; only an empty cell takes the computed one.
        if (!m_result.ok || !IsEmptyEtinCell(stored, row.encoding))
            m_etinCell = *m_etinIn < n ? OutputCell(row, *m_etinIn) : std::string_view();
    }
    m_checkText.clear();
    const StoredEtinCheck check = verdict.check;
    if (check != StoredEtinCheck::None) {
        m_checkUtf8.clear();
        AppendCheckText(m_checkUtf8, verdict, etinUtf8);
        AppendOwnText(m_checkText, m_checkUtf8, text);
    }

    AppendLostColumns(m_result.error, m_lost);
    m_errorText.clear();
    if (!m_result.error.empty())
        AppendOwnText(m_errorText, m_result.error, text);

    WriteCells(row);

    if (blank) {
        ++m_summary.blankRows;
    } else {
        ++m_summary.rows;
        m_summary.failedRows += !m_result.ok;
        m_summary.lossyRows += !m_lost.empty();
        m_summary.deviatingRows += check == StoredEtinCheck::Differs || check == StoredEtinCheck::WrongCheckCharacter;
        m_summary.filledRows += check == StoredEtinCheck::Filled;
    }
    ReportRow(row, blank, verdict);
}

// Writes a data row's cells, ours in their places.
void ListProcessor::WriteCells(const InputRow& row)
{
    m_cellsLaidOut = false;
    // Mostly a row is a plain line in the output's encoding with a cell for
    // each column and no column of ours among them: its bytes are its cells
    // as they are written, and ours follow.
    if (row.plain && m_cellsAsRead && row.size() == m_inputColumns && !m_etinIn) {
        m_writer.PlainCell(row.bytes);
        m_writer.Cell(m_etinCell);
        m_writer.Cell(m_errorText);
        m_writer.EndRow();
        return;
    }
    LayOutCells(row);
    for (std::size_t j = 0; j < m_outCells.size(); ++j) {
        if (row.plain && (j >= m_outputColumns || m_holdsInputCell[j]))
            m_writer.PlainCell(m_outCells[j]);
        else
            m_writer.Cell(m_outCells[j]);
    }
    m_writer.EndRow();
}

// The cells of a data row as they are written, into m_outCells.
void ListProcessor::LayOutCells(const InputRow& row)
{
    const std::size_t n = row.size();
    const std::size_t surplusCells = n > m_inputColumns ? n - m_inputColumns : 0;
    m_outCells.assign(m_outputColumns + surplusCells, {});
    for (std::size_t i = 0; i < std::min(n, m_inputColumns); ++i)
        m_outCells[OutputColumn(i)] = OutputCell(row, i);
    // Cells beyond the header go last, so that our columns stay in their places.
    for (std::size_t k = 0; k < surplusCells; ++k)
        m_outCells[m_outputColumns + k] = OutputCell(row, m_inputColumns + k);
    m_outCells[m_layout.etinColumn] = m_etinCell;
    if (m_layout.checkColumn)
        m_outCells[*m_layout.checkColumn] = m_checkText;
    m_outCells[m_layout.errorColumn] = m_errorText;
    m_cellsLaidOut = true;
}

void ListProcessor::AppendLostColumns(std::string& error, const std::vector<std::size_t>& lostColumns) const
{
    if (lostColumns.empty())
        return;
    const auto name = [&](std::size_t i) {
        return i < m_columnNames.size() ? Quoted(m_columnNames[i]) : std::to_string(i + 1);
    };
    if (!error.empty())
        error += "; ";
    error += lostColumns.size() == 1 ? "Spalte " : "Spalten ";
    for (std::size_t k = 0; k < lostColumns.size(); ++k) {
        error += k == 0 ? "" : k + 1 == lostColumns.size() ? " und " : ", ";
        error += name(lostColumns[k]);
    }
    error += lostColumns.size() == 1 ? " enthält" : " enthalten";
    error += " Zeichen, die ";
    error += EncodingName(*m_output);
    error += " nicht darstellen kann";
}

void ListProcessor::ReportRow(const InputRow& row, bool blank, const StoredEtinVerdict& verdict)
{
    if (!m_callbacks.onRow)
        return;
    if (!m_cellsLaidOut)
        LayOutCells(row);
    RowResult r;
    r.line = row.line;
    r.blank = blank;
    r.cells = m_outCells;
    r.etin = m_etinCell;
    r.computedEtin = m_result.ok ? m_etinText : std::string_view();
    r.check = verdict.check;
    r.difference = verdict.difference;
    r.checkText = m_checkText;
    r.error = m_errorText;
    r.textEncoding = TextEncodingFor(*m_output);
    m_callbacks.onRow(r);
}

}  // namespace

bool SameColumnName(std::string_view cell, std::string_view name)
{
    return HeaderKey(cell, RowEncoding::Utf8) == HeaderKey(name, RowEncoding::Utf8);
}

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
            throw ListError(0, "Die Spalte " + Quoted(ForMessage(jobs[a].name)) + " kann nicht die Spalte " +
                                   std::string(jobs[a].role) + " sein: die Spalte eTIN hält gespeicherte eTINs.");
        }
        for (std::size_t b = a + 1; b < std::size(jobs); ++b) {
            if (key == HeaderKey(jobs[b].name, RowEncoding::Utf8)) {
                throw ListError(0, "Die Spalte " + Quoted(ForMessage(jobs[a].name)) + " ist zugleich als Spalte " +
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

std::vector<std::string> SummaryMessages(const ListSummary& s)
{
    std::vector<std::string> messages;
    const std::string of = " von " + GroupedNumber(s.rows) + " Zeilen";
    if (s.failedRows > 0)
        messages.push_back(GroupedNumber(s.failedRows) + of + " ohne eTIN; den Grund nennt die Spalte Fehler.");
    if (s.deviatingRows > 0) {
        messages.push_back("Bei " + GroupedNumber(s.deviatingRows) + of +
                           " weicht die gespeicherte eTIN von der berechneten ab; siehe die Spalte Prüfung.");
    }
    const std::string output(EncodingName(s.outputEncoding));
    if (s.lossyRows > 0) {
        messages.push_back(GroupedNumber(s.lossyRows) + of + " mit Zeichen, die " + output +
                           " nicht darstellen kann: sie stehen als Grundbuchstabe oder „?“ in der Ausgabe, und die "
                           "Spalte Fehler nennt die Spalte.");
    }
    if (s.lossyHeader) {
        messages.push_back("Die Kopfzeile enthält Zeichen, die " + output +
                           " nicht darstellen kann; sie stehen als Grundbuchstabe oder „?“ in der Ausgabe.");
    }
    const LineList& other = s.otherEncodingRows;
    if (other.rows() > 0) {
        const bool utf8Main = s.mainEncoding != Encoding::Windows1252;
        const std::string_view otherName = utf8Main ? "Windows-1252" : "UTF-8";
        const std::string_view mainName = utf8Main ? "UTF-8" : "Windows-1252";
        messages.push_back(GroupedNumber(other.rows()) + (other.rows() == 1 ? " Zeile ist" : " Zeilen sind") +
                           " in " + std::string(otherName) + " geschrieben, die übrigen in " + std::string(mainName) +
                           " (" + LinesText(other) + "). Jede Zeile wurde in ihrer Kodierung gelesen und in " +
                           output + " ausgegeben.");
    }
    return messages;
}

}  // namespace kennfix::listengine
