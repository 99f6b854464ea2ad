#pragma once

// Where a list comes from and where the result goes, under rules that keep
// personal data as private as it came and replace nothing that is not ours
// to replace. Every front end saves through here, so a list saved from the
// window is the same file, with the same rights, as from the command line.
//
// - The result goes to a temporary file beside the target, created private
//   (0600), which takes the target's place only when the list is complete.
//   A failed or cancelled run removes it, and so do Ctrl+C, SIGTERM and
//   SIGHUP once RemoveTemporaryFilesOnSignals() has been called.
// - A new output file gets the read and write bits of the input file (owner
//   only when the list came from standard input), never more than the umask
//   allows; an existing one keeps its permission bits, its owner and group
//   as far as we may set them, and is refused when its bits do not let the
//   caller write it, root too.
// - A symbolic link is followed and its target written, as far as the kernel
//   would follow it for opening the file (fs.protected_symlinks): not a link
//   of another user in a folder that everybody may write to (/tmp). A link
//   to nothing is refused: no file is created through a link.
// - A named pipe, a device or anything else that is no regular file is
//   written directly, never replaced; or, for a front end that asks for
//   regular files only, refused without waiting for it to open.
//
// On Windows the same promises take Windows' form: paths are UTF-8 and
// opened through the wide-character calls (umlauts, more than 260
// characters); a file that is read-only by its attribute is not replaced,
// nor one that another program holds open; the temporary file is removed on
// Ctrl+C, Ctrl+Break and when the console window is closed. A new output
// file is made with the input file's access list (DACL) as its own, so that
// the folder's rules add no reader (from standard input: the user's alone);
// one that replaces an existing file with that file's access list. Links
// are followed by the system itself.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "listengine/errors.h"
#include "listengine/list.h"

namespace kennfix::listengine {

namespace internal {
class FileBuffer;  // a stream buffer on an open file that keeps the system's error
}

// An open file: a file descriptor, on Windows a HANDLE; -1 for none (which
// is INVALID_HANDLE_VALUE on Windows).
using FileHandle = std::intptr_t;

// Who may read and write a new output file: those who could the input.
// Permission bits; on Windows the input file's access list, as a
// self-relative security descriptor (none: the user's alone, as for a list
// from standard input).
struct NewFileRights {
    NewFileRights(mode_t bits = 0600) : mode(bits) {}
    mode_t mode;
#ifdef _WIN32
    std::vector<unsigned char> securityDescriptor;
#endif
};

// What tells whether a regular file was written to while it was read.
struct FileStamp {
    bool regular = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // in the system's own units
    std::int64_t changed = 0;
    bool operator==(const FileStamp&) const = default;
};

// A file could not be opened, read or written. what() names it and the
// reason, in German.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The reason of a failed system call in German, as glibc words it in German;
// strerror speaks the C locale's English. `error` is an errno value, on
// Windows a GetLastError() code.
std::string SystemErrorText(int error);

// Whether a path names standard input or output: "" or "-".
bool IsStandardStream(const std::string& path);

// The files a front end takes. The list window reads a list twice (to show
// it and to save it) and must never wait for a pipe that nobody reads or
// writes; kennfix-batch reads and writes pipes as they come.
enum class FileKinds { Any, RegularOnly };

class InputFile {
public:
    // Throws FileError, also for anything but a regular file (or standard
    // input) under FileKinds::RegularOnly, which is never waited for.
    explicit InputFile(const std::string& path, FileKinds kinds = FileKinds::Any);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::istream& Stream();
    const NewFileRights& NewOutputRights() const { return m_newOutputRights; }
    std::uint64_t Size() const { return m_size; }  // 0 when it is not known (a pipe)
    // The message for a read that failed, naming the file and the reason.
    std::string ReadFailure() const;
    // Whether `path` names the regular file being read, by the file's
    // identity (device and inode; on Windows volume and file index), not by
    // its name: so also through a link, a hard link, another drive letter,
    // another case or a trailing dot. False for a pipe and for a path that
    // names no file.
    bool IsSameFileAs(const std::string& path) const;
    // Whether the regular file was written to (its size, its modification
    // or status change time) since it was opened: what was read of it may
    // be torn. False for a pipe.
    bool ChangedSinceOpened() const;

private:
    std::string m_path;
    FileHandle m_file = -1;
    bool m_ownFile = false;
    FileStamp m_opened;
    NewFileRights m_newOutputRights;
    std::uint64_t m_size = 0;
    std::unique_ptr<internal::FileBuffer> m_buffer;
    std::unique_ptr<std::istream> m_stream;
};

class OutputFile {
public:
    // `newFileRights`: for a file that does not exist yet. Throws FileError,
    // also for an existing file that is no regular file under
    // FileKinds::RegularOnly.
    OutputFile(const std::string& path, const NewFileRights& newFileRights, FileKinds kinds = FileKinds::Any);
    // Removes the temporary file unless Commit() has put it in place.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::ostream& Stream();
    // Asked once the result is complete, before it takes the target's place:
    // the last moment at which it can still be cancelled. False cancels;
    // true passes the point of no return.
    using BeforeCommit = std::function<bool()>;
    // Puts the complete result in place. Throws FileError, and
    // ListCancelled when `beforeCommit` says no: then the temporary file is
    // removed and nothing replaced.
    void Commit(const BeforeCommit& beforeCommit = {});
    // The message for a write that failed, naming the file and the reason.
    std::string WriteFailure() const;

private:
    // Asks `beforeCommit` and flushes what is written; throws as Commit().
    void FinishWriting(const BeforeCommit& beforeCommit);
    void RemoveTemporary();

    std::string m_path;       // as given, for messages
    std::string m_target;     // symbolic links followed
    std::string m_temporary;  // empty when written directly
    FileHandle m_file = -1;
    bool m_ownFile = false;
    bool m_existed = false;
#ifndef _WIN32
    mode_t m_finalMode = 0600;
    uid_t m_owner = 0;
    gid_t m_group = 0;
#endif
    std::unique_ptr<internal::FileBuffer> m_buffer;
    std::unique_ptr<std::ostream> m_stream;
};

// Makes SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl+C, Ctrl+Break, closing
// the console window, logging off) remove the temporary files of OutputFiles
// that are being written before the program ends as the signal demands.
// Programs call it once at start.
void RemoveTemporaryFilesOnSignals();

// Removes the temporary files of OutputFiles that are being written, as those
// signals do: for a program that ends at once while another of its threads
// writes a list. Async-signal-safe.
void RemoveTemporaryFiles();

// The message that refuses `outputPath` as the output, as it names the list
// being read (InputFile::IsSameFileAs): the list is the user's source data
// and is never written over, not even with the same rows.
std::string ListItselfMessage(const std::string& outputPath);

// ProcessList from the file `inputPath` to the file `outputPath` ("" or "-":
// standard input and output) under the rules above; an output that is the
// list itself is refused before anything is read. Throws ListError,
// FileError and ListCancelled; then no output file is left behind.
ListSummary ProcessListFile(const std::string& inputPath, const std::string& outputPath, const ListOptions& options,
                            const ListCallbacks& callbacks = {});

// Where a list program's --help sends the reader for more, for `program`
// ("kennfix-batch", "kennfix-liste"): its manual page on Linux; on Windows,
// which has no man, the HTML page that the installer and the zip put beside
// the program.
std::string ManualReference(const std::string& program);

}  // namespace kennfix::listengine
