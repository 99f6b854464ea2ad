#pragma once

// The form of an eTIN: its length, its parts, and whether a text is an eTIN
// as ComputeEtin makes them, for checking eTINs kept from earlier: its 14
// characters in their places, and its check character the one its first 13
// give. MLLRHNSA80B01H is one; MLLRHNSA80B01A
// has the wrong check character; mllrhnsa80b01h, MLLRHNSA80M01H (no 13th
// month) and MLLRHNSA80B01 (too short) are none.

#include <cstddef>
#include <string_view>

namespace kennfix {

inline constexpr std::size_t kEtinLength = 14;

// The parts of an eTIN, by the characters they take (counted from 1), with
// the names (UTF-8) by which messages about a stored eTIN name them.
struct EtinPart {
    std::string_view name;
    std::size_t first;
    std::size_t last;
};
inline constexpr EtinPart kEtinParts[] = {
    {"Familienname", 1, 4},
    {"Vorname", 5, 8},
    {"Geburtsdatum", 9, 13},
    {"Prüfzeichen", 14, 14},
};

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
