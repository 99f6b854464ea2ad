// The list reader of kennfix-batch on arbitrary bytes as a CSV file. It either
// stops with a ListError that carries a message, which the program turns into
// exit status 2, or writes the header and exactly one row for each row it
// read. Any other exception escapes and counts as a finding.
//
// Input: one byte of options, then the file.
//   bits 0-1  delimiter: ; , tab ;
//   bits 2-3  input encoding: auto, UTF-8, Windows-1252, auto
//   bits 4-5  output encoding, the same way
//   bit 6     read as from a pipe, which cannot seek

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>

#include "check.h"
#include "list.h"

namespace {

using kennfix::batch::Encoding;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Input that can be read only once, as from a pipe: it cannot seek.
class OnePassBuffer : public std::streambuf {
public:
    explicit OnePassBuffer(std::string_view text)
    {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

kennfix::batch::ListOptions OptionsFrom(std::uint8_t bits)
{
    constexpr char kDelimiters[] = {';', ',', '\t', ';'};
    constexpr Encoding kEncodings[] = {Encoding::Auto, Encoding::Utf8, Encoding::Windows1252, Encoding::Auto};
    kennfix::batch::ListOptions options;
    options.delimiter = kDelimiters[bits & 3];
    options.inputEncoding = kEncodings[(bits >> 2) & 3];
    options.outputEncoding = kEncodings[(bits >> 4) & 3];
    options.currentYear = 2026;
    return options;
}

// The rows of well-formed CSV, counted apart from libcsv: a line break
// outside quotes ends a row, and a line with nothing on it is no row. A
// doubled quote inside quotes leaves and enters them again.
std::size_t CountRows(std::string_view csv)
{
    if (csv.starts_with(kBom))
        csv.remove_prefix(kBom.size());
    std::size_t rows = 0;
    bool inQuotes = false;
    bool inRow = false;
    for (const char c : csv) {
        if (inQuotes) {
            inQuotes = c != '"';
        } else if (c == '\r' || c == '\n') {
            rows += inRow;
            inRow = false;
        } else {
            inRow = true;
            inQuotes = c == '"';
        }
    }
    return rows + inRow;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const kennfix::batch::ListOptions options = OptionsFrom(data[0]);
    const bool pipe = (data[0] & 0x40) != 0;
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::istringstream fileStream{std::string(file)};
    OnePassBuffer pipeBuffer(file);
    std::istream pipeStream(&pipeBuffer);
    std::ostringstream out;
    try {
        const kennfix::batch::ListSummary summary =
            kennfix::batch::ProcessList(pipe ? pipeStream : fileStream, out, options);
        const std::size_t rowsIn = CountRows(file);
        FUZZ_CHECK(rowsIn >= 1);  // the header
        FUZZ_CHECK(summary.rows == rowsIn - 1);
        FUZZ_CHECK(summary.failedRows <= summary.rows);
        FUZZ_CHECK(CountRows(out.str()) == rowsIn);
    } catch (const kennfix::batch::ListError& e) {
        const std::string message = e.what();
        FUZZ_CHECK(!message.empty());
        // The line it names is one of the file's.
        const auto lines = static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n')) + 1;
        FUZZ_CHECK(e.line() <= lines);
        FUZZ_CHECK(e.line() == 0 || message.starts_with("Zeile " + std::to_string(e.line()) + ": "));
    }
    return 0;
}
