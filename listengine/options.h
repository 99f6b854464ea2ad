#pragma once

// The options of a list as a command line gives them, as texts, checked and
// turned into ListOptions with German messages. kennfix-batch and
// kennfix-liste take the same options, so that a list gives the same file
// from both with the same options.

#include <optional>
#include <stdexcept>
#include <string>

#include "listengine/types.h"

namespace kennfix::listengine {

// What the options say, unchecked; unset ones keep their defaults.
struct ListOptionTexts {
    std::optional<std::string> delimiter;  // --delimiter: ";", ",", "tab"
    std::string encoding = "auto";         // --encoding
    std::string outputEncoding = "auto";   // --output-encoding
    std::string familyNameColumn = "Familienname";
    std::string firstNameColumn = "Vorname";
    std::string birthDateColumn = "Geburtsdatum";
    std::string dateSeparator = ".";       // --date-separator
    std::string dateOrder = "dmy";         // --date-order: dmy, mdy, ymd
    std::optional<std::string> year;       // --year; none: the year of the clock
};

// An option with a value that it does not take; what() says which and why,
// in German.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws OptionError.
ListOptions ListOptionsFrom(const ListOptionTexts& texts);

}  // namespace kennfix::listengine
