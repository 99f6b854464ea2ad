#pragma once

// Column names as the engine finds them in a header: ignoring case and the
// blanks around them, as the core compares names.

#include <string_view>

namespace kennfix::listengine {

// Whether a header cell names the column `name` (both UTF-8).
bool SameColumnName(std::string_view cell, std::string_view name);

}  // namespace kennfix::listengine
