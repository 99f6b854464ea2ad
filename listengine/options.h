#pragma once

// The options of a list as a command line gives them, as texts, checked and
// turned into ListOptions with German messages. kennfix-batch and
// kennfix-liste take the same options, so that a list gives the same file
// from both with the same options.

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "listengine/list.h"

namespace kennfix::listengine {

// What the options say, unchecked; an unset one has its option's default.
struct ListOptionTexts {
    std::optional<std::string> delimiter;  // --delimiter: ";", ",", "tab"
    std::optional<std::string> encoding;
    std::optional<std::string> outputEncoding;
    std::optional<std::string> familyNameColumn;
    std::optional<std::string> firstNameColumn;
    std::optional<std::string> birthDateColumn;
    std::optional<std::string> dateSeparator;
    std::optional<std::string> dateOrder;  // dmy, mdy, ymd
    std::optional<std::string> year;       // none: the year of the clock
};

// One list option as both programs offer it: every list option takes a
// value. kennfix-batch and kennfix-liste build their command lines and
// their help from ListOptionTable(), so that both take the same options
// with the same words.
struct ListOption {
    std::string_view name;          // the long name, without "--"
    char shortName;                 // without "-"; '\0': none
    std::string_view placeholder;   // the value's name in the help: "ZEICHEN"
    std::string_view help;          // German, one line
    std::string_view defaultValue;  // empty: none (found from the list, the clock)
    std::optional<std::string> ListOptionTexts::*text;  // where its value goes
};

// In the order of the help.
std::span<const ListOption> ListOptionTable();

// An option with a value that it does not take; what() says which and why,
// in German.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws OptionError.
ListOptions ListOptionsFrom(const ListOptionTexts& texts);

}  // namespace kennfix::listengine
