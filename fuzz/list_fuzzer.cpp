// The list engine of kennfix-batch on arbitrary bytes as a CSV file. It
// either stops with a ListError that carries a message, which the program
// turns into exit status 2, or writes one row for each row it read, blank
// lines included, and every cell of the input comes back with its content.
// Both are checked against a CSV reader of the target's own, which reads
// quotes as spreadsheets do. Any other exception escapes and counts as a
// finding.
//
// Input: two bytes of options, then the file.
//   byte 0 bits 0-1  delimiter: from the header, ';', ',', tab
//          bits 2-4  input encoding: auto, UTF-8, Windows-1252, UTF-16 LE, UTF-16 BE, auto ...
//          bit 5     read as from a pipe, which cannot seek
//   byte 1 bits 0-2  output encoding, the same way

#include <algorithm>
#include <cstdint>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "core/cp1252.h"
#include "listengine/list.h"
#include "listengine/internal/celltext.h"

namespace {

using kennfix::listengine::Encoding;
using kennfix::listengine::internal::RowEncoding;
using kennfix::listengine::internal::TrimBlanks;

constexpr Encoding kEncodings[] = {Encoding::Auto,    Encoding::Utf8,    Encoding::Windows1252, Encoding::Utf16LE,
                                   Encoding::Utf16BE, Encoding::Auto,    Encoding::Auto,        Encoding::Auto};

// Input that can be read only once, as from a pipe: it cannot seek.
class OnePassBuffer : public std::streambuf {
public:
    explicit OnePassBuffer(std::string_view text)
    {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

kennfix::listengine::ListOptions OptionsFrom(std::uint8_t first, std::uint8_t second)
{
    constexpr char kDelimiters[] = {0, ';', ',', '\t'};
    kennfix::listengine::ListOptions options;
    if (kDelimiters[first & 3] != 0)
        options.delimiter = kDelimiters[first & 3];
    options.inputEncoding = kEncodings[(first >> 2) & 7];
    options.outputEncoding = kEncodings[second & 7];
    options.currentYear = 2026;
    return options;
}

bool IsUtf16(Encoding e)
{
    return e == Encoding::Utf16LE || e == Encoding::Utf16BE;
}

// UTF-16 to UTF-8; nothing when it is no well-formed UTF-16.
std::optional<std::string> FromUtf16(std::string_view bytes, bool bigEndian)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::string utf8;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        char32_t c = bigEndian ? (a << 8) | b : (b << 8) | a;
        if (c >= 0xDC00 && c <= 0xDFFF)
            return std::nullopt;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 4 > bytes.size())
                return std::nullopt;
            const auto c2 = static_cast<unsigned char>(bytes[i + 2]), d2 = static_cast<unsigned char>(bytes[i + 3]);
            const char32_t low = bigEndian ? (c2 << 8) | d2 : (d2 << 8) | c2;
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        kennfix::AppendUtf8(utf8, c);
    }
    return utf8;
}

// What the bytes of a list are once a byte order mark has said what they
// are: UTF-16 decoded, the marks taken off.
struct Text {
    std::string bytes;
    bool utf16 = false;
};

std::optional<Text> Decode(std::string_view file, Encoding asked)
{
    const bool le = file.starts_with("\xFF\xFE"), be = file.starts_with("\xFE\xFF");
    if (IsUtf16(asked) || (asked == Encoding::Auto && (le || be))) {
        const bool bigEndian = IsUtf16(asked) ? asked == Encoding::Utf16BE : be;
        if ((bigEndian && be) || (!bigEndian && le))
            file.remove_prefix(2);
        auto utf8 = FromUtf16(file, bigEndian);
        if (!utf8)
            return std::nullopt;
        return Text{std::move(*utf8), true};
    }
    if (file.starts_with("\xEF\xBB\xBF"))
        file.remove_prefix(3);
    return Text{std::string(file), false};
}

using Row = std::vector<std::string>;

// CSV as spreadsheets read it: a quote opens quoting only at the start of a
// cell, "" inside quotes is one quote, a line with nothing on it is a row
// without cells, and CR, LF and CR LF each end a row. Nothing for text after
// a closing quote or a quote left open.
std::optional<std::vector<Row>> ReadCsv(std::string_view text, char delimiter)
{
    std::vector<Row> rows;
    Row row;
    std::string cell;
    bool inQuotes = false, afterQuote = false, started = false, cellStart = true, skipLf = false;
    const auto endCell = [&] {
        row.push_back(cell);
        cell.clear();
        afterQuote = false;
        cellStart = true;
        started = true;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool lf = skipLf && c == '\n';
        skipLf = false;
        if (inQuotes) {
            if (c != '"') {
                cell += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else {
                inQuotes = false;
                afterQuote = true;
            }
        } else if (c == delimiter) {
            endCell();
        } else if (c == '\r' || c == '\n') {
            if (lf)
                continue;  // the LF of a CR LF
            if (started || !cellStart)
                endCell();
            rows.push_back(std::move(row));
            row.clear();
            started = false;
            skipLf = c == '\r';
        } else if (afterQuote) {
            return std::nullopt;
        } else if (c == '"' && cellStart) {
            inQuotes = true;
            cellStart = false;
        } else {
            cell += c;
            cellStart = false;
        }
    }
    if (inQuotes)
        return std::nullopt;
    if (started || !cellStart) {
        endCell();
        rows.push_back(std::move(row));
    }
    return rows;
}

bool IsAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// What a cell of a row read as `utf8` or not must be in the output's text,
// or nothing when the output's code page cannot hold it as it is.
std::optional<std::string> Expected(const std::string& cell, bool rowIsUtf8, Encoding output)
{
    if (IsAscii(cell))
        return cell;
    if (output != Encoding::Windows1252) {
        if (!rowIsUtf8)
            return kennfix::Windows1252ToUtf8(cell);
        if (IsUtf16(output) && !kennfix::IsValidUtf8(cell))
            return std::nullopt;
        return cell;
    }
    if (!rowIsUtf8)
        return cell;
    const kennfix::Windows1252Text converted = kennfix::Utf8ToWindows1252(cell);
    if (!converted.unmapped.empty() || kennfix::Windows1252ToUtf8(converted.text) != cell)
        return std::nullopt;
    return converted.text;
}

bool RowIsUtf8(const Row& row, Encoding input, bool utf16)
{
    if (utf16 || input == Encoding::Utf8)
        return true;
    if (input == Encoding::Windows1252)
        return false;
    for (const std::string& cell : row) {
        if (!kennfix::IsValidUtf8(cell))
            return false;
    }
    return true;
}

// Before the header, a row without text (blanks, quotes, delimiters) comes
// back as it is; the first row with text is the header.
bool HoldsNoText(const std::string& cell)
{
    return cell.find_first_not_of(" \t\r\n\";,") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const kennfix::listengine::ListOptions options = OptionsFrom(data[0], data[1]);
    const bool pipe = (data[0] & 0x20) != 0;
    const std::string_view file(reinterpret_cast<const char*>(data) + 2, size - 2);

    std::istringstream fileStream{std::string(file)};
    OnePassBuffer pipeBuffer(file);
    std::istream pipeStream(&pipeBuffer);
    std::ostringstream out;
    kennfix::listengine::ListLayout layout;
    kennfix::listengine::ListCallbacks callbacks;
    callbacks.onHeader = [&](const kennfix::listengine::ListLayout& l) { layout = l; };

    const std::optional<Text> input = Decode(file, options.inputEncoding);
    kennfix::listengine::ListSummary summary;
    try {
        summary = kennfix::listengine::ProcessList(pipe ? pipeStream : fileStream, out, options, callbacks);
    } catch (const kennfix::listengine::ListError& e) {
        const std::string message = e.what();
        FUZZ_CHECK(!message.empty());
        // The line it names is one of the file's.
        const std::string_view text = input ? std::string_view(input->bytes) : file;
        const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        FUZZ_CHECK(e.line() <= lines);
        FUZZ_CHECK(e.line() == 0 || message.starts_with("Zeile " + std::to_string(e.line()) + ": "));
        return 0;
    }

    // A list that was read is well-formed CSV, and every row comes back.
    FUZZ_CHECK(input.has_value());
    const std::optional<std::vector<Row>> rowsIn = ReadCsv(input->bytes, layout.delimiter);
    FUZZ_CHECK(rowsIn.has_value());
    const std::optional<Text> written = Decode(out.str(), IsUtf16(summary.outputEncoding) ? summary.outputEncoding
                                                                                           : Encoding::Utf8);
    FUZZ_CHECK(written.has_value());
    const std::optional<std::vector<Row>> rowsOut = ReadCsv(written->bytes, layout.delimiter);
    FUZZ_CHECK(rowsOut.has_value());
    FUZZ_CHECK(rowsOut->size() == rowsIn->size());
    FUZZ_CHECK(summary.failedRows <= summary.rows);

    // Every cell of the input comes back but an empty one of the column
    // eTIN, which takes the computed eTIN; columns called Fehler or Prüfung
    // are the list's own.
    const std::size_t columns = layout.outputColumnOf.size();
    const auto isOurs = [&](std::size_t inputColumn, const std::string& cell, bool utf8) {
        const auto encoding = utf8 ? RowEncoding::Utf8 : RowEncoding::Windows1252;
        return layout.outputColumnOf[inputColumn] == layout.etinColumn &&
               TrimBlanks(cell, encoding).empty();
    };
    bool header = true;
    for (std::size_t r = 0; r < rowsIn->size(); ++r) {
        const Row& in = (*rowsIn)[r];
        const Row& outRow = (*rowsOut)[r];
        const bool noText = std::all_of(in.begin(), in.end(), HoldsNoText);
        if (in.empty()) {
            FUZZ_CHECK(outRow.empty());
            continue;
        }
        const bool utf8 = RowIsUtf8(in, options.inputEncoding, input->utf16);
        const bool beforeHeader = header && noText;
        for (std::size_t c = 0; c < in.size(); ++c) {
            if (!header && c < columns && isOurs(c, in[c], utf8))
                continue;
            // Rows before the header come back as they are, the others laid out anew.
            const std::size_t at = beforeHeader ? c
                                   : c < columns ? layout.outputColumnOf[c]
                                                 : layout.columnNames.size() + c - columns;
            FUZZ_CHECK(at < outRow.size());
            const std::optional<std::string> expected = Expected(in[c], utf8, summary.outputEncoding);
            if (expected) {
                FUZZ_CHECK(outRow[at] == *expected);
            } else {
                FUZZ_CHECK(!outRow[at].empty());  // never written empty
            }
        }
        header = header && noText;
    }
    return 0;
}
