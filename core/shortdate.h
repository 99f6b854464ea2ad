#pragma once

// Reading a date of birth written in the user's short-date convention: the
// order of day, month and year and the separator between them, as regional
// settings give them. Under German settings "03.07.61" is 3 July 1961 or
// 2061, whichever lies in the hundred years around the current year.

#include <stdexcept>
#include <string_view>

namespace kennfix {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// How dates are written under the user's regional settings.
struct DateSettings {
    char separator = '.';
    DateOrder order = DateOrder::DayMonthYear;
};

struct Date {
    int year;
    int month;
    int day;
    friend bool operator==(const Date&, const Date&) = default;
};

// Raised for a date text that is not a valid date. what() is the message
// shown to the user: '<text>' is not a valid date
class DateConversionError : public std::runtime_error {
public:
    explicit DateConversionError(std::string_view dateText);
};

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
