#pragma once

// What a list's summary tells the user, in German: kennfix-batch's messages,
// and the counts and summary line of front ends that show the rows.

#include <cstddef>
#include <string>
#include <vector>

#include "listengine/listsummary.h"
#include "listengine/rowresult.h"

namespace kennfix::listengine {

// One message a line, without the program's name: rows without eTIN,
// deviating eTINs, characters lost, rows in the other encoding. Empty when
// there is nothing to tell.
std::vector<std::string> SummaryMessages(const ListSummary& summary);

// The rows of a list as a front end that shows them counts them, from the
// rows the engine hands over (ListCallbacks::onRow).
struct ListCounts {
    std::size_t rows = 0;        // rows with a person; blank ones do not count
    std::size_t blankRows = 0;
    std::size_t withEtin = 0;
    std::size_t withError = 0;   // a Fehler, also beside an eTIN (characters lost in the output)
    std::size_t deviating = 0;   // stored eTINs that differ or have a wrong check character

    void Add(const RowResult& row);
};

// The summary line of a list: how many rows got an eTIN, how many have a
// Fehler and, for a list that keeps eTINs, how many of them deviate.
// "3 Zeilen: 2 mit eTIN, 1 mit Fehler, 1 gespeicherte eTIN weicht ab."
std::string SummaryLine(const ListCounts& counts, bool keepsEtins);

// What else the engine has to say of the list (rows in another encoding,
// characters the output cannot hold): SummaryMessages without what the
// summary line tells.
std::vector<std::string> FurtherMessages(const ListSummary& summary);

}  // namespace kennfix::listengine
