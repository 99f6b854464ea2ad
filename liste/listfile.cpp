#include "liste/listfile.h"

#include <QCryptographicHash>

#include <istream>
#include <ostream>
#include <streambuf>

#include "listengine/list.h"
#include "listengine/messagetext.h"

namespace kennfix::liste {
namespace {

// Hands the bytes of another stream buffer through and takes their
// fingerprint on the way. A read error of the source (an exception) goes
// through to the istream, which turns it into badbit as the engine expects.
class FingerprintingBuffer : public std::streambuf {
public:
    explicit FingerprintingBuffer(std::streambuf& source) : m_source(source) {}

    Fingerprint fingerprint() const { return {m_size, m_hash.result()}; }

protected:
    std::streamsize xsgetn(char* s, std::streamsize n) override
    {
        std::streamsize done = 0;
        if (gptr() < egptr()) {
            s[0] = *gptr();
            gbump(1);
            done = 1;
        }
        const std::streamsize got = m_source.sgetn(s + done, n - done);
        Take(s + done, got);
        return done + got;
    }

    int_type underflow() override
    {
        const std::streamsize got = m_source.sgetn(&m_byte, 1);
        if (got <= 0)
            return traits_type::eof();
        Take(&m_byte, got);
        setg(&m_byte, &m_byte, &m_byte + 1);
        return traits_type::to_int_type(m_byte);
    }

private:
    void Take(const char* bytes, std::streamsize n)
    {
        if (n <= 0)
            return;
        m_hash.addData(QByteArrayView(bytes, static_cast<qsizetype>(n)));
        m_size += static_cast<std::uint64_t>(n);
    }

    std::streambuf& m_source;
    QCryptographicHash m_hash{QCryptographicHash::Blake2b_256};
    std::uint64_t m_size = 0;
    char m_byte = 0;
};

// What the engine writes while a list is read for the window: nothing.
class DiscardingBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

listengine::ListCallbacks WithProgress(listengine::ListCallbacks callbacks, const ListProgress& progress, std::uint64_t total)
{
    if (progress)
        callbacks.onProgress = [&progress, total](const listengine::ListProgress& p) { return progress(p.bytesRead, total); };
    return callbacks;
}

}  // namespace

LoadedList ReadListFile(const std::string& path, const listengine::ListOptions& options, const ListProgress& progress)
{
    listengine::CheckColumnOptions(options);
    // "-" would be standard input to the engine; here it is a file of that name.
    listengine::InputFile input(listengine::IsStandardStream(path) ? "./" + path : path, listengine::FileKinds::RegularOnly);
    FingerprintingBuffer buffer(*input.Stream().rdbuf());
    std::istream in(&buffer);
    DiscardingBuffer discard;
    std::ostream out(&discard);
    // A list rewritten under our feet reads as anything: cut short, torn in
    // a row or a quote, or as no list at all. Whatever the engine made of it
    // counts for nothing then.
    const auto changedError = [&] {
        return ListChangedError(listengine::QuotedForMessage(path) +
                                " wurde verändert, während es gelesen wurde; was gelesen wurde, kann "
                                "unvollständig sein und wird nicht gezeigt.");
    };

    LoadedList list{path, options, nullptr, {}};
    listengine::ListCallbacks callbacks;
    callbacks.onHeader = [&](const listengine::ListLayout& layout) { list.table = std::make_unique<ListTable>(layout); };
    callbacks.onRow = [&](const listengine::RowResult& row) { list.table->Add(row); };
    try {
        const listengine::ListSummary summary = listengine::ProcessList(in, out, options, WithProgress(callbacks, progress, input.Size()));
        list.table->Finish(summary);
    } catch (const listengine::ReadError&) {
        throw listengine::FileError(input.ReadFailure());
    } catch (const listengine::ListError&) {
        if (input.ChangedSinceOpened())
            throw changedError();
        throw;
    }
    if (input.ChangedSinceOpened() || buffer.fingerprint().size != input.Size())
        throw changedError();
    list.fingerprint = buffer.fingerprint();
    return list;
}

listengine::ListSummary SaveListFile(const LoadedList& list, const std::string& target, const ListProgress& progress,
                                const listengine::OutputFile::BeforeCommit& beforeCommit)
{
    const auto changed = [&] {
        return ListFileError(listengine::QuotedForMessage(list.path) +
                             " wurde seit dem Öffnen verändert. Gespeichert wird nur, was angezeigt wird: bitte die "
                             "Liste neu öffnen und dann speichern.");
    };
    listengine::InputFile input(list.path, listengine::FileKinds::RegularOnly);
    if (input.IsSameFileAs(target))
        throw ListFileError(listengine::ListItselfMessage(target));
    listengine::OutputFile output(target, input.NewOutputRights(), listengine::FileKinds::RegularOnly);
    FingerprintingBuffer buffer(*input.Stream().rdbuf());
    std::istream in(&buffer);
    listengine::ListSummary summary;
    try {
        summary = listengine::ProcessList(in, output.Stream(), list.options, WithProgress({}, progress, input.Size()));
    } catch (const listengine::ReadError&) {
        throw listengine::FileError(input.ReadFailure());
    } catch (const listengine::WriteError&) {
        throw listengine::FileError(output.WriteFailure());
    } catch (const listengine::ListError&) {
        // It was a list when it was read.
        throw changed();
    }
    if (buffer.fingerprint() != list.fingerprint)
        throw changed();
    output.Commit(beforeCommit);
    return summary;
}

}  // namespace kennfix::liste
