#pragma once

// One row as it is written, for front ends that show the rows.

#include <cstddef>
#include <span>
#include <string_view>

#include "listengine/encoding.h"
#include "listengine/storedetincheck.h"

namespace kennfix::listengine {

// The views hold during the call only. Their text is in the output's
// encoding, except that UTF-16 output is given as UTF-8 (textEncoding says
// which).
struct RowResult {
    std::size_t line = 0;     // the line the row begins on in the input
    bool blank = false;       // a blank line or a row of empty cells: nobody to compute
    std::span<const std::string_view> cells;  // the whole row, laid out as ListLayout says
    std::string_view etin;    // the eTIN column: the stored eTIN, or the one computed
    std::string_view computedEtin;  // empty when the row has no eTIN
    StoredEtinCheck check = StoredEtinCheck::None;
    EtinDifference difference;      // for Differs and WrongCheckCharacter
    std::string_view checkText;     // the column Prüfung
    std::string_view error;         // the column Fehler; empty when there is none
    Encoding textEncoding = Encoding::Utf8;  // Utf8 or Windows1252
};

}  // namespace kennfix::listengine
