#include "listengine/files.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <istream>
#include <ostream>

#include "listengine/internal/systemfile.h"
#include "listengine/list.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {

std::streamsize internal::FileBuffer::xsgetn(char* s, std::streamsize n)
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

internal::FileBuffer::int_type internal::FileBuffer::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    const std::streamsize got = xsgetn(&m_byte, 1);
    if (got == 0)
        return traits_type::eof();
    setg(&m_byte, &m_byte, &m_byte + 1);
    return traits_type::to_int_type(m_byte);
}

std::streamsize internal::FileBuffer::xsputn(const char* s, std::streamsize n)
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

internal::FileBuffer::int_type internal::FileBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

namespace internal {
namespace {

// The temporary files being written, for the signal handler, which may only
// use what is async-signal-safe: it walks a list of entries and reads atomics
// and the paths of armed entries. Entries are made outside the handler, as
// long as the path at hand, and never freed, as the handler may be reading
// one; an entry whose file is gone is taken again by the next path that fits.
// So any path the system accepts is held (on Windows up to 32,767 UTF-16
// units, in UTF-8 up to three times as many bytes), for as many files as are
// written at once.
struct TemporaryEntry {
    std::atomic<bool> taken{false};
    std::atomic<bool> armed{false};
    std::size_t capacity = 0;
    std::unique_ptr<char[]> path;
    TemporaryEntry* next = nullptr;
};
std::atomic<TemporaryEntry*> g_temporaries{nullptr};

}  // namespace

void RegisterTemporary(const std::string& path)
{
    for (TemporaryEntry* entry = g_temporaries.load(); entry != nullptr; entry = entry->next) {
        bool expected = false;
        if (entry->capacity > path.size() && entry->taken.compare_exchange_strong(expected, true)) {
            std::memcpy(entry->path.get(), path.c_str(), path.size() + 1);
            entry->armed = true;
            return;
        }
    }
    auto* entry = new TemporaryEntry;
    entry->capacity = path.size() + 1;
    entry->path = std::make_unique<char[]>(entry->capacity);
    std::memcpy(entry->path.get(), path.c_str(), path.size() + 1);
    entry->taken = true;
    entry->armed = true;
    entry->next = g_temporaries.load();
    while (!g_temporaries.compare_exchange_weak(entry->next, entry)) {
    }
}

void UnregisterTemporary(const std::string& path)
{
    for (TemporaryEntry* entry = g_temporaries.load(); entry != nullptr; entry = entry->next) {
        if (entry->armed && path == entry->path.get()) {
            entry->armed = false;
            entry->taken = false;
            return;
        }
    }
}

void ForEachTemporary(void (*remove)(const char* path))
{
    for (TemporaryEntry* entry = g_temporaries.load(); entry != nullptr; entry = entry->next) {
        if (entry->armed)
            remove(entry->path.get());
    }
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
    const std::string what = IsStandardStream(m_path) ? internal::kStandardInput : QuotedForMessage(m_path);
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
        return internal::Failure(QuotedForMessage(m_path), "kann nicht geschrieben werden", error);
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

std::string ListItselfMessage(const std::string& outputPath)
{
    return QuotedForMessage(outputPath) +
           " ist die Liste selbst. Sie wird nicht überschrieben; bitte einen anderen Namen wählen.";
}

ListSummary ProcessListFile(const std::string& inputPath, const std::string& outputPath, const ListOptions& options,
                            const ListCallbacks& callbacks)
{
    CheckColumnOptions(options);
    InputFile input(inputPath);
    if (!IsStandardStream(outputPath) && input.IsSameFileAs(outputPath))
        throw FileError(ListItselfMessage(outputPath));
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
