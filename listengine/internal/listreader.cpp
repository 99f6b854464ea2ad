#include "listengine/internal/listreader.h"

#include <exception>
#include <istream>
#include <utility>

#include "core/cp1252.h"
#include "listengine/errors.h"
#include "listengine/internal/cellsplitter.h"

namespace kennfix::listengine::internal {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEBom = "\xFF\xFE";
constexpr std::string_view kUtf16BEBom = "\xFE\xFF";
constexpr std::size_t kReadSize = 1 << 16;
// A row this long is no row of a staff list; mostly a quote left open has
// swallowed the rest of the file.
constexpr std::size_t kMaxRowSize = 16 << 20;
// The header line is looked at for the delimiter once it is complete, or
// once this much has come without it.
constexpr std::size_t kMaxHeaderLookahead = 1 << 16;

// IsValidUtf8 with the ASCII between the characters above 127 skipped
// eight bytes at a time.
bool IsValidUtf8From(std::string_view bytes, std::size_t pos)
{
    while ((pos = SkipAscii(bytes, pos)) < bytes.size()) {
        const Utf8Character c = DecodeUtf8(bytes, pos);
        if (c.length == 0)
            return false;
        pos += c.length;
    }
    return true;
}

// The first line with text (HoldsText), and whether the text holds all of
// it: a line break inside quotes does not end it, so it goes on while its
// quotes are uneven. A stray quote in an unquoted cell makes them uneven
// too; then the line ends with the text, or when the look at it has gone far
// enough.
struct HeaderLine {
    std::string_view text;
    bool complete;
};

HeaderLine FindHeaderLine(std::string_view text)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (HoldsText(line))
            break;
        if (end == std::string_view::npos)
            return {{}, false};
        start = end + 1;
    }
    std::size_t quotes = 0;
    for (std::size_t pos = start; pos < text.size(); ++pos) {
        if (text[pos] == '"')
            ++quotes;
        else if (text[pos] == '\n' && quotes % 2 == 0)
            return {text.substr(start, pos - start), true};
    }
    return {text.substr(start), false};
}

// Adds a cell that the splitter hands over to a row kept as its cells' bytes, one
// delimiter between two cells, and where each cell ends.
void AppendCell(std::string& bytes, std::vector<std::uint32_t>& ends, char delimiter, std::string_view cell)
{
    if (!ends.empty())
        bytes += delimiter;
    bytes.append(cell);
    ends.push_back(static_cast<std::uint32_t>(bytes.size()));
}

// One header line split under a candidate delimiter: its first row.
struct SplitRow final : CellSink {
    explicit SplitRow(char d) : delimiter(d) {}

    void OnCell(std::string_view cell) override
    {
        if (!done)
            AppendCell(bytes, ends, delimiter, cell);
    }
    void OnRowEnd(int) override { done = true; }

    char delimiter;
    std::string bytes;
    std::vector<std::uint32_t> ends;
    bool done = false;
};

SplitRow SplitHeader(std::string_view line, char delimiter)
{
    SplitRow row(delimiter);
    CellSplitter splitter(CellSplitter::Dialect::Lenient, delimiter);
    splitter.Split(line, row);
    splitter.Finish(row);
    return row;
}

}  // namespace

std::vector<std::string> SplitHeaderLine(std::string_view headerLine, char delimiter, Encoding inputEncoding)
{
    const SplitRow split = SplitHeader(headerLine, delimiter);
    InputRow row;
    row.bytes = split.bytes;
    row.ends = split.ends;
    const bool windows1252 = ClassifyRow(row, inputEncoding) == RowEncoding::Windows1252;
    std::vector<std::string> cells;
    for (std::size_t i = 0; i < row.size(); ++i)
        cells.push_back(windows1252 ? Windows1252ToUtf8(row.cell(i)) : std::string(row.cell(i)));
    return cells;
}

RowEncoding ClassifyRow(const InputRow& row, Encoding inputEncoding)
{
    const std::size_t firstHigh = SkipAscii(row.bytes, 0);
    if (firstHigh == row.bytes.size())
        return RowEncoding::Ascii;
    if (inputEncoding == Encoding::Windows1252)
        return RowEncoding::Windows1252;
    if (inputEncoding != Encoding::Auto)
        return RowEncoding::Utf8;
    // The byte between two cells is ASCII: the bytes are valid exactly when
    // every cell is.
    return IsValidUtf8From(row.bytes, firstHigh) ? RowEncoding::Utf8 : RowEncoding::Windows1252;
}

class ListReader::Impl final : CellSink {
public:
    Impl(ReaderOptions options, RowSink& sink) : m_options(std::move(options)), m_sink(sink)
    {
        m_encoding = m_options.encoding;
        if (m_encoding == Encoding::Utf16LE || m_encoding == Encoding::Utf16BE) {
            m_form = m_encoding == Encoding::Utf16LE ? InputForm::Utf16LE : InputForm::Utf16BE;
            m_encoding = Encoding::Utf8;  // what it is decoded to
        }
    }

    void Read(std::istream& in);

private:
    void OnCell(std::string_view cell) override;
    void OnRowEnd(int terminator) override;

    void TakeByteOrderMark(std::string_view& data);
    std::string_view DecodeUtf16(std::string_view data);
    void Consume(std::string_view data, bool end);
    std::size_t CountEmptyLines(std::string_view pending);
    char ChooseDelimiter(std::string_view headerLine) const;
    void Start(char delimiter, std::string_view headerLine);
    void FeedLines(std::string_view data);
    bool TakePlainLine(std::string_view line);
    void Feed(std::string_view line);
    void EndRow(int terminator);
    void SendRow(std::string_view bytes, std::span<const std::uint32_t> ends, int terminator, bool plain);
    void Rethrow();

    ReaderOptions m_options;
    RowSink& m_sink;
    CellSplitter m_splitter{CellSplitter::Dialect::Strict, ';'};  // lines with quotes
    std::exception_ptr m_error;  // raised in a callback, thrown once the splitter has returned

    InputForm m_form = InputForm::Plain;
    Encoding m_encoding = Encoding::Auto;  // of the bytes read: UTF-16 is decoded first
    bool m_started = false;
    char m_delimiter = ';';
    std::string m_pending;  // input held back until the delimiter is known
    // Empty lines before it, only counted, so that any number of them takes
    // no memory; the first one's end stands for all (see Consume).
    std::size_t m_emptyLines = 0;
    int m_emptyLineTerminator = '\n';

    std::string m_utf16Carry;  // bytes of a UTF-16 character cut by the chunk's end
    std::string m_decoded;
    std::size_t m_utf16Line = 1;

    std::size_t m_line = 1;      // line being fed to the parser
    std::size_t m_rowLine = 1;   // line the row being read began on
    int m_lastTerminator = 0;
    bool m_quotesInPiece = false;  // in the bytes being fed to the parser
    bool m_quotesInRow = false;    // in earlier bytes of the row being read
    std::string m_row;           // the cells of the row being read
    std::vector<std::uint32_t> m_ends;
    std::vector<std::uint32_t> m_lineEnds;  // of the cells of a plain line, as many as its bytes and one more
};

void ListReader::Impl::Read(std::istream& in)
{
    std::string chunk(kReadSize, '\0');
    std::uint64_t bytesRead = 0;
    bool first = true;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        std::string_view data(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (data.empty())
            break;
        bytesRead += data.size();
        if (first)
            TakeByteOrderMark(data);
        first = false;
        if (m_form == InputForm::Utf16LE || m_form == InputForm::Utf16BE)
            data = DecodeUtf16(data);
        Consume(data, false);
        m_sink.OnProgress(bytesRead);
    }
    if (in.bad())
        throw ReadError();
    if (!m_utf16Carry.empty())
        throw ListError(m_utf16Line, "Die Eingabe endet mitten in einem UTF-16-Zeichen.");
    Consume({}, true);
    if (!m_splitter.Finish(*this))
        throw ListError(m_rowLine, "Ein Feld in Anführungszeichen wird bis zum Ende der Datei nicht geschlossen.");
    Rethrow();
}

// A byte order mark says what the whole input is. An encoding asked for
// wins over a UTF-16 mark; a UTF-8 mark is never text and always skipped.
void ListReader::Impl::TakeByteOrderMark(std::string_view& data)
{
    const Encoding asked = m_options.encoding;
    if (m_form == InputForm::Utf16LE || m_form == InputForm::Utf16BE) {
        if (data.starts_with(m_form == InputForm::Utf16LE ? kUtf16LEBom : kUtf16BEBom))
            data.remove_prefix(2);
    } else if (data.starts_with(kUtf8Bom)) {
        m_form = InputForm::Utf8Bom;
        data.remove_prefix(kUtf8Bom.size());
    } else if (asked == Encoding::Auto && (data.starts_with(kUtf16LEBom) || data.starts_with(kUtf16BEBom))) {
        m_form = data.starts_with(kUtf16LEBom) ? InputForm::Utf16LE : InputForm::Utf16BE;
        m_encoding = Encoding::Utf8;  // what it is decoded to
        data.remove_prefix(2);
    }
}

// UTF-16 to UTF-8, keeping a character cut by the chunk's end for the next.
std::string_view ListReader::Impl::DecodeUtf16(std::string_view data)
{
    m_utf16Carry.append(data);
    const std::string_view units = m_utf16Carry;
    const bool bigEndian = m_form == InputForm::Utf16BE;
    const auto unitAt = [&](std::size_t pos) {
        const auto a = static_cast<unsigned char>(units[pos]);
        const auto b = static_cast<unsigned char>(units[pos + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    m_decoded.clear();
    std::size_t pos = 0;
    while (pos + 2 <= units.size()) {
        char32_t c = unitAt(pos);
        std::size_t length = 2;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (pos + 4 > units.size())
                break;  // the low surrogate is in the next chunk
            const char32_t low = unitAt(pos + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                throw ListError(m_utf16Line, "Die Zeile ist kein gültiges UTF-16 (ein Ersatzzeichen steht allein).");
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            length = 4;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            throw ListError(m_utf16Line, "Die Zeile ist kein gültiges UTF-16 (ein Ersatzzeichen steht allein).");
        }
        if (c == '\n')
            ++m_utf16Line;
        AppendUtf8(m_decoded, c);
        pos += length;
    }
    m_utf16Carry.erase(0, pos);
    return m_decoded;
}

// Holds the input back until the header line is there to choose the
// delimiter from, then feeds the parser.
void ListReader::Impl::Consume(std::string_view data, bool end)
{
    if (m_started) {
        FeedLines(data);
        return;
    }
    m_pending.append(data);
    m_pending.erase(0, CountEmptyLines(m_pending));
    const HeaderLine header = FindHeaderLine(m_pending);
    if (!header.complete && !end && m_pending.size() < kMaxHeaderLookahead)
        return;
    Start(m_options.delimiter ? *m_options.delimiter : ChooseDelimiter(header.text), header.text);
    // A row's terminator matters only for the first row written: it gives
    // the output's line ends.
    for (; m_emptyLines > 0; --m_emptyLines) {
        m_rowLine = m_line++;
        SendRow({}, {}, m_emptyLineTerminator, true);
    }
    std::string pending = std::move(m_pending);
    m_pending.clear();
    FeedLines(pending);
}

// Counts the empty lines (LF or CR LF) the input held back begins with, and
// gives the bytes they take. A CR at the end may be one whose LF is still to
// come: it waits.
std::size_t ListReader::Impl::CountEmptyLines(std::string_view pending)
{
    std::size_t taken = 0;
    for (;;) {
        const std::string_view rest = pending.substr(taken);
        const std::size_t length = rest.starts_with('\n') ? 1 : rest.starts_with("\r\n") ? 2 : 0;
        if (length == 0)
            return taken;
        if (m_emptyLines++ == 0)
            m_emptyLineTerminator = length == 2 ? '\r' : '\n';
        taken += length;
    }
}

// Spreadsheets save UTF-16 lists tab-separated. Otherwise the candidate under
// which most wanted columns are found wins, then the one that splits the line
// into most cells, then the first of ; tab ,.
char ListReader::Impl::ChooseDelimiter(std::string_view headerLine) const
{
    if (m_form == InputForm::Utf16LE || m_form == InputForm::Utf16BE)
        return '\t';
    char best = kDelimiterCandidates[0];
    int bestScore = -1;
    std::size_t bestCells = 0;
    for (char candidate : kDelimiterCandidates) {
        const SplitRow split = SplitHeader(headerLine, candidate);
        InputRow row;
        row.bytes = split.bytes;
        row.ends = split.ends;
        row.encoding = ClassifyRow(row, m_encoding);
        const int score = m_options.headerScore ? m_options.headerScore(row) : 0;
        if (score > bestScore || (score == bestScore && split.ends.size() > bestCells)) {
            best = candidate;
            bestScore = score;
            bestCells = split.ends.size();
        }
    }
    return best;
}

void ListReader::Impl::Start(char delimiter, std::string_view headerLine)
{
    m_started = true;
    m_delimiter = delimiter;
    m_splitter.SetDelimiter(delimiter);
    if (headerLine.ends_with('\r'))
        headerLine.remove_suffix(1);
    m_sink.OnStart(m_form, delimiter, headerLine);
}

void ListReader::Impl::FeedLines(std::string_view data)
{
    // Line by line, so that a row knows its lines.
    while (!data.empty()) {
        const std::size_t end = data.find('\n');
        const std::size_t length = end == std::string_view::npos ? data.size() : end + 1;
        const std::string_view line = data.substr(0, length);
        if (end == std::string_view::npos || !TakePlainLine(line))
            Feed(line);
        data.remove_prefix(length);
    }
}

// A whole line without quotes whose only CR is one before its LF, read
// between rows, is one row whose cells lie between its delimiters, as the
// splitter reads it too: a blank line is a row without cells. Its cells are
// taken where they stand. Any other line goes to the splitter.
bool ListReader::Impl::TakePlainLine(std::string_view line)
{
    // After a CR, the splitter reads the LF of a CR LF cut by the chunk's end.
    if (!m_splitter.BetweenRows() || m_lastTerminator == '\r')
        return false;
    std::string_view text = line.substr(0, line.size() - 1);
    int terminator = '\n';
    if (text.ends_with('\r')) {
        text.remove_suffix(1);
        terminator = '\r';
    }
    if (text.find('"') != std::string_view::npos || text.find('\r') != std::string_view::npos)
        return false;
    if (m_lineEnds.size() <= text.size())
        m_lineEnds.resize(text.size() + 1);
    std::uint32_t* const ends = m_lineEnds.data();
    std::size_t cells = 0;
    for (std::size_t pos = 0; (pos = text.find(m_delimiter, pos)) != std::string_view::npos; ++pos)
        ends[cells++] = static_cast<std::uint32_t>(pos);
    if (!text.empty())
        ends[cells++] = static_cast<std::uint32_t>(text.size());
    m_rowLine = m_line;
    SendRow(text, {ends, cells}, terminator, true);
    m_lastTerminator = '\n';
    ++m_line;
    return true;
}

void ListReader::Impl::Feed(std::string_view line)
{
    if (m_splitter.BetweenRows())
        m_rowLine = m_line;
    m_quotesInPiece = line.find('"') != std::string_view::npos;
    const bool split = m_splitter.Split(line, *this);
    Rethrow();
    if (!split)
        throw ListError(m_line, "Anführungszeichen stehen falsch. Ein Feld in Anführungszeichen muss ganz "
                                "in Anführungszeichen stehen; ein Anführungszeichen darin wird verdoppelt (\"\").");
    if (!m_splitter.BetweenRows())
        m_quotesInRow = m_quotesInRow || m_quotesInPiece;
    const std::size_t cellBytes = m_row.size() - (m_ends.empty() ? 0 : m_ends.size() - 1);  // without the bytes between them
    if (cellBytes + m_splitter.CellSize() > kMaxRowSize)
        throw ListError(m_rowLine, "Die Zeile ist länger als 16 MiB. Fehlt ein schließendes Anführungszeichen?");
    if (line.ends_with('\n'))
        ++m_line;
}

void ListReader::Impl::OnCell(std::string_view cell)
{
    if (!m_error)
        AppendCell(m_row, m_ends, m_delimiter, cell);
}

void ListReader::Impl::OnRowEnd(int terminator)
{
    if (!m_error) {
        try {
            EndRow(terminator);
        } catch (...) {
            m_error = std::current_exception();
        }
    }
    m_row.clear();
    m_ends.clear();
    m_quotesInRow = false;
    m_lastTerminator = terminator;
    m_rowLine = m_line;
}

void ListReader::Impl::EndRow(int terminator)
{
    // The splitter reports every line break outside a row as an empty row:
    // the line feed of a CR LF is none.
    if (m_ends.empty() && terminator == '\n' && m_lastTerminator == '\r')
        return;
    SendRow(m_row, m_ends, terminator, !m_quotesInRow && !m_quotesInPiece);
}

void ListReader::Impl::SendRow(std::string_view bytes, std::span<const std::uint32_t> ends, int terminator,
                               bool plain)
{
    InputRow row;
    row.bytes = bytes;
    row.ends = ends;
    row.line = m_rowLine;
    row.lastLine = m_line;
    row.terminator = terminator;
    row.encoding = ClassifyRow(row, m_encoding);
    row.plain = plain;
    m_sink.OnRow(row);
}

void ListReader::Impl::Rethrow()
{
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
}

ListReader::ListReader(ReaderOptions options, RowSink& sink) : m_impl(std::make_unique<Impl>(std::move(options), sink))
{
}

ListReader::~ListReader() = default;

void ListReader::Read(std::istream& in)
{
    m_impl->Read(in);
}

}  // namespace kennfix::listengine::internal
