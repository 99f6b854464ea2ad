#pragma once

// Reading a list file for the window and saving the result, both through
// the list engine and its file rules (listengine/files.h), so that a list
// saved from the window is byte for byte the file kennfix-batch writes with
// the same options.
//
// Saving runs the engine again from the list file into the target. The
// bytes it reads must be the bytes that were read for the window: a list
// changed on disk in between is refused rather than saved as something
// else than what is shown. Both readings take a fingerprint of the bytes
// (their number and a BLAKE2b digest). A list written to while it is read
// is not shown at all: its last row may be torn.
//
// Only regular files are read and written: a named pipe could not be read
// a second time, and opening one would wait for whoever is at its other end.

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "liste/listtable.h"
#include "listengine/files.h"
#include "listengine/list.h"

namespace kennfix::liste {

struct Fingerprint {
    std::uint64_t size = 0;
    QByteArray digest;
    bool operator==(const Fingerprint&) const = default;
};

// A list as read for the window.
struct LoadedList {
    std::string path;  // absolute
    listengine::ListOptions options;
    std::unique_ptr<ListTable> table;
    Fingerprint fingerprint;
};

// Bytes read so far and in all; returns false to cancel, which ends the
// reading with listengine::ListCancelled.
using ListProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// The list file no longer holds what was read, or is the target of its own
// save. what() says so in German, naming the file.
class ListFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The list file was written to while it was read; reading it again may
// give the whole list.
class ListChangedError : public ListFileError {
public:
    using ListFileError::ListFileError;
};

// Reads the list at `path` (a regular file) with `options`. Throws
// listengine::ListError (input that is no list; listengine::MissingColumnsError when
// its header lacks a column), listengine::FileError (also for anything but a
// regular file), ListChangedError and listengine::ListCancelled.
LoadedList ReadListFile(const std::string& path, const listengine::ListOptions& options, const ListProgress& progress = {});

// Writes `list` with eTINs to `target` as kennfix-batch does; `beforeCommit`
// is asked once the result is complete, before it replaces anything
// (listengine::OutputFile::Commit). Throws listengine::FileError (also for a target
// that exists and is no regular file), ListFileError (the list changed
// since it was read, or `target` is the list itself) and
// listengine::ListCancelled; then no file is left behind and an existing target
// is untouched.
listengine::ListSummary SaveListFile(const LoadedList& list, const std::string& target, const ListProgress& progress = {},
                                const listengine::OutputFile::BeforeCommit& beforeCommit = {});

}  // namespace kennfix::liste
