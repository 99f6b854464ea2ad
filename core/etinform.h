#pragma once

// Whether a text is an eTIN as ComputeEtin makes them, for checking eTINs
// kept from earlier: its 14 characters in their places, and its check
// character the one its first 13 give. MLLRHNSA80B01H is one; MLLRHNSA80B01A
// has the wrong check character; mllrhnsa80b01h, MLLRHNSA80M01H (no 13th
// month) and MLLRHNSA80B01 (too short) are none.

#include <string_view>

namespace kennfix {

enum class EtinForm {
    Valid,
    WrongCheckCharacter,  // an eTIN in every place but the last: a typing error
    Malformed,            // no eTIN at all
};

// The text in Windows-1252, taken exactly as it stands: blanks around it or
// small letters make it Malformed.
//   1-8   characters a name code holds: what upper-casing and folding leave
//         as it is, without blanks, hyphens, control characters and the
//         letters the name code writes out (Ä Ö Ü ß ...)
//   9-10  digits
//   11    A-L
//   12-13 a day that the month has (29 in February)
//   14    A-Z
EtinForm CheckEtinForm(std::string_view etin);

}  // namespace kennfix
