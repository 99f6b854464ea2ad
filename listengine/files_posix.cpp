// The file rules of files.h on Linux and other POSIX systems.

#include "listengine/files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <utility>
#include <vector>

#include "listengine/internal/systemfile.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {

using internal::Failure;
using internal::kStandardInputClosed;
using internal::kStandardOutputClosed;

namespace internal {

const int kReadFault = EIO;
const int kWriteFault = EIO;
// Closed before we started, its number may have gone to another file.
const int kStreamClosed = EBADF;

std::ptrdiff_t ReadSome(std::intptr_t file, char* data, std::size_t size, int& error)
{
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(file), data, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error = errno;
        return got;
    }
}

std::ptrdiff_t WriteSome(std::intptr_t file, const char* data, std::size_t size, int& error)
{
    for (;;) {
        const ssize_t put = ::write(static_cast<int>(file), data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            error = put < 0 ? errno : EIO;
        return put;
    }
}

}  // namespace internal

namespace {

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTemporariesAndDie(int signal)
{
    RemoveTemporaryFiles();
    // Die of the signal, as the shell expects: it is blocked while we are
    // here and strikes with its default action once we return.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

// Holds off the cleanup signals while a temporary file comes into being or
// goes, so that it is never there without being registered.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kCleanupSignals)
            sigaddset(&set, s);
        pthread_sigmask(SIG_BLOCK, &set, &m_previous);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_previous;
};

int Fd(FileHandle file)
{
    return static_cast<int>(file);
}

FileStamp StampOf(const struct stat& st)
{
    const auto nanoseconds = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; };
    return {S_ISREG(st.st_mode), static_cast<std::uint64_t>(st.st_size), nanoseconds(st.st_mtim),
            nanoseconds(st.st_ctim)};
}

// The process's umask, read without changing it where Linux tells it.
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("Umask:"))
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    const mode_t mask = ::umask(077);
    ::umask(mask);
    return mask;
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool InCallersGroups(gid_t group)
{
    if (group == ::getegid())
        return true;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Whether the file's permission bits let the caller write it: those of the
// owner, the group or the others, whichever the caller is. Root may write
// any file, but a file that is read-only by its bits is so to us for root
// too.
bool ModeAllowsWriting(const struct stat& st)
{
    if (st.st_uid == ::geteuid())
        return (st.st_mode & S_IWUSR) != 0;
    if (InCallersGroups(st.st_gid))
        return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

// A link the kernel would not follow for opening the file (fs.protected_symlinks):
// one in a folder that is sticky and writable by everybody (/tmp), which
// belongs neither to the caller nor to the folder's owner. Another user may
// have put it there to have us write over a file of ours.
bool IsForeignLinkInSharedFolder(const std::string& link, const struct stat& linkStat)
{
    struct stat folder {};
    if (::stat(DirectoryOf(link).c_str(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return shared && linkStat.st_uid != ::geteuid() && linkStat.st_uid != folder.st_uid;
}

// The path with every symbolic link followed, link by link as the kernel
// follows them. No file is created through a link: a link to nothing is
// refused, like one the kernel would not follow.
std::string FollowLinks(const std::string& path)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (hops > 0 && errno == ENOENT) {
                throw FileError(QuotedForMessage(path) + " ist ein symbolischer Link auf " + QuotedForMessage(current) +
                                "; diese Datei gibt es nicht. Durch einen Link wird keine Datei angelegt: bitte das "
                                "Ziel selbst angeben.");
            }
            return current;
        }
        if (!S_ISLNK(st.st_mode))
            return current;
        if (IsForeignLinkInSharedFolder(current, st)) {
            throw FileError(QuotedForMessage(current) +
                            " ist ein symbolischer Link eines anderen Benutzers in einem Ordner, in den alle "
                            "schreiben dürfen. Ihm wird nicht gefolgt; bitte einen anderen Namen wählen.");
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0)
            throw FileError(Failure(QuotedForMessage(path), "kann nicht geschrieben werden", errno));
        target.resize(static_cast<std::size_t>(length));
        const bool relative = !target.starts_with('/') && current.find('/') != std::string::npos;
        current = relative ? DirectoryOf(current) + "/" + target : target;
    }
    throw FileError(Failure(QuotedForMessage(path), "kann nicht geschrieben werden", ELOOP));
}

}  // namespace

std::string SystemErrorText(int error)
{
    switch (error) {
    case EACCES: return "Keine Berechtigung";
    case EPERM: return "Die Operation ist nicht erlaubt";
    case ENOENT: return "Datei oder Verzeichnis nicht gefunden";
    case ENOTDIR: return "Ist kein Verzeichnis";
    case EISDIR: return "Ist ein Verzeichnis";
    case ENOSPC: return "Auf dem Gerät ist kein Speicherplatz mehr verfügbar";
    case EDQUOT: return "Der zugewiesene Plattenplatz (Quota) ist überschritten";
    case EROFS: return "Das Dateisystem ist nur lesbar";
    case EIO: return "Eingabe-/Ausgabefehler";
    case EFBIG: return "Die Datei ist zu groß";
    case ENAMETOOLONG: return "Der Dateiname ist zu lang";
    case ELOOP: return "Zu viele Ebenen aus symbolischen Links";
    case EMFILE: return "Zu viele offene Dateien";
    case ENFILE: return "Zu viele offene Dateien im System";
    case ENOMEM: return "Nicht genügend Hauptspeicher verfügbar";
    case EPIPE: return "Der Empfänger hat die Verbindung beendet";
    case EBUSY: return "Das Gerät oder die Ressource ist belegt";
    case ETXTBSY: return "Die Datei wird gerade benutzt";
    case EXDEV: return "Das Ziel liegt auf einem anderen Dateisystem";
    case EINVAL: return "Ungültiges Argument";
    case ENXIO: return "Kein solches Gerät oder keine solche Adresse";
    case ENODEV: return "Kein passendes Gerät gefunden";
    case EAGAIN: return "Die Ressource ist zurzeit nicht verfügbar";
    case EEXIST: return "Die Datei existiert bereits";
    case ESTALE: return "Veraltete Dateizugriffsnummer (NFS)";
    case EBADF: return "Ungültiger Dateideskriptor";
    default: return "Systemfehler " + std::to_string(error);
    }
}

InputFile::InputFile(const std::string& path, FileKinds kinds) : m_path(path)
{
    if (IsStandardStream(path)) {
        m_file = STDIN_FILENO;
        // Closed, its number might go to a file of ours, which would then be read.
        if (::fcntl(Fd(m_file), F_GETFL) < 0 && errno == EBADF)
            throw FileError(kStandardInputClosed);
    } else {
        // Opening a named pipe waits for a writer, unless it is not to wait.
        const int waiting = kinds == FileKinds::RegularOnly ? O_NONBLOCK : 0;
        m_file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | waiting);
        if (Fd(m_file) < 0)
            throw FileError(Failure(QuotedForMessage(path), "kann nicht gelesen werden", errno));
        m_ownFile = true;
        struct stat st {};
        if (::fstat(Fd(m_file), &st) != 0 || S_ISDIR(st.st_mode)) {
            const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(Fd(m_file));
            throw FileError(Failure(QuotedForMessage(path), "kann nicht gelesen werden", error));
        }
        if (kinds == FileKinds::RegularOnly && !S_ISREG(st.st_mode)) {
            ::close(Fd(m_file));
            throw FileError(QuotedForMessage(path) +
                            " ist keine gewöhnliche Datei und kann nicht als Liste gelesen werden.");
        }
        if (waiting != 0)
            ::fcntl(Fd(m_file), F_SETFL, ::fcntl(Fd(m_file), F_GETFL) & ~O_NONBLOCK);
        // A list is never executable; its read and write bits carry over.
        m_newOutputRights = NewFileRights(st.st_mode & 0666);
        m_size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
        m_opened = StampOf(st);
    }
    m_buffer = std::make_unique<internal::FileBuffer>(m_file);
    m_stream = std::make_unique<std::istream>(m_buffer.get());
}

InputFile::~InputFile()
{
    if (m_ownFile)
        ::close(Fd(m_file));
}

bool InputFile::IsSameFileAs(const std::string& path) const
{
    struct stat mine {};
    struct stat other {};
    return ::fstat(Fd(m_file), &mine) == 0 && S_ISREG(mine.st_mode) && ::stat(path.c_str(), &other) == 0 &&
           mine.st_dev == other.st_dev && mine.st_ino == other.st_ino;
}

bool InputFile::ChangedSinceOpened() const
{
    if (!m_opened.regular)
        return false;
    struct stat now {};
    return ::fstat(Fd(m_file), &now) != 0 || StampOf(now) != m_opened;
}

OutputFile::OutputFile(const std::string& path, const NewFileRights& newFileRights, FileKinds kinds) : m_path(path)
{
    if (IsStandardStream(path)) {
        m_file = STDOUT_FILENO;
        // Closed: said before the list is read, not after.
        if (::fcntl(Fd(m_file), F_GETFL) < 0 && errno == EBADF)
            throw FileError(kStandardOutputClosed);
    } else {
        m_target = FollowLinks(path);
        struct stat st {};
        m_existed = ::stat(m_target.c_str(), &st) == 0;
        if (m_existed && S_ISDIR(st.st_mode))
            throw FileError(Failure(QuotedForMessage(path), "kann nicht geschrieben werden", EISDIR));
        if (m_existed && !S_ISREG(st.st_mode) && kinds == FileKinds::RegularOnly) {
            throw FileError(QuotedForMessage(path) +
                            " ist keine gewöhnliche Datei; eine Liste wird nur in eine gewöhnliche Datei gespeichert.");
        }
        if (m_existed && !S_ISREG(st.st_mode)) {
            // A pipe or a device takes what we write; replacing it would break it.
            m_file = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            if (Fd(m_file) < 0)
                throw FileError(Failure(QuotedForMessage(path), "kann nicht geschrieben werden", errno));
            m_ownFile = true;
        } else {
            // By its bits, and for ACLs and read-only file systems by the kernel's word.
            if (m_existed && !ModeAllowsWriting(st))
                throw FileError(QuotedForMessage(path) + " ist schreibgeschützt und wird nicht ersetzt.");
            if (m_existed && ::access(m_target.c_str(), W_OK) != 0)
                throw FileError(Failure(QuotedForMessage(path), "kann nicht geschrieben werden", errno));
            m_finalMode = m_existed ? st.st_mode & 07777 : newFileRights.mode & ~CurrentUmask() & 0666;
            m_owner = st.st_uid;
            m_group = st.st_gid;
            std::string temporary = m_target + ".XXXXXX";
            SignalsHeld held;
            m_file = ::mkostemp(temporary.data(), O_CLOEXEC);  // 0600: private while it fills
            if (Fd(m_file) < 0)
                throw FileError(Failure(QuotedForMessage(path), "kann nicht angelegt werden", errno));
            m_ownFile = true;
            m_temporary = temporary;
            internal::RegisterTemporary(m_temporary);
        }
    }
    m_buffer = std::make_unique<internal::FileBuffer>(m_file);
    m_stream = std::make_unique<std::ostream>(m_buffer.get());
}

OutputFile::~OutputFile()
{
    RemoveTemporary();
    if (m_ownFile && Fd(m_file) >= 0)
        ::close(Fd(m_file));
}

void OutputFile::RemoveTemporary()
{
    if (m_temporary.empty())
        return;
    SignalsHeld held;
    ::unlink(m_temporary.c_str());
    internal::UnregisterTemporary(m_temporary);
    m_temporary.clear();
}

void OutputFile::Commit(const BeforeCommit& beforeCommit)
{
    FinishWriting(beforeCommit);
    if (m_temporary.empty()) {
        if (m_ownFile && ::close(Fd(std::exchange(m_file, -1))) != 0)
            throw FileError(Failure(QuotedForMessage(m_path), "kann nicht geschrieben werden", errno));
        return;
    }
    const auto fail = [&](int error) {
        throw FileError(Failure(QuotedForMessage(m_path), "kann nicht geschrieben werden", error));
    };
    mode_t mode = m_finalMode;
    if (m_existed && ::fchown(Fd(m_file), m_owner, m_group) != 0) {
        // Not allowed to give the file its group back: then that group's
        // rights must not go to ours.
        struct stat st {};
        if (::fstat(Fd(m_file), &st) == 0 && st.st_gid != m_group)
            mode &= ~mode_t{070};
    }
    if (::fchmod(Fd(m_file), mode) != 0)
        fail(errno);
    if (::fsync(Fd(m_file)) != 0)
        fail(errno);
    if (::close(Fd(std::exchange(m_file, -1))) != 0)
        fail(errno);
    SignalsHeld held;
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        fail(errno);
    internal::UnregisterTemporary(m_temporary);
    m_temporary.clear();
}

void RemoveTemporaryFiles()
{
    internal::ForEachTemporary([](const char* path) { ::unlink(path); });
}

void RemoveTemporaryFilesOnSignals()
{
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndDie;
    sigemptyset(&action.sa_mask);
    for (int s : kCleanupSignals)
        sigaddset(&action.sa_mask, s);
    for (int s : kCleanupSignals)
        ::sigaction(s, &action, nullptr);
}

std::string ManualReference(const std::string& program)
{
    return "man " + program;
}

}  // namespace kennfix::listengine
