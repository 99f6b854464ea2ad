#pragma once

// The list engine: a staff list as German spreadsheet programs write it (CSV),
// read and written back one row at a time with the columns eTIN and Fehler,
// and Prüfung when the list keeps eTINs of its own. Every front end (the
// program kennfix-batch, the window kennfix-liste) runs lists through here,
// so a list gives the same file wherever it is run.
//
// Way of one row:
//   internal/reader.h    bytes -> cells, with their lines and their row's
//                        encoding
//   internal/rowcheck.h  name, first name and date -> eTIN or Fehler; a
//                        stored eTIN -> Prüfung
//   internal/writer.h    cells in the output's encoding, quoted as CSV
//   files.h              the output file: a private temporary file that
//                        takes the target's place when the list is complete
// A bad row gets its reason in Fehler and the run goes on; only input that
// cannot be read as a list (no header, a needed column missing, broken
// quoting) stops it with a ListError.
//
// Layers, each including only those below it (tests/listengine checks it):
//   types.h, errors.h, messagetext.h   what everything shares; the bottom
//   internal/                          the engine's own parts; front ends
//                                      never include them
//   list.h, files.h, options.h         what front ends call

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "listengine/errors.h"
#include "listengine/types.h"

namespace kennfix::listengine {

// Whether a header cell names the column `name` (both UTF-8), as the engine
// finds columns: ignoring case and blanks around them.
bool SameColumnName(std::string_view cell, std::string_view name);

// Refuses options that give one column two jobs: a name column that another
// one names too, or one called eTIN. Throws ListError
// (line 0). ProcessList checks this first.
void CheckColumnOptions(const ListOptions& options);

// Reads the list from `in` and writes it to `out`. Input and output need only
// read and write in one pass (pipes), and the output is the same to the byte
// whichever `in` is. Throws ListError, ReadError, WriteError, ListCancelled;
// what was written until then is incomplete.
ListSummary ProcessList(std::istream& in, std::ostream& out, const ListOptions& options,
                        const ListCallbacks& callbacks = {});

// What the summary tells the user, in German, one message a line, without
// the program's name: rows without eTIN, deviating eTINs, characters lost,
// rows in the other encoding. Empty when there is nothing to tell.
std::vector<std::string> SummaryMessages(const ListSummary& summary);

}  // namespace kennfix::listengine
