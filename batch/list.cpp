#include "list.h"

#include <csv.h>

#include <algorithm>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

#include "cp1252.h"

namespace kennfix::batch {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kReadSize = 1 << 16;
constexpr std::size_t kFlushSize = 1 << 16;
// A row this long is no row of a staff list; mostly a quote left open has
// swallowed the rest of the file.
constexpr std::size_t kMaxRowSize = 16 << 20;

// The texts of the column Fehler, in UTF-8; written in the output's encoding.
constexpr std::string_view kFamilyNameMissing = "Name fehlt";
constexpr std::string_view kFirstNameMissing = "Vorname fehlt";
constexpr std::string_view kFamilyNameNotConvertible = "Name enthält nicht darstellbare Zeichen";
constexpr std::string_view kFirstNameNotConvertible = "Vorname enthält nicht darstellbare Zeichen";
constexpr std::string_view kBirthDateMissing = "Geburtsdatum fehlt";
constexpr std::string_view kTooManyCells = "Zeile hat mehr Spalten als die Kopfzeile";

constexpr std::string_view kEtinHeader = "eTIN";
constexpr std::string_view kErrorHeader = "Fehler";

// Blanks around unquoted cells belong to the cell: it passes through unchanged.
int NoBlanksAreSpace(unsigned char)
{
    return 0;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsLineBreakOnly(std::string_view segment)
{
    return segment.find_first_not_of("\r\n") == std::string_view::npos;
}

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Whether the rest of `in` is valid UTF-8, read in chunks. A chunk is checked
// up to the start of its last character, which goes with the next chunk:
// a UTF-8 sequence never spans the start of another character.
bool RestIsValidUtf8(std::istream& in)
{
    std::string chunk;
    std::string buffer(kReadSize, '\0');
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        chunk.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
        std::size_t split = chunk.size();
        for (int i = 0; i < 3 && split > 0 && IsContinuationByte(chunk[split - 1]); ++i)
            --split;
        if (split > 0 && static_cast<unsigned char>(chunk[split - 1]) >= 0xC0)
            --split;
        if (!in)
            split = chunk.size();
        if (!IsValidUtf8(std::string_view(chunk).substr(0, split)))
            return false;
        chunk.erase(0, split);
    }
    return true;
}

// Auto detection over input that can be read twice (a file): valid UTF-8
// throughout is UTF-8, anything else Windows-1252. Input read once (a pipe)
// is decided row by row instead; Auto comes back for it.
Encoding DetectEncoding(std::istream& in)
{
    const std::istream::pos_type start = in.tellg();
    if (start == std::istream::pos_type(-1))
        return Encoding::Auto;
    const bool utf8 = RestIsValidUtf8(in);
    if (in.bad())
        return Encoding::Auto;
    in.clear();
    in.seekg(start);
    return utf8 ? Encoding::Utf8 : Encoding::Windows1252;
}

std::string Quoted(std::string_view name)
{
    return "\u201E" + std::string(name) + "\u201C";
}

class ListProcessor {
public:
    ListProcessor(std::ostream& out, const ListOptions& options) : m_out(out), m_options(options)
    {
        csv_init(&m_parser, CSV_STRICT | CSV_STRICT_FINI);
        csv_set_delim(&m_parser, static_cast<unsigned char>(options.delimiter));
        csv_set_space_func(&m_parser, NoBlanksAreSpace);
        csv_set_blk_size(&m_parser, 1024);
        m_inputEncoding = options.inputEncoding;
    }
    ~ListProcessor() { csv_free(&m_parser); }
    ListProcessor(const ListProcessor&) = delete;
    ListProcessor& operator=(const ListProcessor&) = delete;

    ListSummary Run(std::istream& in);

private:
    static void OnCell(void* data, std::size_t size, void* self);
    static void OnRowEnd(int terminator, void* self);

    void Feed(std::string_view segment);
    void Finish();
    void EndRow(int terminator);
    void ChooseEncoding();
    void ReadHeader(int terminator);
    void ProcessRow();
    std::string_view Cell(std::optional<std::size_t> column) const;
    Encoding OutputEncoding() const;
    std::string_view ToOutput(std::string_view cell, std::string& scratch, bool& lost) const;
    std::string Message(std::string_view utf8) const;
    Windows1252Text ToWindows1252(std::string_view cell) const;
    std::string ToUtf8(std::string_view cell) const;
    void WriteCell(std::string_view cell, bool first);
    void Flush();
    void Fail(std::size_t line, std::string message);

    std::ostream& m_out;
    const ListOptions& m_options;
    csv_parser m_parser{};
    std::optional<ListError> m_error;  // raised in a callback, thrown once libcsv has returned

    Encoding m_inputEncoding;
    bool m_encodingGuessed = false;  // auto detection has settled on UTF-8
    bool m_bom = false;

    std::size_t m_line = 1;  // line being fed to the parser
    std::size_t m_rowLine = 0;  // line where the row being read began
    bool m_inRow = false;
    std::size_t m_rowSize = 0;

    std::vector<std::string> m_cells;  // kept between rows, so their buffers are reused
    std::size_t m_cellCount = 0;

    bool m_headerRead = false;
    std::size_t m_columnCount = 0;
    std::vector<std::string> m_columnNames;  // UTF-8, for messages
    std::size_t m_familyNameColumn = 0;
    std::size_t m_firstNameColumn = 0;
    std::size_t m_birthDateColumn = 0;
    std::optional<std::size_t> m_etinColumn;
    std::optional<std::size_t> m_errorColumn;
    std::string_view m_lineEnd = "\n";

    std::vector<std::string_view> m_outCells;
    std::vector<std::string> m_converted;
    std::string m_buffer;
    ListSummary m_summary;
};

ListSummary ListProcessor::Run(std::istream& in)
{
    if (m_inputEncoding == Encoding::Auto)
        m_inputEncoding = DetectEncoding(in);
    std::string chunk(kReadSize, '\0');
    bool start = true;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        std::string_view rest(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (start && rest.starts_with(kBom)) {
            m_bom = true;
            rest.remove_prefix(kBom.size());
            if (m_options.inputEncoding == Encoding::Auto)
                m_inputEncoding = Encoding::Utf8;
        }
        start = false;
        // Line by line, so an error can name its line.
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            const std::size_t length = end == std::string_view::npos ? rest.size() : end + 1;
            Feed(rest.substr(0, length));
            rest.remove_prefix(length);
        }
    }
    if (in.bad())
        throw ListError(0, "Die Eingabe kann nicht gelesen werden.");
    Finish();
    return m_summary;
}

void ListProcessor::Feed(std::string_view segment)
{
    if (!m_inRow && !IsLineBreakOnly(segment)) {
        m_inRow = true;
        m_rowLine = m_line;
    }
    const std::size_t parsed = csv_parse(&m_parser, segment.data(), segment.size(), OnCell, OnRowEnd, this);
    if (m_error)
        throw *m_error;
    if (parsed < segment.size()) {
        throw ListError(m_line, csv_error(&m_parser) == CSV_EPARSE
                                    ? "Anführungszeichen stehen falsch. Ein Feld in Anführungszeichen muss ganz "
                                      "in Anführungszeichen stehen; ein Anführungszeichen darin wird verdoppelt (\"\")."
                                    : "Die Zeile ist zu lang.");
    }
    if (m_rowSize + m_parser.entry_pos > kMaxRowSize)
        throw ListError(m_rowLine, "Die Zeile ist länger als 16 MiB. Fehlt ein schließendes Anführungszeichen?");
    if (segment.back() == '\n')
        ++m_line;
}

void ListProcessor::Finish()
{
    if (csv_fini(&m_parser, OnCell, OnRowEnd, this) != 0)
        throw ListError(m_rowLine, "Ein Feld in Anführungszeichen wird bis zum Ende der Datei nicht geschlossen.");
    if (m_error)
        throw *m_error;
    if (!m_headerRead) {
        throw ListError(0, "Die Eingabe ist leer. Erwartet wird eine Kopfzeile mit den Spalten " +
                               Quoted(m_options.familyNameColumn) + ", " + Quoted(m_options.firstNameColumn) +
                               " und " + Quoted(m_options.birthDateColumn) + ".");
    }
    Flush();
}

void ListProcessor::OnCell(void* data, std::size_t size, void* self)
{
    auto& p = *static_cast<ListProcessor*>(self);
    if (p.m_error)
        return;
    const std::string_view cell(static_cast<const char*>(data), size);
    if (p.m_cellCount < p.m_cells.size())
        p.m_cells[p.m_cellCount].assign(cell);
    else
        p.m_cells.emplace_back(cell);
    ++p.m_cellCount;
    p.m_rowSize += size + 1;
}

void ListProcessor::OnRowEnd(int terminator, void* self)
{
    auto& p = *static_cast<ListProcessor*>(self);
    if (!p.m_error)
        p.EndRow(terminator);
    p.m_cellCount = 0;
    p.m_rowSize = 0;
    p.m_inRow = false;
}

void ListProcessor::Fail(std::size_t line, std::string message)
{
    if (!m_error)
        m_error.emplace(line, message);
}

void ListProcessor::EndRow(int terminator)
{
    ChooseEncoding();
    if (m_error)
        return;
    if (!m_headerRead) {
        ReadHeader(terminator);
        return;
    }
    ProcessRow();
    if (m_buffer.size() >= kFlushSize)
        Flush();
}

// Input read only once is decided on the first row that holds a byte above
// 127; rows before it are ASCII and read the same either way.
void ListProcessor::ChooseEncoding()
{
    const auto cells = std::span(m_cells).first(m_cellCount);
    const bool ascii = std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return IsAscii(c); });
    if (ascii)
        return;
    const bool utf8 = std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return IsValidUtf8(c); });
    if (m_inputEncoding == Encoding::Auto) {
        m_inputEncoding = utf8 ? Encoding::Utf8 : Encoding::Windows1252;
        m_encodingGuessed = utf8;
    } else if (m_encodingGuessed && !utf8) {
        Fail(m_rowLine, "Die Zeile ist kein gültiges UTF-8, die Zeilen davor waren es. Ist die Datei in "
                        "Windows-1252 geschrieben, mit --encoding windows-1252 aufrufen.");
    }
}

std::string ListProcessor::ToUtf8(std::string_view cell) const
{
    return m_inputEncoding == Encoding::Windows1252 ? Windows1252ToUtf8(cell) : std::string(cell);
}

Windows1252Text ListProcessor::ToWindows1252(std::string_view cell) const
{
    if (m_inputEncoding == Encoding::Windows1252)
        return {std::string(cell), {}};
    return Utf8ToWindows1252(cell);
}

// Header names compare as the core compares names: in Windows-1252, upper case.
std::string HeaderKey(const Windows1252Text& name)
{
    return UpperCase(std::string(TrimBlanks(name.text)));
}

void ListProcessor::ReadHeader(int terminator)
{
    m_headerRead = true;
    m_columnCount = m_cellCount;
    if (terminator == '\r')
        m_lineEnd = "\r\n";

    struct Wanted {
        std::string_view utf8Name;
        std::optional<std::size_t> column;
        bool required;
    };
    Wanted wanted[] = {
        {m_options.familyNameColumn, {}, true},
        {m_options.firstNameColumn, {}, true},
        {m_options.birthDateColumn, {}, true},
        {kEtinHeader, {}, false},
        {kErrorHeader, {}, false},
    };
    std::vector<std::string> keys;
    for (Wanted& w : wanted)
        keys.push_back(HeaderKey(Utf8ToWindows1252(w.utf8Name)));

    for (std::size_t i = 0; i < m_columnCount; ++i) {
        m_columnNames.push_back(ToUtf8(m_cells[i]));
        const std::string key = HeaderKey(ToWindows1252(m_cells[i]));
        for (std::size_t k = 0; k < std::size(wanted); ++k) {
            if (key != keys[k])
                continue;
            if (wanted[k].column) {
                return Fail(m_rowLine,
                            "Die Spalte " + Quoted(wanted[k].utf8Name) + " kommt in der Kopfzeile mehrmals vor.");
            }
            wanted[k].column = i;
        }
    }

    std::vector<std::string> missing;
    for (const Wanted& w : wanted) {
        if (w.required && !w.column)
            missing.push_back(Quoted(w.utf8Name));
    }
    if (!missing.empty()) {
        const std::string what = missing.size() == 1 ? "fehlt die Spalte " + missing[0]
                                 : missing.size() == 2
                                     ? "fehlen die Spalten " + missing[0] + " und " + missing[1]
                                     : "fehlen die Spalten " + missing[0] + ", " + missing[1] + " und " + missing[2];
        std::string found;
        for (const std::string& name : m_columnNames)
            found += (found.empty() ? "" : ", ") + Quoted(name);
        return Fail(m_rowLine, "In der Kopfzeile " + what + " (gefunden: " + found +
                                   "). Andere Spaltennamen geben --family-name-column, --first-name-column und "
                                   "--birth-date-column an; das Trennzeichen gibt --delimiter an.");
    }
    m_familyNameColumn = *wanted[0].column;
    m_firstNameColumn = *wanted[1].column;
    m_birthDateColumn = *wanted[2].column;
    m_etinColumn = wanted[3].column;
    m_errorColumn = wanted[4].column;

    if (m_bom && OutputEncoding() == Encoding::Utf8)
        m_buffer += kBom;
    bool lost = false;
    for (std::size_t i = 0; i < m_columnCount; ++i) {
        std::string scratch;
        WriteCell(ToOutput(m_cells[i], scratch, lost), i == 0);
    }
    if (!m_etinColumn)
        WriteCell(kEtinHeader, m_columnCount == 0);
    if (!m_errorColumn)
        WriteCell(kErrorHeader, false);
    m_buffer += m_lineEnd;
}

std::string_view ListProcessor::Cell(std::optional<std::size_t> column) const
{
    return column && *column < m_cellCount ? std::string_view(m_cells[*column]) : std::string_view();
}

Encoding ListProcessor::OutputEncoding() const
{
    return m_options.outputEncoding != Encoding::Auto ? m_options.outputEncoding : m_inputEncoding;
}

// The cell in the output's encoding; `lost` is set when a character has no
// place in Windows-1252.
std::string_view ListProcessor::ToOutput(std::string_view cell, std::string& scratch, bool& lost) const
{
    const Encoding output = OutputEncoding();
    if (m_inputEncoding == Encoding::Auto || output == Encoding::Auto || output == m_inputEncoding || IsAscii(cell))
        return cell;
    if (output == Encoding::Utf8) {
        scratch = Windows1252ToUtf8(cell);
    } else {
        Windows1252Text converted = Utf8ToWindows1252(cell);
        lost = lost || !converted.unmapped.empty();
        scratch = std::move(converted.text);
    }
    return scratch;
}

std::string ListProcessor::Message(std::string_view utf8) const
{
    return OutputEncoding() == Encoding::Windows1252 ? Utf8ToWindows1252(utf8).text : std::string(utf8);
}

void ListProcessor::ProcessRow()
{
    ++m_summary.rows;

    m_outCells.assign(std::max(m_cellCount, m_columnCount), std::string_view());
    if (m_converted.size() < m_outCells.size())
        m_converted.resize(m_outCells.size());
    std::optional<std::size_t> lostColumn;
    bool surplus = false;
    for (std::size_t i = 0; i < m_outCells.size(); ++i) {
        bool lost = false;
        m_outCells[i] = ToOutput(Cell(i), m_converted[i], lost);
        if (lost && !lostColumn)
            lostColumn = i;
        surplus = surplus || (i >= m_columnCount && !m_outCells[i].empty());
    }

    const std::string_view family = Cell(m_familyNameColumn);
    const std::string_view first = Cell(m_firstNameColumn);
    const std::string_view date = Cell(m_birthDateColumn);
    const Windows1252Text familyName = ToWindows1252(family);
    const Windows1252Text firstName = ToWindows1252(first);
    const Windows1252Text dateText = ToWindows1252(date);
    std::string scratch;
    bool lost = false;
    // The date as written in the cell, not as converted.
    const auto dateMessage = [&] { return std::string(DateConversionError(ToOutput(date, scratch, lost)).what()); };

    std::string error;
    AnsiText etin;
    if (surplus) {
        error = Message(kTooManyCells);
    } else if (TrimBlanks(family).empty()) {
        error = Message(kFamilyNameMissing);
    } else if (TrimBlanks(first).empty()) {
        error = Message(kFirstNameMissing);
    } else if (!familyName.unmapped.empty()) {
        error = Message(kFamilyNameNotConvertible);
    } else if (!firstName.unmapped.empty()) {
        error = Message(kFirstNameNotConvertible);
    } else if (TrimBlanks(date).empty() || date == kEmptyDateText) {
        // The window reads an empty date field as 01.01.00; in a list an
        // empty cell is a missing value.
        error = Message(kBirthDateMissing);
    } else if (!dateText.unmapped.empty()) {
        error = dateMessage();
    } else {
        try {
            EtinResult r = ComputeEtin(familyName.text, firstName.text, dateText.text, m_options.dateSettings,
                                       m_options.currentYear);
            // Letters such as Š stay in the name code, so the eTIN is text in the output's encoding too.
            etin = OutputEncoding() == Encoding::Utf8 && m_inputEncoding != Encoding::Auto ? Windows1252ToUtf8(r.etin)
                                                                                          : std::move(r.etin);
        } catch (const DateConversionError&) {
            error = dateMessage();
        }
    }
    if (error.empty() && lostColumn) {
        const std::string name = *lostColumn < m_columnNames.size() ? m_columnNames[*lostColumn] : "";
        error = Message("Spalte " + Quoted(name) + " enthält Zeichen, die Windows-1252 nicht darstellen kann");
    }
    if (!error.empty())
        ++m_summary.failedRows;

    for (std::size_t i = 0; i < m_columnCount; ++i) {
        const std::string_view cell = i == m_etinColumn ? std::string_view(etin)
                                      : i == m_errorColumn ? std::string_view(error)
                                                           : m_outCells[i];
        WriteCell(cell, i == 0);
    }
    if (!m_etinColumn)
        WriteCell(etin, m_columnCount == 0);
    if (!m_errorColumn)
        WriteCell(error, false);
    // Cells beyond the header go last, so that eTIN and Fehler stay in their columns.
    for (std::size_t i = m_columnCount; surplus && i < m_outCells.size(); ++i)
        WriteCell(m_outCells[i], false);
    m_buffer += m_lineEnd;
}

void ListProcessor::WriteCell(std::string_view cell, bool first)
{
    if (!first)
        m_buffer += m_options.delimiter;
    // A plain loop: find_first_of looks up the set once per byte.
    const char delimiter = m_options.delimiter;
    const bool quote = std::any_of(cell.begin(), cell.end(),
                                   [=](char c) { return c == delimiter || c == '"' || c == '\r' || c == '\n'; });
    if (!quote) {
        m_buffer += cell;
        return;
    }
    m_buffer += '"';
    for (char c : cell) {
        if (c == '"')
            m_buffer += '"';
        m_buffer += c;
    }
    m_buffer += '"';
}

void ListProcessor::Flush()
{
    m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
    m_buffer.clear();
    if (!m_out)
        throw ListError(0, "Die Ausgabe kann nicht geschrieben werden.");
}

std::string WithLine(std::size_t line, const std::string& message)
{
    return line == 0 ? message : "Zeile " + std::to_string(line) + ": " + message;
}

}  // namespace

ListError::ListError(std::size_t line, const std::string& message)
    : std::runtime_error(WithLine(line, message)), m_line(line)
{
}

ListSummary ProcessList(std::istream& in, std::ostream& out, const ListOptions& options)
{
    ListProcessor processor(out, options);
    return processor.Run(in);
}

}  // namespace kennfix::batch
