// The list engine for the page: a handful of plain functions that the list
// worker (web/listworker.js) calls. The worker hands the engine the chosen
// file's bytes piece by piece and takes the written list piece by piece, so
// that neither the list nor the result is ever whole in the module's memory;
// what the page shows comes back as one JSON text per run.
//
// The options are those of kennfix-batch, by the same names and with the
// same checks (listengine/options.h), so that the page writes the bytes
// kennfix-batch writes for the same list and options.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1252.h"
#include "listengine/columnchoice.h"
#include "listengine/list.h"
#include "listengine/messagetext.h"
#include "listengine/options.h"
#include "listengine/summary.h"
#include "web/export.h"

// The worker's side of the byte streams and of progress, on
// Module.kennfixList (see web/listworker.js).
// pull(view) fills the view with bytes of the list and says how many; 0 at
// its end, -1 when the file cannot be read.
EM_JS(int, kennfix_list_pull, (char* buffer, int size), {
    return Module.kennfixList.pull(HEAPU8.subarray(buffer, buffer + size));
});
// push(view) takes the next bytes of the written list; false when it cannot.
// The view lies in the module's memory and holds them only during the call:
// whoever keeps them copies them. A copy made here for every piece took a
// sixth of a list's time.
EM_JS(int, kennfix_list_push, (const char* bytes, int size), {
    return Module.kennfixList.push(HEAPU8.subarray(bytes, bytes + size)) ? 1 : 0;
});
// Progress, about every 64 KiB of the list.
EM_JS(void, kennfix_list_progress, (double bytesRead, double rows), { Module.kennfixList.progress(bytesRead, rows); });

namespace {

using namespace kennfix::listengine;

// As many rows that need attention as a page can show; the rest are counted.
constexpr std::size_t kAttentionRowsShown = 1000;
// What the column texts of a row in the page may take.
constexpr std::size_t kCellBytesShown = 200;

class PullBuffer : public std::streambuf {
protected:
    int_type underflow() override
    {
        const int got = kennfix_list_pull(m_buffer.data(), static_cast<int>(m_buffer.size()));
        if (got < 0)
            throw std::runtime_error("read");  // the istream turns it into badbit, the engine into ReadError
        if (got == 0)
            return traits_type::eof();
        setg(m_buffer.data(), m_buffer.data(), m_buffer.data() + got);
        return traits_type::to_int_type(m_buffer[0]);
    }

private:
    std::array<char, 64 * 1024> m_buffer{};
};

class PushBuffer : public std::streambuf {
public:
    PushBuffer() { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }

protected:
    int_type overflow(int_type c) override
    {
        if (!Flush())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return Flush() ? 0 : -1; }

private:
    bool Flush()
    {
        const auto size = static_cast<int>(pptr() - pbase());
        if (size > 0 && !kennfix_list_push(pbase(), size))
            return false;
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
        return true;
    }

    std::array<char, 64 * 1024> m_buffer{};
};

std::string Json(std::string_view utf8)
{
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out + '"';
}

// Text from the list, safe to show: every character visible, no broken
// UTF-8 (listengine/messagetext.h).
std::string JsonShown(std::string_view utf8)
{
    return Json(ShortenedForMessage(utf8, kCellBytesShown));
}

template <typename Range, typename Each>
std::string JsonArray(const Range& items, Each each)
{
    std::string out = "[";
    for (const auto& item : items) {
        if (out.size() > 1)
            out += ',';
        out += each(item);
    }
    return out + ']';
}

std::string JsonStrings(const std::vector<std::string>& texts)
{
    return JsonArray(texts, [](const std::string& text) { return Json(text); });
}

std::string DelimiterText(char delimiter)
{
    return delimiter == '\t' ? "tab" : std::string(1, delimiter);
}

// The rows that need the user's eye, as the page lists them: the line, the
// three columns read, and Fehler or Prüfung.
class AttentionRows {
public:
    void Header(const ListLayout& layout) { m_layout = layout; }

    void Add(const RowResult& row)
    {
        const bool deviates = row.check == StoredEtinCheck::Differs || row.check == StoredEtinCheck::WrongCheckCharacter;
        if (row.blank || (row.error.empty() && !deviates))
            return;
        if (m_shown >= kAttentionRowsShown) {
            ++m_more;
            return;
        }
        const auto text = [&](std::string_view cell) {
            return row.textEncoding == Encoding::Windows1252 ? kennfix::Windows1252ToUtf8(cell) : std::string(cell);
        };
        const auto cell = [&](std::size_t column) {
            return JsonShown(column < row.cells.size() ? text(row.cells[column]) : std::string());
        };
        m_json += m_shown++ == 0 ? "" : ",";
        m_json += "{\"line\":" + std::to_string(row.line) + ",\"familyName\":" + cell(m_layout.familyNameColumn) +
                  ",\"firstName\":" + cell(m_layout.firstNameColumn) + ",\"birthDate\":" + cell(m_layout.birthDateColumn) +
                  ",\"error\":" + JsonShown(text(row.error)) + ",\"check\":" + JsonShown(text(row.checkText)) + "}";
    }

    std::string json() const { return "[" + m_json + "],\"attentionMore\":" + std::to_string(m_more); }

private:
    ListLayout m_layout;
    std::string m_json;
    std::size_t m_shown = 0;
    std::size_t m_more = 0;
};

// The columns to choose from when the header lacks one (listengine/columnchoice.h).
std::string JsonChoice(const ColumnChoice& choice)
{
    std::string headers = "[";
    for (std::size_t h = 0; h < choice.headers().size(); ++h) {
        const ColumnChoice::Header& header = choice.headers()[h];
        headers += h == 0 ? "" : ",";
        headers += "{\"delimiter\":" + Json(DelimiterText(header.delimiter)) +
                   ",\"names\":" + JsonArray(header.names, [](const std::string& name) { return JsonShown(name); }) +
                   ",\"fitting\":" + JsonArray(kPersonColumns, [&](PersonColumn role) {
                       const std::optional<std::size_t> fits = choice.fitting(h, role);
                       return fits ? std::to_string(*fits) : std::string("-1");
                   }) + "}";
    }
    return "{\"delimiterChoosable\":" + std::string(choice.delimiterChoosable() ? "true" : "false") +
           ",\"preferred\":" + std::to_string(choice.preferredHeader()) + ",\"headers\":" + headers + "]}";
}

// What the page keeps between a run and the user's choice of columns.
struct State {
    ListOptionTexts texts;
    std::optional<ListOptions> chosen;  // the columns chosen for this one list
    std::optional<ColumnChoice> choice;
    std::string result;
};

State& TheState()
{
    static State state;
    return state;
}

constexpr int kAllRowsDone = 0;
constexpr int kSomeRowsNeedAttention = 1;
constexpr int kNoList = 2;

std::string Failure(std::string_view error, std::string_view shown, std::string_view more = {})
{
    return "{\"status\":" + std::to_string(kNoList) + ",\"error\":" + Json(error) + ",\"message\":" + Json(shown) +
           std::string(more) + "}";
}

std::string Run(const std::string& name)
{
    State& state = TheState();
    ListOptions options;
    if (state.chosen) {
        options = *state.chosen;
    } else {
        try {
            options = ListOptionsFrom(state.texts);
        } catch (const OptionError& e) {
            return Failure(e.what(), e.what());
        }
    }
    state.choice.reset();
    const std::string named = QuotedForMessage(name);
    const std::string unreadable = named + " kann nicht als Liste gelesen werden.\n\n";

    PullBuffer pull;
    std::istream in(&pull);
    PushBuffer push;
    std::ostream out(&push);
    ListCounts counts;
    AttentionRows attention;
    bool keepsEtins = false;
    ListCallbacks callbacks;
    callbacks.onHeader = [&](const ListLayout& layout) {
        attention.Header(layout);
        keepsEtins = layout.checkColumn.has_value();
    };
    callbacks.onRow = [&](const RowResult& row) {
        counts.Add(row);
        attention.Add(row);
    };
    callbacks.onProgress = [&](const ListProgress& p) {
        kennfix_list_progress(static_cast<double>(p.bytesRead), static_cast<double>(p.rows));
        return true;
    };
    ListSummary summary;
    try {
        summary = ProcessList(in, out, options, callbacks);
        out.flush();
        if (!out)
            throw WriteError();
    } catch (const MissingColumnsError& e) {
        std::optional<ColumnChoice> choice = ColumnChoice::From(e, options);
        if (!choice)
            return Failure(e.what(), unreadable + MissingColumnsMessage(e));
        state.choice = std::move(choice);
        return Failure(e.what(), named + ": " + e.missingText() + ".", ",\"choice\":" + JsonChoice(*state.choice));
    } catch (const ListError& e) {
        return Failure(e.what(), unreadable + e.what());
    } catch (const ReadError&) {
        return Failure("read", named + " kann nicht gelesen werden; vielleicht wurde die Datei verändert oder entfernt. "
                                       "Bitte die Liste erneut wählen.");
    } catch (const WriteError&) {
        return Failure("write", "Die Liste mit eTIN kann nicht angelegt werden: nicht genügend Speicher.");
    }
    return "{\"status\":" + std::to_string(summary.needsAttention() ? kSomeRowsNeedAttention : kAllRowsDone) +
           ",\"summaryLine\":" + Json(SummaryLine(counts, keepsEtins)) +
           ",\"messages\":" + JsonStrings(FurtherMessages(summary)) +
           ",\"batchMessages\":" + JsonStrings(SummaryMessages(summary)) + ",\"rows\":" + std::to_string(counts.rows) +
           ",\"attention\":" + attention.json() + "}";
}

}  // namespace

extern "C" {

// Back to kennfix-batch's defaults, for the next list.
KENNFIX_WEB_EXPORT void kennfix_list_clear_options()
{
    TheState() = State{};
}

// One option by kennfix-batch's long name ("delimiter", "year", ...), UTF-8;
// checked when the list is run. False for a name that is none.
KENNFIX_WEB_EXPORT int kennfix_list_set_option(const char* name, const char* value)
{
    for (const ListOption& option : ListOptionTable()) {
        if (option.name == name) {
            TheState().texts.*option.text = value;
            return 1;
        }
    }
    return 0;
}

// Runs the list that Module.kennfixList.pull reads, named `name` (UTF-8) in
// messages, into Module.kennfixList.push. A JSON text, valid until the next
// call: "status" as kennfix-batch's exit status (0, 1, or 2: no list, and
// "error" as kennfix-batch tells it after the file's name); "message" what
// the page tells then, and "choice" when the user may choose the columns;
// else the summary line, the messages and the rows that need attention.
KENNFIX_WEB_EXPORT const char* kennfix_list_run(const char* name)
{
    State& state = TheState();
    try {
        state.result = Run(name);
    } catch (const std::bad_alloc&) {
        state.result = Failure("memory", "Nicht genügend Hauptspeicher verfügbar.");
    }
    state.chosen.reset();
    return state.result.c_str();
}

// The columns chosen from the last run's "choice": the header shown and the
// names of family name, first name and date of birth in it, for the next
// run only. False when there is no such choice.
KENNFIX_WEB_EXPORT int kennfix_list_choose_columns(int header, int familyName, int firstName, int birthDate)
{
    State& state = TheState();
    const std::array<int, 3> indices{familyName, firstName, birthDate};
    if (!state.choice || header < 0 || static_cast<std::size_t>(header) >= state.choice->headers().size())
        return 0;
    const std::size_t names = state.choice->headers()[static_cast<std::size_t>(header)].names.size();
    std::array<std::size_t, 3> chosen{};
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (indices[i] < 0 || static_cast<std::size_t>(indices[i]) >= names)
            return 0;
        chosen[i] = static_cast<std::size_t>(indices[i]);
    }
    state.chosen = state.choice->options(static_cast<std::size_t>(header), chosen);
    return 1;
}

}  // extern "C"
