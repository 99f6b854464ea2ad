#pragma once

// What the file rules share between their two systems (files_posix.cpp and
// files_windows.cpp): a stream buffer on an open file, the register of the
// temporary files being written, and the wording of file messages.

#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string>

namespace kennfix::listengine::internal {

// Reads and writes straight through to the open file (a file descriptor, on
// Windows a HANDLE), and keeps the system's error of a call that failed for
// the message. A failed read throws, which the istream turns into badbit; a
// short write leaves the ostream bad.
class FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(std::intptr_t file) : m_file(file) {}
    int error() const { return m_error; }

protected:
    std::streamsize xsgetn(char* s, std::streamsize n) override;
    int_type underflow() override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int_type overflow(int_type c) override;

private:
    std::intptr_t m_file;
    int m_error = 0;
    char m_byte = 0;
};

// One call of the system's read or write on `file`: the number of bytes, 0
// at the end of the input, or -1 with `error` set. Interrupted calls are
// repeated inside.
std::ptrdiff_t ReadSome(std::intptr_t file, char* data, std::size_t size, int& error);
std::ptrdiff_t WriteSome(std::intptr_t file, const char* data, std::size_t size, int& error);

// The temporary files being written, for removing them when the program is
// ended from outside. The register holds every path of any length, for any
// number of files (registering may allocate, so it is never done in a signal
// handler); what the cleanup reads is async-signal-safe.
void RegisterTemporary(const std::string& path);
void UnregisterTemporary(const std::string& path);
void ForEachTemporary(void (*remove)(const char* path));

// The system's error numbers (errno, on Windows GetLastError()) for what
// both sides name: a read or a write that failed without a reason of its
// own, and a standard stream that the caller closed.
extern const int kReadFault;
extern const int kWriteFault;
extern const int kStreamClosed;

// "<what> <verb>: <reason>."; a file's name is quoted as QuotedForMessage does.
std::string Failure(const std::string& what, const std::string& verb, int error);

inline constexpr const char* kStandardInput = "Die Standardeingabe";
inline constexpr const char* kStandardOutput = "Die Standardausgabe";
// What a standard stream that the caller closed (2>&-, >&-) says.
inline constexpr const char* kStandardInputClosed = "Die Standardeingabe ist geschlossen; es gibt nichts zu lesen.";
inline constexpr const char* kStandardOutputClosed =
    "Die Standardausgabe ist geschlossen; die Liste kann nicht geschrieben werden.";

}  // namespace kennfix::listengine::internal
