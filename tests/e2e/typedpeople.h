#pragma once

// The people the end-to-end tests type into kennfix, on Linux and under Wine:
// umlauts, accents, a double name, a date typed with separators, and the eTIN
// each must get.

#include "tests/e2e/desktopsession.h"

struct TypedPerson {
    const char* tag;
    const char* family;
    const char* first;
    const char* date;  // as typed into the date field, German order
    const char* etin;
};

inline constexpr TypedPerson kTypedPeople[] = {
    {"umlaut", "Müller", "Hans", "010280", "MLLRHNSA80B01H"},
    {"double name, accents", "Schön-Schulze", "José María", "280252", "YNYLJSMR52B28A"},
    {"separator jumps", "Lüdtke", "Jürgen", "3.7.61", "LDTKJRGN61G03F"},
    {"sharp s", "Weiß", "Zoë", "120385", "WSSIZEOX85C12C"},
};

// Xvfb's keymap is plain US. For a letter not on it, xdotool maps a spare key
// for the moment of the key press and then restores it; a busy program reads
// the event after the restore and sees no letter. So every letter of the
// people's names beyond ASCII gets a key of its own before a program starts.
bool BindLettersToKeys(const DesktopSession& desktop);
