#pragma once

// Where the list window saves a list.

#include <string>

namespace kennfix::liste {

// The file the save dialog proposes: beside the list, its name without the
// extension and with "-etin.csv" ("/daten/personal.csv" ->
// "/daten/personal-etin.csv").
std::string ProposedSavePath(const std::string& listPath);

}  // namespace kennfix::liste
