#pragma once

// What a list's summary tells the user, in German.

#include <string>
#include <vector>

#include "listengine/types.h"

namespace kennfix::listengine {

// One message a line, without the program's name: rows without eTIN,
// deviating eTINs, characters lost, rows in the other encoding. Empty when
// there is nothing to tell.
std::vector<std::string> SummaryMessages(const ListSummary& summary);

}  // namespace kennfix::listengine
