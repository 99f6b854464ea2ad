#pragma once

// Column names as the engine finds them in a header: ignoring case and the
// blanks around them, as the core compares names.

#include <string_view>

#include "listengine/types.h"

namespace kennfix::listengine {

// Whether a header cell names the column `name` (both UTF-8).
bool SameColumnName(std::string_view cell, std::string_view name);

// Refuses options that give one column two jobs: a name column that another
// one names too, or one called eTIN. Throws ListError (line 0). ProcessList
// checks this first.
void CheckColumnOptions(const ListOptions& options);

}  // namespace kennfix::listengine
