#pragma once

// Deciding the output's encoding. Rows are read each in its own encoding;
// the output is in the list's main encoding unless the options say another:
// - a byte order mark or --encoding decides it at once;
// - otherwise it is that of the first row with a byte above 127, for input
//   from a file and from a pipe alike. Rows before it are ASCII, but what we
//   write beside them (Prüfung, ergänzt, „…“) is not, so they wait until it
//   is known (rowqueue.h), up to kDecisionWindow; a list that is ASCII so
//   far, or to its end, is taken as UTF-8, and a Windows-1252 row after that
//   is converted like any row in the other encoding.

#include <optional>

#include "listengine/encoding.h"
#include "listengine/internal/celltext.h"
#include "listengine/internal/listreader.h"

namespace kennfix::listengine::internal {

class EncodingDecision {
public:
    EncodingDecision(Encoding inputAsked, Encoding outputAsked) : m_inputAsked(inputAsked), m_outputAsked(outputAsked)
    {
    }

    // Once, before the first row, with what the first bytes say.
    void Start(InputForm form);
    // Every row as it is read. True when this row decided the output's
    // encoding, so that the rows held back go out before it.
    bool Take(const InputRow& row);
    // No row with a byte above 127 within the window, or to the end: UTF-8.
    void DecideUtf8();

    bool decided() const { return m_output.has_value(); }
    Encoding output() const { return *m_output; }
    // The encoding most rows are in (ListSummary::mainEncoding).
    Encoding main() const { return m_main; }
    // Whether a row is in the other one of UTF-8 and Windows-1252.
    bool InOtherEncoding(const InputRow& row) const
    {
        return row.encoding != RowEncoding::Ascii && m_mainRows && row.encoding != *m_mainRows;
    }

private:
    void Decide(Encoding main);

    Encoding m_inputAsked;
    Encoding m_outputAsked;
    Encoding m_main = Encoding::Utf8;
    std::optional<RowEncoding> m_mainRows;  // the rows' encoding that is not "other"
    std::optional<Encoding> m_output;
};

}  // namespace kennfix::listengine::internal
