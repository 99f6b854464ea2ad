#pragma once

// The columns of the output, known once the header is read.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "listengine/encoding.h"

namespace kennfix::listengine {

struct ListLayout {
    std::vector<std::string> columnNames;  // UTF-8; the input's columns, then those added
    // Where each column of the input's header went. Cells beyond the header
    // follow all columns, in their order.
    std::vector<std::size_t> outputColumnOf;
    std::size_t familyNameColumn = 0;
    std::size_t firstNameColumn = 0;
    std::size_t birthDateColumn = 0;
    std::size_t etinColumn = 0;   // the list's own or ours
    // Ours, always added: under "Fehler 2" ... when the list has a column
    // of that name, which stays a column like any other.
    std::size_t errorColumn = 0;
    std::optional<std::size_t> checkColumn;  // Prüfung, only for a list with an eTIN column
    Encoding outputEncoding = Encoding::Utf8;
    char delimiter = ';';
};

}  // namespace kennfix::listengine
