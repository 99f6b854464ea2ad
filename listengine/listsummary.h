#pragma once

// What a list came to: the counts of its rows and its encodings, which
// summary.h words for the user.

#include <cstddef>

#include "listengine/encoding.h"
#include "listengine/linelist.h"

namespace kennfix::listengine {

struct ListSummary {
    std::size_t rows = 0;            // data rows with a person, blank ones not counted
    std::size_t blankRows = 0;
    std::size_t failedRows = 0;      // rows without an eTIN; Fehler says why
    std::size_t lossyRows = 0;       // rows with characters the output's code page cannot hold
    std::size_t deviatingRows = 0;   // stored eTINs that differ or have a wrong check character
    std::size_t filledRows = 0;      // empty eTIN cells filled in
    bool lossyHeader = false;
    // The encoding most rows are in: that of the first row with a byte above
    // 127, or UTF-8 for ASCII (see internal/encodingdecision.h), or as asked
    // for, or as the byte order mark says.
    Encoding mainEncoding = Encoding::Utf8;
    Encoding outputEncoding = Encoding::Utf8;
    LineList otherEncodingRows;      // rows read in the other one of UTF-8 and Windows-1252

    // Whether any row needs the user's eye: a Fehler or a deviating eTIN.
    bool needsAttention() const { return failedRows + lossyRows + deviatingRows > 0 || lossyHeader; }
};

}  // namespace kennfix::listengine
