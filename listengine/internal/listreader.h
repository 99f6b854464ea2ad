#pragma once

// Reading a list: bytes -> rows of cells, each with the lines it came from
// and the encoding its bytes are in. One pass over the input, a chunk at a
// time. A line without quotes, which is most lines of most lists, is split
// at its delimiters where it stands; lines with quotes go through
// internal/cellsplitter.h, which copies each cell.
//
// - A byte order mark tells the form of the whole input: UTF-8, or UTF-16 LE
//   or BE, which is decoded to UTF-8 here, so later steps see UTF-8 only.
// - Without -d the delimiter is found from the header line, the first line
//   with text (HoldsText): the one of ";", tab and "," under which the sink
//   recognises most columns, then the most frequent; UTF-16 lists are
//   tab-separated, as spreadsheets save them.
// - Every row comes out, blank lines as rows without cells, so that the
//   output can keep them.
// - A quote inside an unquoted cell is an ordinary character, as spreadsheet
//   programs read it; a quoted cell followed by more text, or a quote left
//   open at the end, stops the reading with a ListError naming the line.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "listengine/encoding.h"
#include "listengine/internal/celltext.h"

namespace kennfix::listengine::internal {

// One row as read, its cells undecoded. The views hold during the call only.
struct InputRow {
    // The cells one after the other, each but the last followed by one byte
    // that belongs to none (the delimiter), so that a character can never
    // run from one cell into the next. For a plain row, the line as it is.
    std::string_view bytes;
    std::span<const std::uint32_t> ends;  // where each cell ends in bytes
    std::size_t line = 0;                 // the line the row begins on, from 1
    std::size_t lastLine = 0;             // the line it ends on (a quoted cell may span lines)
    RowEncoding encoding = RowEncoding::Ascii;
    int terminator = -1;                  // '\r' or '\n' that ended it; -1 at the end of the input
    // No quote was among the bytes the row was read from, so none of its
    // cells holds a quote, a line break or the delimiter: written back, they
    // need no quotes.
    bool plain = false;

    std::size_t size() const { return ends.size(); }
    std::string_view cell(std::size_t i) const
    {
        const std::uint32_t begin = i == 0 ? 0 : ends[i - 1] + 1;
        return bytes.substr(begin, ends[i] - begin);
    }
};

// What the first bytes say about the whole input.
enum class InputForm { Plain, Utf8Bom, Utf16LE, Utf16BE };

class RowSink {
public:
    // Once, before the first row: the form of the input, the delimiter, and
    // the first line that is not blank as far as it was looked at for the
    // delimiter (UTF-16 decoded, otherwise as it stands).
    virtual void OnStart(InputForm form, char delimiter, std::string_view headerLine) = 0;
    virtual void OnRow(const InputRow& row) = 0;
    // After every chunk read, with the bytes read so far.
    virtual void OnProgress(std::uint64_t bytesRead) = 0;

protected:
    ~RowSink() = default;
};

struct ReaderOptions {
    std::optional<char> delimiter;     // none: found from the header line
    Encoding encoding = Encoding::Auto;
    // How many of the wanted columns a header row read with a candidate
    // delimiter holds; chooses the delimiter.
    std::function<int(const InputRow&)> headerScore;
};

class ListReader {
public:
    ListReader(ReaderOptions options, RowSink& sink);
    ~ListReader();
    ListReader(const ListReader&) = delete;
    ListReader& operator=(const ListReader&) = delete;

    // Reads `in` to its end. Throws ListError, ReadError, and whatever the
    // sink throws.
    void Read(std::istream& in);

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

// The delimiters the reader chooses from, in the order it prefers them.
inline constexpr char kDelimiterCandidates[] = {';', '\t', ','};

// The cells of a header line (RowSink::OnStart) under `delimiter`, in
// UTF-8, read in the input encoding asked for as a row would be.
std::vector<std::string> SplitHeaderLine(std::string_view headerLine, char delimiter, Encoding inputEncoding);

// The encoding of a row's cells under the input encoding asked for: an ASCII
// row is Ascii; Auto gives Utf8 when every cell is valid UTF-8, else
// Windows1252.
RowEncoding ClassifyRow(const InputRow& row, Encoding inputEncoding);

}  // namespace kennfix::listengine::internal
