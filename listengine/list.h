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
//   internal/                          the engine's own parts; front ends
//                                      never include them
//   types.h, errors.h, messagetext.h   what everything shares; they include
//                                      nothing of the engine

#include <iosfwd>

#include "listengine/errors.h"
#include "listengine/types.h"

namespace kennfix::listengine {

// Reads the list from `in` and writes it to `out`. Input and output need only
// read and write in one pass (pipes), and the output is the same to the byte
// whichever `in` is. Throws ListError, ReadError, WriteError, ListCancelled;
// what was written until then is incomplete.
ListSummary ProcessList(std::istream& in, std::ostream& out, const ListOptions& options,
                        const ListCallbacks& callbacks = {});

}  // namespace kennfix::listengine
