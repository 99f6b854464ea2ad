#pragma once

// The list engine: a staff list as German spreadsheet programs write it (CSV),
// read and written back one row at a time with the columns eTIN and Fehler,
// and Prüfung when the list keeps eTINs of its own. Every front end (the
// program kennfix-batch, the window kennfix-liste) runs lists through here,
// so a list gives the same file wherever it is run.
//
// The steps, in the order a list takes them (list.cpp keeps the order), each
// in the engine's own namespace kennfix::listengine::internal:
//   internal/listreader.h        bytes -> rows of cells, with their lines and
//                                each row's encoding
//   internal/columnfinder.h      the header's columns, found by name
//   internal/encodingdecision.h  the output's encoding; rows before the
//                                decision wait in internal/rowqueue.h
//   internal/outputcolumns.h     the output's columns: ours added, none of
//                                the list's written over
//   internal/rowcomputer.h       a row -> its eTIN or Fehler (with
//                                internal/personcheck.h), Prüfung, its cells in
//                                the output's encoding: a value
//   internal/rowwriter.h         that value written, quoted as CSV
//                                (internal/listwriter.h)
//   internal/frontendreport.h    the columns, each row and progress to the
//                                front end (ListCallbacks)
//   summary.h                    what the summary tells the user
//   files.h                      the output file: a private temporary file
//                                that takes the target's place when the list
//                                is complete
// A bad row gets its reason in Fehler and the run goes on; only input that
// cannot be read as a list (no header, a needed column missing, broken
// quoting) stops it with a ListError.
//
// Layers, each including only those below it (tests/listengine checks it):
//   list.h, files.h, options.h,        what front ends call
//   columnnames.h, columnchoice.h,
//   summary.h
//   internal/                          the engine's own parts, in namespace
//                                      internal; front ends never include them
//   listlayout.h, rowresult.h,         the values the engine hands over; they
//   listsummary.h                      include only the bottom
//   encoding.h, errors.h,              the bottom, what everything shares:
//   messagetext.h, linelist.h,         they include nothing of the engine,
//   storedetincheck.h, listprogress.h  their sources only the bottom

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "core/etin.h"
#include "listengine/encoding.h"
#include "listengine/errors.h"
#include "listengine/listlayout.h"
#include "listengine/listprogress.h"
#include "listengine/listsummary.h"
#include "listengine/rowresult.h"

namespace kennfix::listengine {

struct ListOptions {
    std::optional<char> delimiter;  // ';', ',' or '\t'; none: found from the header line
    Encoding inputEncoding = Encoding::Auto;
    Encoding outputEncoding = Encoding::Auto;
    // Header names in UTF-8, found ignoring case and surrounding blanks.
    std::string familyNameColumn = "Familienname";
    std::string firstNameColumn = "Vorname";
    std::string birthDateColumn = "Geburtsdatum";
    DateSettings dateSettings;  // German: "." and day-month-year
    int currentYear = CurrentYear();
};

struct ListCallbacks {
    std::function<void(const ListLayout&)> onHeader;  // before the first row
    std::function<void(const RowResult&)> onRow;      // every row after the header, blank ones too
    // About every 64 KiB of input; returning false ends the run with ListCancelled.
    std::function<bool(const ListProgress&)> onProgress;
};

// Refuses options that give one column two jobs: a name column that another
// one names too, or one called eTIN. Throws ListError (line 0). ProcessList
// checks this first.
void CheckColumnOptions(const ListOptions& options);

// Reads the list from `in` and writes it to `out`. Input and output need only
// read and write in one pass (pipes), and the output is the same to the byte
// whichever `in` is. Throws ListError, ReadError, WriteError, ListCancelled;
// what was written until then is incomplete.
ListSummary ProcessList(std::istream& in, std::ostream& out, const ListOptions& options,
                        const ListCallbacks& callbacks = {});

}  // namespace kennfix::listengine
