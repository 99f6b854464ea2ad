#include "core/shortdate.h"

#include <ctime>
#include <string>

namespace kennfix {
namespace {

std::string DateMessage(std::string_view dateText)
{
    std::string message = "'";
    message += dateText;
    message += "' is not a valid date";
    return message;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

class DateReader {
public:
    DateReader(std::string_view text, char separator) : m_text(text), m_separator(separator) {}

    struct Number {
        int value;
        int digits;  // leading zeros count
    };

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos] == ' ')
            ++m_pos;
    }

    // Blanks, then digits while the value stays below 1000 before each one:
    // at most 9999, so a long run of digits leaves the rest unread.
    bool ReadNumber(Number& number)
    {
        SkipBlanks();
        number = {0, 0};
        while (m_pos < m_text.size() && number.value < 1000 && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
            number.value = number.value * 10 + (m_text[m_pos++] - '0');
            ++number.digits;
        }
        return number.digits > 0;
    }

    // Blanks, then the separator if it is there.
    bool TakeSeparator()
    {
        SkipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == m_separator) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool AtEnd() const { return m_pos == m_text.size(); }

private:
    std::string_view m_text;
    char m_separator;
    std::size_t m_pos = 0;
};

// A year of one or two digits lands in the hundred years from 50 years
// before the current year to 49 after it.
long long WidenYear(int year, int currentYear)
{
    const long long base = static_cast<long long>(currentYear) - 50;
    long long widened = year + base / 100 * 100;
    if (widened < base)
        widened += 100;
    return widened;
}

}  // namespace

DateConversionError::DateConversionError(std::string_view dateText) : std::runtime_error(DateMessage(dateText)) {}

Date ParseShortDate(std::string_view text, const DateSettings& settings, int currentYear)
{
    return ReadShortDate(text, settings, currentYear).date;
}

ShortDate ReadShortDate(std::string_view text, const DateSettings& settings, int currentYear)
{
    DateReader reader(text, settings.separator);
    DateReader::Number first{}, second{}, third{};
    if (!reader.ReadNumber(first) || !reader.TakeSeparator() || !reader.ReadNumber(second))
        throw DateConversionError(text);

    long long year = currentYear;
    int yearDigits = 0;
    int month = 0;
    int day = 0;
    if (reader.TakeSeparator()) {
        if (!reader.ReadNumber(third))
            throw DateConversionError(text);
        DateReader::Number yearNumber{};
        switch (settings.order) {
        case DateOrder::DayMonthYear: day = first.value, month = second.value, yearNumber = third; break;
        case DateOrder::MonthDayYear: month = first.value, day = second.value, yearNumber = third; break;
        case DateOrder::YearMonthDay: yearNumber = first, month = second.value, day = third.value; break;
        }
        year = yearNumber.digits <= 2 ? WidenYear(yearNumber.value, currentYear) : yearNumber.value;
        yearDigits = yearNumber.digits;
    } else if (settings.order == DateOrder::DayMonthYear) {
        day = first.value, month = second.value;
    } else {
        month = first.value, day = second.value;
    }

    reader.TakeSeparator();
    reader.SkipBlanks();
    if (!reader.AtEnd())
        throw DateConversionError(text);

    if (year < 1 || year > 9999 || month < 1 || month > 12)
        throw DateConversionError(text);
    const int y = static_cast<int>(year);
    if (day < 1 || day > DaysInMonth(y, month))
        throw DateConversionError(text);
    return {{y, month, day}, yearDigits};
}

DateOrder DateOrderFromFormat(std::string_view shortDateFormat)
{
    for (char c : shortDateFormat) {
        switch (c) {
        case 'D': case 'd': return DateOrder::DayMonthYear;
        case 'M': case 'm': return DateOrder::MonthDayYear;
        case 'Y': case 'y':
        case 'E': case 'e': return DateOrder::YearMonthDay;
        default: break;
        }
    }
    return DateOrder::MonthDayYear;
}

DateSettings DateSettingsFrom(std::string_view separatorSetting, std::string_view shortDateFormat)
{
    return {separatorSetting.empty() ? '/' : separatorSetting.front(), DateOrderFromFormat(shortDateFormat)};
}

int CurrentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);  // the same, with the arguments the other way round
#else
    localtime_r(&now, &local);
#endif
    return local.tm_year + 1900;
}

}  // namespace kennfix
