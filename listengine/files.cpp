#include "listengine/files.h"

#include <atomic>
#include <cstring>
#include <istream>
#include <ostream>

#include "listengine/columnnames.h"
#include "listengine/internal/systemfile.h"
#include "listengine/list.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {

std::streamsize FileBuffer::xsgetn(char* s, std::streamsize n)
{
    std::streamsize done = 0;
    while (done < n) {
        const std::ptrdiff_t got = internal::ReadSome(m_file, s + done, static_cast<std::size_t>(n - done), m_error);
        if (got < 0)
            throw std::ios_base::failure("read");
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

FileBuffer::int_type FileBuffer::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    const std::streamsize got = xsgetn(&m_byte, 1);
    if (got == 0)
        return traits_type::eof();
    setg(&m_byte, &m_byte, &m_byte + 1);
    return traits_type::to_int_type(m_byte);
}

std::streamsize FileBuffer::xsputn(const char* s, std::streamsize n)
{
    std::streamsize done = 0;
    while (done < n) {
        const std::ptrdiff_t put = internal::WriteSome(m_file, s + done, static_cast<std::size_t>(n - done), m_error);
        if (put <= 0)
            break;
        done += put;
    }
    return done;
}

FileBuffer::int_type FileBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

namespace internal {
namespace {

// Paths of the temporary files being written, for the signal handler, which
// may only use what is async-signal-safe: fixed slots and atomics.
constexpr std::size_t kLongestPath = 4096;
struct TemporarySlot {
    std::atomic<bool> taken{false};
    std::atomic<bool> armed{false};
    char path[kLongestPath];
};
TemporarySlot g_temporaries[16];

}  // namespace

void RegisterTemporary(const std::string& path)
{
    if (path.size() >= kLongestPath)
        return;
    for (TemporarySlot& slot : g_temporaries) {
        bool expected = false;
        if (slot.taken.compare_exchange_strong(expected, true)) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.armed = true;
            return;
        }
    }
}

void UnregisterTemporary(const std::string& path)
{
    for (TemporarySlot& slot : g_temporaries) {
        if (slot.armed && path == slot.path) {
            slot.armed = false;
            slot.taken = false;
            return;
        }
    }
}

void ForEachTemporary(void (*remove)(const char* path))
{
    for (TemporarySlot& slot : g_temporaries) {
        if (slot.armed)
            remove(slot.path);
    }
}

std::string Named(const std::string& path)
{
    return Quoted(ForMessage(path));
}

std::string Failure(const std::string& what, const std::string& verb, int error)
{
    return what + " " + verb + ": " + SystemErrorText(error) + ".";
}

}  // namespace internal

std::istream& InputFile::Stream()
{
    return *m_stream;
}

std::string InputFile::ReadFailure() const
{
    const std::string what = IsStandardStream(m_path) ? internal::kStandardInput : internal::Named(m_path);
    return internal::Failure(what, "kann nicht gelesen werden",
                             m_buffer->error() ? m_buffer->error() : internal::kReadFault);
}

std::ostream& OutputFile::Stream()
{
    return *m_stream;
}

std::string OutputFile::WriteFailure() const
{
    const int error = m_buffer->error() ? m_buffer->error() : internal::kWriteFault;
    if (!IsStandardStream(m_path))
        return internal::Failure(internal::Named(m_path), "kann nicht geschrieben werden", error);
    return error == internal::kStreamClosed
               ? internal::kStandardOutputClosed
               : internal::Failure(internal::kStandardOutput, "kann nicht geschrieben werden", error);
}

void OutputFile::FinishWriting(const BeforeCommit& beforeCommit)
{
    if (beforeCommit && !beforeCommit()) {
        RemoveTemporary();
        throw ListCancelled();
    }
    m_stream->flush();
    if (!*m_stream)
        throw FileError(WriteFailure());
}

bool IsStandardStream(const std::string& path)
{
    return path.empty() || path == "-";
}

ListSummary ProcessListFile(const std::string& inputPath, const std::string& outputPath, const ListOptions& options,
                            const ListCallbacks& callbacks)
{
    CheckColumnOptions(options);
    InputFile input(inputPath);
    OutputFile output(outputPath, input.NewOutputRights());
    ListCallbacks withSize = callbacks;
    if (callbacks.onProgress) {
        withSize.onProgress = [&](ListProgress progress) {
            progress.totalBytes = input.Size();
            return callbacks.onProgress(progress);
        };
    }
    ListSummary summary;
    try {
        summary = ProcessList(input.Stream(), output.Stream(), options, withSize);
    } catch (const ReadError&) {
        throw FileError(input.ReadFailure());
    } catch (const WriteError&) {
        throw FileError(output.WriteFailure());
    }
    output.Commit();
    return summary;
}

}  // namespace kennfix::listengine
