#pragma once

// The small staff list the list window's tests read: every kind of row.

#include <string_view>

namespace kennfix::liste::test {

// A stored eTIN that is right, one filled in, one with a wrong check
// character, one that differs, a date in the future, a blank line, a
// missing first name. Read in 2026.
inline constexpr std::string_view kStaffList =
    "Personalnummer;Familienname;Vorname;Geburtsdatum;eTIN;Abteilung\n"
    "1001;Müller;Hans;01.02.1980;MLLRHNSA80B01H;Lohn\n"
    "1002;Schön-Schulze;José María;28.02.52;;Lohn\n"
    "1003;Łukasiewicz;Ewa;03.07.1961;LKSWWAEX61G03A;Einkauf\n"
    "1004;Meier;Li;15.05.1991;MREILIXX90E15Y;Einkauf\n"
    "1005;Weiß;Zoë;12.03.2031;;Verkauf\n"
    "\n"
    "1006;Meier;;15.05.1990;;Lohn\n";

inline constexpr int kReadInYear = 2026;

}  // namespace kennfix::liste::test
