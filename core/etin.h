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

#include <stdexcept>
#include <string>
#include <string_view>

namespace kennfix {

using AnsiText = std::string;  // bytes in Windows-1252

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// How dates are written under the user's regional settings.
struct DateSettings {
    char separator = '.';
    DateOrder order = DateOrder::DayMonthYear;
};

struct EtinResult {
    enum Kind { Ok, FamilyNameMissing, FirstNameMissing };
    Kind kind;
    AnsiText etin;  // 14 characters when kind is Ok, empty otherwise
};

// Raised for a date text that is not a valid date. what() is the message
// shown to the user: '<text>' is not a valid date
class DateConversionError : public std::runtime_error {
public:
    explicit DateConversionError(std::string_view dateText);
};

struct Date {
    int year;
    int month;
    int day;
    friend bool operator==(const Date&, const Date&) = default;
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

// Upper case, accents folded, "SCH" replaced by "Y", hyphens and blanks removed.
AnsiText NormaliseName(const AnsiText& name);

// Windows-1252 upper-casing: a-z, à-þ (but ÷), š œ ž ÿ. ß and µ have no
// capital in the code page and stay.
AnsiText UpperCase(const AnsiText& text);

// Replaces accented letters by their base letter; same length as the input.
AnsiText FoldAccents(const AnsiText& text);

// Reads a date written in the short-date convention of `settings`. A year of
// one or two digits is widened into the hundred years around currentYear.
// Throws DateConversionError.
Date ParseShortDate(std::string_view text, const DateSettings& settings, int currentYear);

// The same, with how the year was written: the number of its digits (leading
// zeros count), or 0 when the text has none and the current year was taken.
struct ShortDate {
    Date date;
    int yearDigits;
};
ShortDate ReadShortDate(std::string_view text, const DateSettings& settings, int currentYear);

// Year digits, month letter, day digits: 1961-07-03 gives 61G03.
AnsiText MakeDateCode(int year, int month, int day);

// The order of day, month and year in a short-date format such as "dd.MM.yyyy"
// or "M/d/yy": the first of D, M, Y, E (either case) decides. A format with none
// of them is taken as month-day-year.
DateOrder DateOrderFromFormat(std::string_view shortDateFormat);

// Settings from the regional date separator and short-date format. An empty
// separator setting, which means it could not be read, gives "/".
DateSettings DateSettingsFrom(std::string_view separatorSetting, std::string_view shortDateFormat);

// The year of the local clock.
int CurrentYear();

}  // namespace kennfix

#include "etinform.h"  // the check of a stored eTIN, beside its calculation
