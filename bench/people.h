#pragma once

// The names the core is measured with, shared by the benchmark and the
// instruction count so that both speak of the same calls.

#include "core/etin.h"

namespace kennfix::bench {

struct Person {
    AnsiText family;
    AnsiText first;
    AnsiText date;
};

// Windows-1252 bytes: \xFC ü, \xF6 ö, \xE4 ä, \xDF ß, \xC4 Ä, \xD6 Ö, \xDC Ü,
// \xE9 é, \xED í, \xEB ë.
inline const Person kTypical[] = {
    {"M\xFCller", "Hans", "01.02.80"},
    {"Schmidt", "Eva", "05.11.75"},
    {"Sch\xF6n-Schulze", "Jos\xE9 Mar\xED" "a", "28.02.52"},
    {"Wei\xDF", "Zo\xEB", "12.03.85"},
};

// Both names at the field's limit of 40 characters, full of umlauts.
inline const Person kLong[] = {
    {"M\xFCller-L\xFC" "denscheidt-Sch\xF6nberg-\xC4\xDFmann-\xD6zi",
     "Hans-J\xFCrgen Maximilian \xD6laf Zo\xEB \xDCmit", "29.02.00"},
};

}  // namespace kennfix::bench
