#pragma once

// The eTIN core: turns family name, first name and date of birth into the
// 14-character eTIN of the wage-tax certificate.
//
// Layout of an eTIN, positions counted from 1:
//   1-4   name code of the family name      (namecode.h)
//   5-8   name code of the first name
//   9-10  last two digits of the birth year
//   11    month letter, A = January ... L = December
//   12-13 day of the month, two digits
//   14    check character over 1-13         (checkchar.h)
//
// Example: ComputeEtin("Müller", "Hans", "01.02.80") gives MLLRHNSA80B01H
// (names in Windows-1252).
//
// All texts are bytes in Windows-1252. Nothing here keeps state.
//
// This header is the core's front door; with it come the texts and their
// conversion from Unicode (cp1252.h), names as the name code reads them
// (normalise.h), reading dates (shortdate.h) and the eTIN's form: its length,
// its parts and the check of a stored eTIN (etinform.h).

#include <string_view>

#include "core/cp1252.h"
#include "core/etinform.h"
#include "core/normalise.h"
#include "core/shortdate.h"

namespace kennfix {

struct EtinResult {
    enum Kind { Ok, FamilyNameMissing, FirstNameMissing };
    Kind kind;
    AnsiText etin;  // 14 characters when kind is Ok, empty otherwise
};

// The text of a date field left empty; it stands for 01.01.00.
inline constexpr std::string_view kEmptyDateText = "  .  .  ";

// Computes the eTIN. An empty family name is reported before an empty first
// name; only then is the date read. Throws DateConversionError.
EtinResult ComputeEtin(const AnsiText& familyName, const AnsiText& firstName, const AnsiText& dateText,
                       const DateSettings& settings, int currentYear);

// The same with German settings and the year of the local clock.
EtinResult ComputeEtin(const AnsiText& familyName, const AnsiText& firstName, const AnsiText& dateText);

// The same for a date of birth read already (ReadShortDate), for callers that
// check the date on their own first and need not read it twice.
EtinResult ComputeEtin(const AnsiText& familyName, const AnsiText& firstName, const Date& dateOfBirth);

// Year digits, month letter, day digits: 1961-07-03 gives 61G03.
AnsiText MakeDateCode(int year, int month, int day);

}  // namespace kennfix
