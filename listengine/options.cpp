#include "listengine/options.h"

#include <cctype>
#include <charconv>

#include "core/cp1252.h"
#include "listengine/errors.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {
namespace {

std::optional<Encoding> ParseEncoding(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (text == "auto")
        return Encoding::Auto;
    if (text == "utf-8" || text == "utf8")
        return Encoding::Utf8;
    if (text == "windows-1252" || text == "cp1252")
        return Encoding::Windows1252;
    if (text == "utf-16le" || text == "utf-16")
        return Encoding::Utf16LE;
    if (text == "utf-16be")
        return Encoding::Utf16BE;
    return std::nullopt;
}

std::optional<char> ParseDelimiter(const std::string& text)
{
    if (text == "tab" || text == "\\t" || text == "\t")
        return '\t';
    if (text == ";" || text == ",")
        return text[0];
    return std::nullopt;
}

std::optional<DateOrder> ParseDateOrder(const std::string& text)
{
    if (text == "dmy")
        return DateOrder::DayMonthYear;
    if (text == "mdy")
        return DateOrder::MonthDayYear;
    if (text == "ymd")
        return DateOrder::YearMonthDay;
    return std::nullopt;
}

constexpr ListOption kOptions[] = {
    {"delimiter", 'd', "ZEICHEN", "; , oder tab (Vorgabe: aus der Kopfzeile)", "", &ListOptionTexts::delimiter},
    {"encoding", '\0', "KODIERUNG", "auto, utf-8, windows-1252, utf-16le, utf-16be", "auto",
     &ListOptionTexts::encoding},
    {"output-encoding", '\0', "KODIERUNG", "wie --encoding; auto: wie die Liste", "auto",
     &ListOptionTexts::outputEncoding},
    {"family-name-column", '\0', "NAME", "Spalte des Familiennamens (Familienname)", "Familienname",
     &ListOptionTexts::familyNameColumn},
    {"first-name-column", '\0', "NAME", "Spalte des Vornamens (Vorname)", "Vorname", &ListOptionTexts::firstNameColumn},
    {"birth-date-column", '\0', "NAME", "Spalte des Geburtsdatums (Geburtsdatum)", "Geburtsdatum",
     &ListOptionTexts::birthDateColumn},
    {"date-separator", '\0', "ZEICHEN", "Trennzeichen im Datum (.)", ".", &ListOptionTexts::dateSeparator},
    {"date-order", '\0', "FOLGE", "dmy (Vorgabe), mdy oder ymd: Tag, Monat, Jahr", "dmy", &ListOptionTexts::dateOrder},
    {"year", '\0', "JAHR", "das laufende Jahr (Vorgabe: heute)", "", &ListOptionTexts::year},
};

// The option's text, or its default when it is not given.
std::string TextOf(const ListOptionTexts& texts, std::optional<std::string> ListOptionTexts::*text)
{
    if (const auto& given = texts.*text)
        return *given;
    for (const ListOption& option : kOptions) {
        if (option.text == text)
            return std::string(option.defaultValue);
    }
    return {};
}

}  // namespace

std::span<const ListOption> ListOptionTable()
{
    return kOptions;
}

ListOptions ListOptionsFrom(const ListOptionTexts& texts)
{
    ListOptions options;
    if (texts.delimiter) {
        const auto delimiter = ParseDelimiter(*texts.delimiter);
        if (!delimiter)
            throw OptionError("--delimiter erwartet ; , oder tab, nicht " + QuotedForMessage(*texts.delimiter) + ".");
        options.delimiter = *delimiter;
    }

    const std::string inputText = TextOf(texts, &ListOptionTexts::encoding);
    const std::string outputText = TextOf(texts, &ListOptionTexts::outputEncoding);
    const auto input = ParseEncoding(inputText);
    const auto output = ParseEncoding(outputText);
    if (!input) {
        throw OptionError("--encoding erwartet auto, utf-8, windows-1252, utf-16le oder utf-16be, nicht " +
                          QuotedForMessage(inputText) + ".");
    }
    if (!output) {
        throw OptionError("--output-encoding erwartet auto, utf-8, windows-1252, utf-16le oder utf-16be, nicht " +
                          QuotedForMessage(outputText) + ".");
    }
    options.inputEncoding = *input;
    options.outputEncoding = *output;

    const std::string separator = TextOf(texts, &ListOptionTexts::dateSeparator);
    if (separator.size() != 1)
        throw OptionError("--date-separator erwartet genau ein Zeichen, nicht " + QuotedForMessage(separator) + ".");
    const std::string orderText = TextOf(texts, &ListOptionTexts::dateOrder);
    const auto order = ParseDateOrder(orderText);
    if (!order)
        throw OptionError("--date-order erwartet dmy, mdy oder ymd, nicht " + QuotedForMessage(orderText) + ".");
    options.dateSettings = {separator[0], *order};

    options.currentYear = CurrentYear();
    if (texts.year) {
        int year = 0;
        const char* end = texts.year->data() + texts.year->size();
        const auto [ptr, ec] = std::from_chars(texts.year->data(), end, year);
        if (ec != std::errc() || ptr != end || year < 1 || year > 9999)
            throw OptionError("--year erwartet ein Jahr von 1 bis 9999, nicht " + QuotedForMessage(*texts.year) + " (ungültiger Wert).");
        options.currentYear = year;
    }

    options.familyNameColumn = TextOf(texts, &ListOptionTexts::familyNameColumn);
    options.firstNameColumn = TextOf(texts, &ListOptionTexts::firstNameColumn);
    options.birthDateColumn = TextOf(texts, &ListOptionTexts::birthDateColumn);
    for (const std::string* column : {&options.familyNameColumn, &options.firstNameColumn, &options.birthDateColumn}) {
        if (!IsValidUtf8(*column))
            throw OptionError("Spaltennamen müssen in UTF-8 angegeben werden.");
    }
    try {
        CheckColumnOptions(options);
    } catch (const ListError& e) {
        throw OptionError(e.what());
    }
    return options;
}

}  // namespace kennfix::listengine
